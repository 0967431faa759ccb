#include "platform/qt/qt_image.h"

#include <QtCore/QBuffer>
#include <QtGui/QGuiApplication>
#include <cstdlib>

QImage toQImage(const Image& image) {
  QImage out(image.width, image.height, QImage::Format_RGB32);
  for (int32_t y = 0; y < image.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int32_t x = 0; x < image.width; ++x) line[x] = 0xFF000000u | image.at(x, y);
  }
  return out;
}

std::string pngBytes(const Image& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!toQImage(image).save(&buffer, "PNG")) return {};
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

OffscreenApplication::OffscreenApplication(const char* programName) : name_(programName) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  argv_[0] = name_.data();
  application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

OffscreenApplication::~OffscreenApplication() = default;

#include "platform/qt/qt_image.h"

#include <QtCore/QBuffer>
#include <QtGui/QGuiApplication>
#include <cstdio>
#include <cstdlib>

QImage toQImage(const Image& image) {
  QImage out(image.width, image.height, QImage::Format_RGB32);
  for (int32_t y = 0; y < image.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int32_t x = 0; x < image.width; ++x) line[x] = 0xFF000000u | image.at(x, y);
  }
  return out;
}

std::string pngBytes(const Image& image, bool smallest) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  // Qt's quality 0 is PNG's strongest compression, -1 its default.
  if (!toQImage(image).save(&buffer, "PNG", smallest ? 0 : -1)) return {};
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool readPngFile(const std::string& path, Image& image) {
  image = Image{};
  QImage read;
  if (!read.load(QString::fromLocal8Bit(path.c_str()), "PNG")) return false;
  const QImage opaque = read.convertToFormat(QImage::Format_RGB32);
  if (!resizeImage(image, opaque.width(), opaque.height(), kBlack)) return false;
  for (int32_t y = 0; y < image.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(opaque.constScanLine(y));
    for (int32_t x = 0; x < image.width; ++x) image.at(x, y) = line[x] & 0xFFFFFFu;
  }
  return true;
}

namespace {

QtMessageHandler previousHandler = nullptr;

// A program without a session has no XDG_RUNTIME_DIR; Qt then notes on standard error that it
// uses a folder of its own, which is no concern of a program that only draws pictures. Every
// other message goes where it went before.
void withoutRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
    return;
  if (previousHandler != nullptr) {
    previousHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

}  // namespace

OffscreenApplication::OffscreenApplication(const char* programName) : name_(programName) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  argv_[0] = name_.data();
  previousHandler_ = qInstallMessageHandler(withoutRuntimeFolderNote);
  previousHandler = previousHandler_;
  application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

OffscreenApplication::~OffscreenApplication() {
  application_.reset();
  qInstallMessageHandler(previousHandler_);
}

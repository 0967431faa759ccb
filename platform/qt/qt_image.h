#pragma once
// The workbench's images in Qt's terms, for programs that draw without a window: the chart
// command of detection-batch and the guide's picture tool.
#include <QtCore/QtMessageHandler>
#include <QtGui/QImage>
#include <memory>
#include <string>

#include "platform/image.h"

class QGuiApplication;

// The image as an opaque 32-bit QImage of the same size.
QImage toQImage(const Image& image);

// The image as the bytes of a PNG file; empty when it could not be encoded. smallest: compressed
// as far as PNG goes, slower, for pictures kept with the sources.
std::string pngBytes(const Image& image, bool smallest = false);

// The picture of a PNG file as an opaque image; false (and an empty image) when the file is
// missing, is no PNG, or is larger than kMaxImageSide a side.
bool readPngFile(const std::string& path, Image& image);

// The Qt application a program needs for glyphs without a display: the offscreen platform is
// chosen unless QT_QPA_PLATFORM names another, and Qt's note about a missing XDG_RUNTIME_DIR is
// kept off standard error while it lives. Keep it alive while glyphs are drawn.
class OffscreenApplication {
 public:
  explicit OffscreenApplication(const char* programName);
  ~OffscreenApplication();
  OffscreenApplication(const OffscreenApplication&) = delete;
  OffscreenApplication& operator=(const OffscreenApplication&) = delete;

 private:
  int argc_ = 1;
  std::string name_;
  char* argv_[2] = {nullptr, nullptr};
  std::unique_ptr<QGuiApplication> application_;
  QtMessageHandler previousHandler_ = nullptr;
};

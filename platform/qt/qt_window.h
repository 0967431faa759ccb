#pragma once
#include <QtCore/QElapsedTimer>
#include <map>
#include <memory>

#include "platform/image.h"
#include "platform/pending_paint.h"
#include "platform/qt/qt_glyph_source.h"
#include "platform/region.h"
#include "platform/window.h"

class QAction;
class QLineEdit;
class QMainWindow;
class QProgressDialog;
class QWidget;
class WindowProcedure;

// The program's main window on Qt: a QMainWindow titled "DetectionFixedWhole" with menu 104 and a
// client widget that shows the persistent client image and turns mouse and key events into calls
// of the window procedure. Needs a QApplication.
class QtWindow : public Window {
 public:
  QtWindow();
  ~QtWindow() override;

  // Builds the window (not yet shown) and runs the procedure's start-up; false when it fails.
  bool create(WindowProcedure& procedure);
  // Shows the window maximized, also sized to the screen's available area.
  void showMaximized();
  bool destroyed() const { return destroyed_; }
  // Whether close() also ends the application's event loop (with code 0); off until set.
  void setQuitOnClose(bool quit) { quitOnClose_ = quit; }

  int messageBox(const std::string& text, const std::string& caption, uint32_t style) override;
  void invalidate(const Rect& r, bool erase) override;
  void invalidateAll(bool erase) override;
  void sendCommand(uint16_t id) override;
  void close() override;
  void checkMenuItem(uint16_t id, bool checked) override;
  bool isMenuItemChecked(uint16_t id) const override;
  int runDialog(uint16_t templateId, DialogProcedure& procedure) override;
  std::optional<std::string> saveFileName(const SaveFileRequest& request) override;
  std::optional<std::string> openFileName(const OpenFileRequest& request) override;
  void setCapture() override;
  void releaseCapture() override;
  bool hasCapture() const override { return capture_; }
  CursorShape setCursor(CursorShape shape) override;
  void createEditControl(uint16_t id, const std::string& text, const Rect& place) override;
  void moveEditControl(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void setEditText(uint16_t id, const std::string& text) override;
  std::string editText(uint16_t id, size_t maxChars = 100) const override;
  Rect clientRect() const override;
  const Image& clientImage() const override { return image_; }
  bool loadBitmap(uint16_t id, Image& out) override;
  bool showProgress(const std::string& caption, const std::string& text, uint32_t done = 0,
                    uint32_t total = 0) override;
  void endProgress() override;

  // The Qt objects, for inspection.
  QMainWindow* mainWindow() const { return main_.get(); }
  QWidget* client() const { return client_; }
  QAction* action(uint16_t id) const;
  QLineEdit* editControl() const { return edit_; }
  const QtGlyphSource& glyphs() const { return glyphs_; }

  // Called by the client widget.
  void paintPending();
  void resized(int32_t width, int32_t height);
  void mouseDown(int32_t x, int32_t y, uint32_t keys);
  void mouseMove(int32_t x, int32_t y, uint32_t keys);
  void mouseUp(int32_t x, int32_t y, uint32_t keys);
  void keyDown(uint32_t key);
  void closeRequested();

 private:
  void buildMenu();

  QtGlyphSource glyphs_;
  std::unique_ptr<QMainWindow> main_;
  QWidget* client_ = nullptr;
  QLineEdit* edit_ = nullptr;
  uint16_t editId_ = 0;
  std::map<uint16_t, QAction*> actions_;
  std::map<uint16_t, bool> checks_;
  WindowProcedure* procedure_ = nullptr;
  bool destroyed_ = false;
  bool quitOnClose_ = false;
  bool capture_ = false;
  CursorShape cursor_ = CursorShape::kArrow;
  Image image_;
  PendingPaint pending_;
  std::unique_ptr<QProgressDialog> progress_;
  QElapsedTimer progressClock_;
};

// The virtual-key code of a Qt key: letters and digits as upper-case ASCII, the usual codes for
// the control keys, 0xFF for any other key. Never 0 or 1.
uint32_t virtualKeyOf(int qtKey);

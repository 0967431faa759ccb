#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/geometry.h"
#include "platform/image.h"
#include "platform/message_sink.h"

class DialogProcedure;

// Cursors the window can show.
enum class CursorShape : uint8_t { kArrow, kSizeNS, kSizeNWSE };

// What the save-file dialog asks for.
struct SaveFileRequest {
  std::string title;
  // Pairs of description and pattern, e.g. {"Bitmap Files (*.bmp)", "*.bmp"}; the first is selected.
  std::vector<std::pair<std::string, std::string>> filters;
  // Appended (with a dot) when the typed name has no extension; empty for none.
  std::string defaultExtension;
  bool overwritePrompt = true;
  // Longest accepted name in characters including a terminator; longer names are refused.
  size_t capacity = 256;
};

// What the open-file dialog asks for: an existing file to read.
struct OpenFileRequest {
  std::string title;
  // Pairs of description and pattern, e.g. {"Text Files (*.csv *.txt)", "*.csv *.txt"}; the first is
  // selected.
  std::vector<std::pair<std::string, std::string>> filters;
};

// `name` with "." + `extension` appended when its last path component has no dot and the extension
// is not empty.
std::string withDefaultExtension(const std::string& name, const std::string& extension);

// The services the system needs from the window that owns an operation.
// Every operation of the system takes the owning Window first, for its message boxes.
class Window : public MessageSink {
 public:
  ~Window() override = default;

  // Shows a modal message box; an empty caption means none. Returns the button pressed.
  int messageBox(const std::string& text, const std::string& caption, uint32_t style) override = 0;

  // The services below do nothing (or give empty answers) in a window that lacks them; the Qt
  // window and the headless window implement all of them.

  // Marks `r` (right and bottom exclusive) for repainting; `erase` asks the next paint to fill the
  // whole pending region white first.
  virtual void invalidate(const Rect& r, bool erase) { (void)r, (void)erase; }
  // Marks the whole client area for repainting.
  virtual void invalidateAll(bool erase) { (void)erase; }
  // Runs command `id` through the window procedure at once and returns when it is done.
  virtual void sendCommand(uint16_t id) { (void)id; }
  // Destroys the window: the window procedure's clean-up runs, the message loop ends with code 0.
  virtual void close() {}
  virtual void checkMenuItem(uint16_t id, bool checked) { (void)id, (void)checked; }
  virtual bool isMenuItemChecked(uint16_t id) const {
    (void)id;
    return false;
  }
  // Runs the modal dialog of template `templateId` with `procedure`; gives the result passed to
  // endDialog, or -1 when there is no such template.
  virtual int runDialog(uint16_t templateId, DialogProcedure& procedure) {
    (void)templateId, (void)procedure;
    return -1;
  }
  // Asks for a file name to save to; nothing when the user cancels.
  virtual std::optional<std::string> saveFileName(const SaveFileRequest& request) {
    (void)request;
    return std::nullopt;
  }
  // Asks for an existing file to open; nothing when the user cancels.
  virtual std::optional<std::string> openFileName(const OpenFileRequest& request) {
    (void)request;
    return std::nullopt;
  }
  // Sends every mouse event to this window until releaseCapture().
  virtual void setCapture() {}
  virtual void releaseCapture() {}
  virtual bool hasCapture() const { return false; }
  // Shows `shape` over the client area and gives back the previous one.
  virtual CursorShape setCursor(CursorShape shape) {
    (void)shape;
    return CursorShape::kArrow;
  }
  // The child edit control: created once with its id, text and place (x, y, width, height);
  // moving it to zero size hides it.
  virtual void createEditControl(uint16_t id, const std::string& text, const Rect& place) {
    (void)id, (void)text, (void)place;
  }
  virtual void moveEditControl(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
    (void)id, (void)x, (void)y, (void)width, (void)height;
  }
  virtual void setEditText(uint16_t id, const std::string& text) { (void)id, (void)text; }
  // At most `maxChars` - 1 characters of the edit control's text; empty for an unknown id.
  virtual std::string editText(uint16_t id, size_t maxChars = 100) const {
    (void)id, (void)maxChars;
    return {};
  }
  // The client rectangle: left and top 0, right and bottom the width and height (exclusive).
  virtual Rect clientRect() const { return {}; }
  // What the client area shows now, width x height of clientRect().
  virtual const Image& clientImage() const {
    static const Image kNone;
    return kNone;
  }
  // A progress box over the window for a long operation run inside a command: the first call
  // shows it with `caption`, every call shows `text` (and lets the box answer its Cancel
  // button); with a `total`, a bar `done` of `total` long and the time left, estimated from the
  // time since the first call. Gives false once the user pressed Cancel. endProgress() removes
  // the box.
  virtual bool showProgress(const std::string& caption, const std::string& text, uint32_t done = 0,
                            uint32_t total = 0) {
    (void)caption, (void)text, (void)done, (void)total;
    return true;
  }
  virtual void endProgress() {}
  // Decodes bitmap resource `id` into `out`; false when it cannot be loaded.
  virtual bool loadBitmap(uint16_t id, Image& out) {
    (void)id, (void)out;
    return false;
  }
};

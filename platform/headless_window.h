#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/glyph_source.h"
#include "platform/image.h"
#include "platform/message_recorder.h"
#include "platform/pending_paint.h"
#include "platform/region.h"
#include "platform/window.h"

class WindowProcedure;

// What a test does in a dialog that the program opens: the template expected (0 for any), then
// texts typed and controls clicked, in order. When the steps leave the dialog open, OK is pressed.
struct DialogScript {
  struct Step {
    bool click = false;  // a click on `id`, else typing `text` into `id`
    uint16_t id = 0;
    std::string text;
  };
  uint16_t templateId = 0;
  std::vector<Step> steps;

  DialogScript& type(uint16_t id, const std::string& text) {
    steps.push_back({false, id, text});
    return *this;
  }
  DialogScript& click(uint16_t id) {
    steps.push_back({true, id, {}});
    return *this;
  }
};

// A dialog as it was shown and left.
struct DialogRecord {
  uint16_t templateId = 0;
  std::map<uint16_t, std::string> shownText;  // texts after the procedure's start
  std::set<uint16_t> shownChecked;            // buttons checked after the start
  std::map<uint16_t, std::string> finalText;
  std::set<uint16_t> finalChecked;
  int result = -1;
  bool scriptMismatch = false;  // the queued script named another template; Cancel was pressed
};

// A window without a display. It keeps the client image, paints when pending invalidations are
// pumped, records message boxes, dialogs, file requests and menu check marks, and answers them from
// queues the test fills. User events (clicks, menu commands, keys) pump the paint afterwards, as a
// message loop would once its queue is empty.
class HeadlessWindow : public Window {
 public:
  using Message = RecordedMessage;
  struct EditControl {
    bool exists = false;
    uint16_t id = 0;
    std::string text;
    Rect place;  // x, y in left/top, width and height in right/bottom
  };

  explicit HeadlessWindow(int32_t width = 1024, int32_t height = 768,
                          const GlyphSource& glyphs = fixedGlyphSource());

  // Creates the window with `procedure`: runs its start-up and, when it succeeds, the first paint.
  // Returns false when the start-up fails (the window then counts as destroyed, no clean-up runs).
  bool create(WindowProcedure& procedure);
  bool created() const { return procedure_ != nullptr && !destroyed_; }
  bool destroyed() const { return destroyed_; }

  // --- Window services
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
  void setCapture() override { capture_ = true; }
  void releaseCapture() override { capture_ = false; }
  bool hasCapture() const override { return capture_; }
  CursorShape setCursor(CursorShape shape) override;
  void createEditControl(uint16_t id, const std::string& text, const Rect& place) override;
  void moveEditControl(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height) override;
  void setEditText(uint16_t id, const std::string& text) override;
  std::string editText(uint16_t id, size_t maxChars = 100) const override;
  Rect clientRect() const override { return {0, 0, image_.width, image_.height}; }
  const Image& clientImage() const override { return image_; }
  bool loadBitmap(uint16_t id, Image& out) override;
  bool showProgress(const std::string& caption, const std::string& text, uint32_t done = 0,
                    uint32_t total = 0) override {
    progressCaption_ = caption;
    progressTexts_.push_back(text);
    progressBar_ = {done, total};
    progressOpen_ = true;
    return cancelProgressAt_ == 0 || progressTexts_.size() < cancelProgressAt_;
  }
  void endProgress() override { progressOpen_ = false; }

  // --- Answers the test gives
  void queueAnswer(int answer) { answers_.push_back(answer); }
  void queueDialog(const DialogScript& script) { dialogScripts_.push_back(script); }
  // A file name for the next save-file dialog, or nothing to cancel it. Without one it cancels.
  void queueFileName(std::optional<std::string> name) { fileNames_.push_back(std::move(name)); }
  // A file name for the next open-file dialog, or nothing to cancel it. Without one it cancels.
  void queueOpenFileName(std::optional<std::string> name) { openFileNames_.push_back(std::move(name)); }
  // Presses the progress box's Cancel at its n-th update (1-based; 0: never).
  void cancelProgressAt(size_t n) { cancelProgressAt_ = n; }
  // Makes loadBitmap fail for `id`.
  void failBitmap(uint16_t id) { failedBitmaps_.insert(id); }

  // --- What happened
  const std::vector<Message>& messages() const { return messages_; }
  void clearMessages() { messages_.clear(); }
  const std::vector<DialogRecord>& dialogs() const { return dialogs_; }
  const std::vector<SaveFileRequest>& fileRequests() const { return fileRequests_; }
  const std::vector<OpenFileRequest>& openFileRequests() const { return openFileRequests_; }
  // The progress box: its caption, every text it showed, and whether it is still shown.
  const std::string& progressCaption() const { return progressCaption_; }
  const std::vector<std::string>& progressTexts() const { return progressTexts_; }
  bool progressOpen() const { return progressOpen_; }
  // The bar of the last update: cells done and total (0 total: no bar).
  std::pair<uint32_t, uint32_t> progressBar() const { return progressBar_; }
  const EditControl& editControl() const { return edit_; }
  CursorShape cursor() const { return cursor_; }
  const Region& pendingRegion() const { return pending_.region; }
  bool pendingErase() const { return pending_.erase; }
  int paintCount() const { return paints_; }
  // The colour of client pixel (x, y); white outside.
  Color pixel(int32_t x, int32_t y) const;

  // --- User events (each pumps the paint afterwards)
  // Paints the pending region, if any: erased part white, drawing clipped to it. True when it painted.
  bool pump();
  // A menu item chosen; false (and nothing done) when `id` is not an item of menu 104.
  bool menuCommand(uint16_t id);
  // keys: modifier flags held (kMkShift, kMkControl) besides the left button.
  void mouseDown(int32_t x, int32_t y, uint32_t keys = 0);
  void mouseMove(int32_t x, int32_t y, uint32_t keys = 0);
  void mouseUp(int32_t x, int32_t y, uint32_t keys = 0);
  // Press and release at (x, y).
  void click(int32_t x, int32_t y);
  // Two clicks in quick succession, delivered as the platform does without double-click messages.
  void doubleClick(int32_t x, int32_t y);
  void keyDown(uint32_t key);
  // Gives the client area a new size (contents kept where they fit) and invalidates it all.
  void resize(int32_t width, int32_t height);

 private:
  Image image_;
  const GlyphSource& glyphs_;
  WindowProcedure* procedure_ = nullptr;
  bool destroyed_ = false;
  PendingPaint pending_;
  int paints_ = 0;
  bool capture_ = false;
  CursorShape cursor_ = CursorShape::kArrow;
  EditControl edit_;
  std::map<uint16_t, bool> checks_;
  std::vector<Message> messages_;
  std::deque<int> answers_;
  std::deque<DialogScript> dialogScripts_;
  std::vector<DialogRecord> dialogs_;
  std::deque<std::optional<std::string>> fileNames_;
  std::vector<SaveFileRequest> fileRequests_;
  std::deque<std::optional<std::string>> openFileNames_;
  std::vector<OpenFileRequest> openFileRequests_;
  std::set<uint16_t> failedBitmaps_;
  std::string progressCaption_;
  std::vector<std::string> progressTexts_;
  bool progressOpen_ = false;
  std::pair<uint32_t, uint32_t> progressBar_{0, 0};
  size_t cancelProgressAt_ = 0;
};

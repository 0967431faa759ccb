#include "platform/headless_window.h"

#include <algorithm>

#include "platform/bmp_decode.h"
#include "platform/dialog.h"
#include "platform/dialog_template.h"
#include "platform/resources.h"
#include "platform/surface.h"
#include "platform/window_procedure.h"

namespace {

int16_t low16(int32_t v) {
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu));
}

std::string truncated(const std::string& text, size_t maxChars) {
  if (maxChars == 0) return {};
  // Cut at a character boundary at or below maxChars - 1 characters (UTF-8 code points).
  size_t chars = 0, i = 0;
  while (i < text.size() && chars < maxChars - 1) {
    const auto b = static_cast<uint8_t>(text[i]);
    size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 1;
    i = std::min(text.size(), i + len);
    ++chars;
  }
  return text.substr(0, i);
}

bool isButton(ControlKind k) { return k == ControlKind::kRadioButton || k == ControlKind::kCheckBox; }

bool inMenu(const std::vector<MenuEntry>& entries, uint16_t id) {
  for (const MenuEntry& e : entries) {
    if (e.kind == MenuEntry::Kind::kItem && e.id == id) return true;
    if (e.kind == MenuEntry::Kind::kPopup && inMenu(e.entries, id)) return true;
  }
  return false;
}

// The items of a dialog without a display.
class HeadlessDialog : public Dialog {
 public:
  struct Item {
    const DialogControl* control;
    std::string text;
    bool checked = false;
    bool enabled = true;
  };

  explicit HeadlessDialog(const DialogTemplate& t) : template_(t) {
    for (const DialogControl& c : t.controls) items_.push_back({&c, c.text, false, !c.disabled});
  }

  uint16_t templateId() const override { return template_.id; }
  void setItemText(uint16_t id, const std::string& text) override {
    if (Item* i = find(id)) i->text = text;
  }
  std::string itemText(uint16_t id, size_t maxChars) const override {
    const Item* i = find(id);
    return i ? truncated(i->text, maxChars) : std::string();
  }
  void checkRadioButton(uint16_t first, uint16_t last, uint16_t check) override {
    for (Item& i : items_)
      if (i.control->kind == ControlKind::kRadioButton && i.control->id >= first && i.control->id <= last)
        i.checked = i.control->id == check;
  }
  void checkButton(uint16_t id, bool checked) override {
    if (Item* i = find(id); i && isButton(i->control->kind)) i->checked = checked;
  }
  bool isButtonChecked(uint16_t id) const override {
    const Item* i = find(id);
    return i && i->checked;
  }
  void enableItem(uint16_t id, bool enabled) override {
    if (Item* i = find(id)) i->enabled = enabled;
  }
  void endDialog(int result) override {
    ended_ = true;
    result_ = result;
  }

  // A user's click: automatic buttons change state, then the procedure hears of it. Disabled or
  // unknown controls ignore the click.
  void click(DialogProcedure& proc, uint16_t id) {
    Item* i = find(id);
    if (!i || !i->enabled || i->control->kind == ControlKind::kStatic ||
        i->control->kind == ControlKind::kGroupBox)
      return;
    if (i->control->kind == ControlKind::kCheckBox) i->checked = !i->checked;
    if (i->control->kind == ControlKind::kRadioButton) {
      for (uint16_t other : radioGroupOf(template_, id))
        if (Item* o = find(other)) o->checked = other == id;
    }
    proc.onCommand(*this, id);
  }
  void type(uint16_t id, const std::string& text) {
    if (Item* i = find(id); i && i->enabled && i->control->kind == ControlKind::kEdit) i->text = text;
  }
  void snapshot(std::map<uint16_t, std::string>& texts, std::set<uint16_t>& checked) const {
    for (const Item& i : items_) {
      if (i.control->id == kStaticId) continue;
      texts[i.control->id] = i.text;
      if (i.checked) checked.insert(i.control->id);
    }
  }
  bool ended() const { return ended_; }
  int result() const { return result_; }

 private:
  Item* find(uint16_t id) {
    for (Item& i : items_)
      if (i.control->id == id) return &i;
    return nullptr;
  }
  const Item* find(uint16_t id) const { return const_cast<HeadlessDialog*>(this)->find(id); }

  const DialogTemplate& template_;
  std::vector<Item> items_;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace

HeadlessWindow::HeadlessWindow(int32_t width, int32_t height, const GlyphSource& glyphs) : glyphs_(glyphs) {
  resizeImage(image_, std::clamp(width, 0, kMaxImageSide), std::clamp(height, 0, kMaxImageSide), kWhite);
}

bool HeadlessWindow::create(WindowProcedure& procedure) {
  if (procedure_ != nullptr) return false;
  procedure_ = &procedure;
  if (!procedure.onCreate(*this)) {
    destroyed_ = true;
    return false;
  }
  invalidateAll(true);
  pump();
  return true;
}

int HeadlessWindow::messageBox(const std::string& text, const std::string& caption, uint32_t style) {
  messages_.push_back({text, caption, style});
  if (!answers_.empty()) {
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  return unattendedAnswer(style);
}

void HeadlessWindow::invalidate(const Rect& r, bool erase) { pending_.add(r, clientRect(), erase); }

void HeadlessWindow::invalidateAll(bool erase) { invalidate(clientRect(), erase); }

void HeadlessWindow::sendCommand(uint16_t id) {
  if (created()) procedure_->onCommand(*this, id);
}

void HeadlessWindow::close() {
  if (!created()) return;
  destroyed_ = true;
  capture_ = false;
  procedure_->onDestroy(*this);
}

void HeadlessWindow::checkMenuItem(uint16_t id, bool checked) { checks_[id] = checked; }

bool HeadlessWindow::isMenuItemChecked(uint16_t id) const {
  auto it = checks_.find(id);
  return it != checks_.end() && it->second;
}

int HeadlessWindow::runDialog(uint16_t templateId, DialogProcedure& procedure) {
  const DialogTemplate* t = dialogResource(templateId);
  if (t == nullptr) return -1;
  HeadlessDialog dialog(*t);
  DialogRecord record;
  record.templateId = templateId;
  procedure.onInit(dialog);
  dialog.snapshot(record.shownText, record.shownChecked);
  DialogScript script;
  if (!dialogScripts_.empty()) {
    script = dialogScripts_.front();
    dialogScripts_.pop_front();
  }
  if (script.templateId != 0 && script.templateId != templateId) {
    record.scriptMismatch = true;
    script.steps.clear();
    script.steps.push_back({true, kIdCancel, {}});
  }
  for (const DialogScript::Step& step : script.steps) {
    if (dialog.ended()) break;
    if (step.click)
      dialog.click(procedure, step.id);
    else
      dialog.type(step.id, step.text);
  }
  if (!dialog.ended()) dialog.click(procedure, kIdOk);
  // A procedure that ignores OK is closed as the close box would: with Cancel.
  if (!dialog.ended()) dialog.click(procedure, kIdCancel);
  dialog.snapshot(record.finalText, record.finalChecked);
  record.result = dialog.ended() ? dialog.result() : -1;
  dialogs_.push_back(record);
  return record.result;
}

std::optional<std::string> HeadlessWindow::saveFileName(const SaveFileRequest& request) {
  fileRequests_.push_back(request);
  if (fileNames_.empty()) return std::nullopt;
  std::optional<std::string> name = fileNames_.front();
  fileNames_.pop_front();
  if (!name || name->empty()) return std::nullopt;
  std::string full = withDefaultExtension(*name, request.defaultExtension);
  if (full.size() + 1 > request.capacity) return std::nullopt;
  return full;
}

std::optional<std::string> HeadlessWindow::openFileName(const OpenFileRequest& request) {
  openFileRequests_.push_back(request);
  if (openFileNames_.empty()) return std::nullopt;
  std::optional<std::string> name = openFileNames_.front();
  openFileNames_.pop_front();
  if (!name || name->empty()) return std::nullopt;
  return name;
}

CursorShape HeadlessWindow::setCursor(CursorShape shape) { return std::exchange(cursor_, shape); }

void HeadlessWindow::createEditControl(uint16_t id, const std::string& text, const Rect& place) {
  edit_ = {true, id, text, place};
}

void HeadlessWindow::moveEditControl(uint16_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (edit_.exists && edit_.id == id) edit_.place = {x, y, width, height};
}

void HeadlessWindow::setEditText(uint16_t id, const std::string& text) {
  if (edit_.exists && edit_.id == id) edit_.text = text;
}

std::string HeadlessWindow::editText(uint16_t id, size_t maxChars) const {
  return edit_.exists && edit_.id == id ? truncated(edit_.text, maxChars) : std::string();
}

bool HeadlessWindow::loadBitmap(uint16_t id, Image& out) {
  if (failedBitmaps_.count(id) != 0) return false;
  const ResourceBytes bytes = bitmapResource(id);
  return decodeBmp(bytes.data, bytes.size, out);
}

Color HeadlessWindow::pixel(int32_t x, int32_t y) const {
  return image_.inside(x, y) ? image_.at(x, y) : kWhite;
}

bool HeadlessWindow::pump() {
  Surface surface(image_, glyphs_);
  Region region;
  if (!pending_.take(surface, region)) return false;
  ++paints_;
  if (created()) procedure_->onPaint(*this, surface, region);
  return true;
}

bool HeadlessWindow::menuCommand(uint16_t id) {
  const MenuTemplate* menu = menuResource(kMainMenu);
  if (!created() || menu == nullptr || !inMenu(menu->popups, id)) return false;
  sendCommand(id);
  pump();
  return true;
}

void HeadlessWindow::mouseDown(int32_t x, int32_t y, uint32_t keys) {
  if (created()) procedure_->onLButtonDown(*this, false, low16(x), low16(y), kMkLButton | keys);
  pump();
}

void HeadlessWindow::mouseMove(int32_t x, int32_t y, uint32_t keys) {
  if (created()) procedure_->onMouseMove(*this, low16(x), low16(y), keys);
  pump();
}

void HeadlessWindow::mouseUp(int32_t x, int32_t y, uint32_t keys) {
  if (created()) procedure_->onLButtonUp(*this, low16(x), low16(y), keys);
  pump();
}

void HeadlessWindow::click(int32_t x, int32_t y) {
  mouseDown(x, y);
  mouseUp(x, y);
}

void HeadlessWindow::doubleClick(int32_t x, int32_t y) {
  click(x, y);
  click(x, y);
}

void HeadlessWindow::keyDown(uint32_t key) {
  if (created()) procedure_->onKeyDown(*this, key);
  pump();
}

void HeadlessWindow::resize(int32_t width, int32_t height) {
  Image next;
  if (!resizeImage(next, std::clamp(width, 0, kMaxImageSide), std::clamp(height, 0, kMaxImageSide), kWhite))
    return;
  for (int32_t y = 0; y < std::min(next.height, image_.height); ++y)
    for (int32_t x = 0; x < std::min(next.width, image_.width); ++x) next.at(x, y) = image_.at(x, y);
  image_ = std::move(next);
  pending_.region.intersect(clientRect());
  invalidateAll(true);
}

#pragma once
#include <cstdint>
#include <string>

// The items of an open modal dialog, as a dialog procedure sees them.
class Dialog {
 public:
  virtual ~Dialog() = default;
  // Id of the template the dialog was built from.
  virtual uint16_t templateId() const = 0;
  // Replaces the text of control `id`; an unknown id is ignored.
  virtual void setItemText(uint16_t id, const std::string& text) = 0;
  // The text of control `id`, at most `maxChars` - 1 characters (the buffer of the original
  // program held the terminator too); empty for an unknown id.
  virtual std::string itemText(uint16_t id, size_t maxChars = 100) const = 0;
  // Checks `check` and unchecks every other radio button with an id in [first, last].
  virtual void checkRadioButton(uint16_t first, uint16_t last, uint16_t check) = 0;
  // Checks or clears a check box or radio button.
  virtual void checkButton(uint16_t id, bool checked) = 0;
  virtual bool isButtonChecked(uint16_t id) const = 0;
  virtual void enableItem(uint16_t id, bool enabled) = 0;
  // Closes the dialog after the current event; runDialog returns `result`.
  virtual void endDialog(int result) = 0;
};

// A dialog procedure: the two events the system answers. Each returns true when it handled the
// event. A click on an automatic radio button or check box has already changed its state when
// onCommand runs; the close box arrives as onCommand(2) (Cancel).
class DialogProcedure {
 public:
  virtual ~DialogProcedure() = default;
  virtual bool onInit(Dialog& dialog) = 0;
  virtual bool onCommand(Dialog& dialog, uint16_t id) = 0;
};

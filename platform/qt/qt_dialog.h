#pragma once
#include <QtWidgets/QDialog>
#include <map>

#include "platform/dialog.h"
#include "platform/resources.h"

class QWidget;

// A modal QDialog built from a dialog template (dialog units converted with the base units of an
// 8-point font) and served by a dialog procedure. Automatic radio buttons and check boxes change
// state before the procedure hears of the click; Escape and the close box arrive as Cancel (2).
class QtDialog : public QDialog, public Dialog {
 public:
  QtDialog(const DialogTemplate& t, DialogProcedure& procedure, QWidget* parent);

  // Runs the procedure's start-up and the modal loop; gives the result passed to endDialog.
  int run();

  // The widget of control `id`, or null.
  QWidget* item(uint16_t id) const;
  // Pixels of a horizontal and a vertical length in dialog units.
  int toPixelsX(int dlu) const { return dlu * baseX_ / 4; }
  int toPixelsY(int dlu) const { return dlu * baseY_ / 8; }

  uint16_t templateId() const override { return template_.id; }
  void setItemText(uint16_t id, const std::string& text) override;
  std::string itemText(uint16_t id, size_t maxChars = 100) const override;
  void checkRadioButton(uint16_t first, uint16_t last, uint16_t check) override;
  void checkButton(uint16_t id, bool checked) override;
  bool isButtonChecked(uint16_t id) const override;
  void enableItem(uint16_t id, bool enabled) override;
  void endDialog(int result) override;

 protected:
  void reject() override;

 private:
  void clicked(uint16_t id);

  const DialogTemplate& template_;
  DialogProcedure& procedure_;
  std::map<uint16_t, QWidget*> items_;
  int baseX_ = 6;
  int baseY_ = 13;
  bool ended_ = false;
  int result_ = 0;
};

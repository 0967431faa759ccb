#include <gtest/gtest.h>

#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>

#include "platform/dialog.h"
#include "platform/dialog_ids.h"
#include "platform/qt/qt_dialog.h"
#include "platform/resources.h"
#include "tests/qt/qt_application.h"

namespace {

struct IdleProcedure : DialogProcedure {
  bool onInit(Dialog&) override { return true; }
  bool onCommand(Dialog&, uint16_t) override { return true; }
};

bool holds(const DialogControl& group, const DialogControl& c) {
  return c.x >= group.x && c.y >= group.y && c.x + c.cx <= group.x + group.cx &&
         c.y + c.cy <= group.y + group.cy;
}

}  // namespace

// Every control a group box holds in its template lies inside the box's frame, and every
// caption is wide enough for its text, in every dialog.
TEST(QtDialogLayout, ControlsInsideTheirGroupsAndCaptionsFullyVisible) {
  ensureApplication();
  for (uint16_t id : {series_parameters_dialog::kTemplate, series_structure_dialog::kTemplate,
                      required_etalons_dialog::kTemplate, simulation_parameters_dialog::kTemplate,
                      subset_settings_dialog::kTemplate, drawing_settings_dialog::kTemplate,
                      chart_settings_dialog::kTemplate, chart_settings_dialog::kRecognitionTemplate}) {
    const DialogTemplate& t = *dialogResource(id);
    IdleProcedure idle;
    QtDialog dialog(t, idle, nullptr);
    dialog.show();
    QApplication::processEvents();
    const QRect inside = dialog.rect();
    for (const DialogControl& c : t.controls) {
      const QWidget* w = c.id != kStaticId ? dialog.item(c.id) : nullptr;
      if (w == nullptr) continue;
      EXPECT_TRUE(inside.contains(w->geometry())) << id << " control " << c.id << " leaves the dialog";
      if (qobject_cast<const QAbstractButton*>(w) != nullptr && c.kind != ControlKind::kPushButton &&
          c.kind != ControlKind::kDefPushButton) {
        EXPECT_GE(w->width(), w->sizeHint().width())
            << id << " \"" << c.text << "\" is cut: " << w->width() << " < " << w->sizeHint().width();
      }
      for (const DialogControl& g : t.controls) {
        if (g.kind != ControlKind::kGroupBox || &g == &c || !holds(g, c)) continue;
        const QGroupBox* box = nullptr;
        for (const QGroupBox* candidate : dialog.findChildren<QGroupBox*>())
          if (candidate->title().toStdString() == g.text) box = candidate;
        ASSERT_NE(box, nullptr) << g.text;
        // The frame: the box below its title line.
        const QRect frame = box->geometry().adjusted(0, box->fontMetrics().height(), 0, 0);
        EXPECT_TRUE(frame.contains(w->geometry()))
            << id << " control " << c.id << " crosses the frame of \"" << g.text << "\"";
      }
    }
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
      if (!label->wordWrap()) {
        EXPECT_GE(label->width(), label->sizeHint().width())
            << id << " \"" << label->text().toStdString() << "\" is cut";
      }
    }
  }
}

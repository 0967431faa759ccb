#include <gtest/gtest.h>

#include <QtWidgets/QApplication>
#include <QtWidgets/QProgressDialog>

#include "platform/qt/qt_window.h"
#include "tests/qt/qt_application.h"

namespace {

QProgressDialog* shownProgressBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QProgressDialog*>(w);
    if (box != nullptr && box->isVisible()) return box;
  }
  return nullptr;
}

}  // namespace

TEST(QtProgress, ShowsUpdatesAndReportsCancel) {
  ensureApplication();
  QtWindow window;
  EXPECT_TRUE(window.showProgress(" Statistical Simulation", "Statistical simulation: 1 of 6 cells done"));
  QProgressDialog* box = shownProgressBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->windowTitle().toStdString(), " Statistical Simulation");
  EXPECT_EQ(box->labelText().toStdString(), "Statistical simulation: 1 of 6 cells done");
  EXPECT_TRUE(window.showProgress(" Statistical Simulation", "Statistical simulation: 2 of 6 cells done"));
  EXPECT_EQ(box->labelText().toStdString(), "Statistical simulation: 2 of 6 cells done");
  box->cancel();
  EXPECT_FALSE(window.showProgress(" Statistical Simulation", "Statistical simulation: 3 of 6 cells done"));
  window.endProgress();
  EXPECT_EQ(shownProgressBox(), nullptr);
  // With the cell counts the bar is proportional and the time left is shown under the text.
  EXPECT_TRUE(window.showProgress(" Statistical Simulation", "Statistical simulation: 0 cells done"));
  box = shownProgressBox();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(window.showProgress(" Statistical Simulation", "Statistical simulation: 253 of 725 cells done",
                                  253, 725));
  EXPECT_EQ(box->maximum(), 725);
  EXPECT_EQ(box->value(), 253);
  const std::string label = box->labelText().toStdString();
  EXPECT_EQ(label.rfind("Statistical simulation: 253 of 725 cells done\ntime left: about ", 0), 0u) << label;
  window.endProgress();
  // A new operation starts with a fresh box.
  EXPECT_TRUE(window.showProgress(" Statistical Simulation", "again"));
  window.endProgress();
}

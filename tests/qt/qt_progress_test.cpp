#include <gtest/gtest.h>

#include <QtWidgets/QApplication>
#include <QtWidgets/QProgressDialog>

#include "platform/qt/qt_window.h"

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
  if (QApplication::instance() == nullptr) {
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }
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
  // A new operation starts with a fresh box.
  EXPECT_TRUE(window.showProgress(" Statistical Simulation", "again"));
  window.endProgress();
}

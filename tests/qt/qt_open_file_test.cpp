// The open-file dialog of the Qt window, and a series opened from a file in the real window.
#include <gtest/gtest.h>

#include <QtCore/QElapsedTimer>
#include <QtCore/QTimer>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QMainWindow>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "display/app_state.h"
#include "display/opened_files.h"
#include "platform/dialog_ids.h"
#include "platform/qt/qt_dialog.h"
#include "platform/qt/qt_window.h"
#include "shell/main_window.h"
#include "signal/series_header.h"
#include "tests/files/independent_writer.h"
#include "tests/qt/qt_application.h"

namespace {

// Runs action on the first modal dialog of type T that appears, polling every 10 ms, so that
// a dialog slow to open is still answered. After 10 s it rejects whatever modal dialog is
// open, so that a test fails instead of hanging.
template <class T, class Action>
void answerModal(Action action) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, action] {
    if (auto* d = dynamic_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      action(d);
    } else if (clock->elapsed() > 10000) {
      timer->stop();
      timer->deleteLater();
      if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) open->reject();
    }
  });
  timer->start(10);
}

// Chooses `path` in the file dialog that opens next.
void chooseFileSoon(const std::string& path, bool* seen) {
  answerModal<QFileDialog>([path, seen](QFileDialog* d) {
    *seen = d->acceptMode() == QFileDialog::AcceptOpen && d->fileMode() == QFileDialog::ExistingFile;
    d->selectFile(QString::fromStdString(path));
    QMetaObject::invokeMethod(d, "accept");
  });
}

TEST(QtOpenFile, AsksForAnExistingFileAndGivesNothingOnCancel) {
  ensureApplication();
  QtWindow window;
  ScratchFolder dir;
  writeBytes(dir.file("a.csv"), "1\n");
  bool seen = false;
  chooseFileSoon(dir.file("a.csv"), &seen);
  const auto name = window.openFileName({"Open series", {{"Text (*.csv)", "*.csv"}}});
  EXPECT_TRUE(seen);
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(*name, dir.file("a.csv"));
  answerModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
  EXPECT_FALSE(window.openFileName({"Open series", {}}).has_value());
}

// The whole workbench in the Qt window: a recording opened through the File menu's dialogs is
// processed and drawn. With DETECTION_SCREENSHOT set, the window is saved there as PNG.
TEST(QtOpenFile, OpenedSeriesIsProcessedAndDrawnInTheRealWindow) {
  ensureApplication();
  auto state = std::make_unique<AppState>();
  MainWindow procedure(*state);
  QtWindow window;
  ASSERT_TRUE(window.create(procedure));
  window.mainWindow()->resize(1280, 1000);
  window.mainWindow()->show();
  ScratchFolder dir;
  {
    std::ofstream out(dir.file("recording.csv"));
    out << "time,volts\n";
    for (int i = 0; i < 1500; ++i) {
      const int p = i % 150;
      const double pulse = p < 20 ? std::sin(3.14159265 * p / 19.0) : 0.0;
      out << i * 0.001 << "," << 0.8 * pulse + 0.05 * std::sin(i * 0.7) << "\n";
    }
  }
  bool seen = false;
  chooseFileSoon(dir.file("recording.csv"), &seen);
  answerModal<QtDialog>([](QtDialog* d) {
    d->setItemText(file_options_dialog::kColumn, "volts");
    qobject_cast<QAbstractButton*>(d->item(1))->click();
  });
  window.sendCommand(kMenuOpenSeries);
  EXPECT_TRUE(seen);
  EXPECT_EQ(state->opened.seriesFile, dir.file("recording.csv"));
  ASSERT_NE(state->lpCutOffSeriesHeader, nullptr);
  EXPECT_EQ(state->lpCutOffSeriesHeader->dwSeriesSize, 1500u);
  EXPECT_GT(state->lpCutOffSeriesHeader->wRestoredQuantity, 0);
  QApplication::processEvents();
  if (const char* shot = std::getenv("DETECTION_SCREENSHOT")) window.mainWindow()->grab().save(shot);
  window.close();
}

}  // namespace

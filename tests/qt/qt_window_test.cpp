#include "platform/qt/qt_window.h"

#include <gtest/gtest.h>

#include <QtCore/QTimer>
#include <QtGui/QMouseEvent>
#include <QtGui/QShortcut>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QRadioButton>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/dialog_ids.h"
#include "platform/qt/qt_dialog.h"
#include "platform/resources.h"
#include "platform/surface.h"
#include "platform/window_procedure.h"
#include "signal/series_maker.h"
#include "tests/qt/qt_application.h"

namespace {

std::string utf8(const QString& s) { return s.toStdString(); }

struct Recorder : WindowProcedure {
  std::vector<std::string> log;
  std::function<void(Surface&)> paint;
  bool onCreate(Window&) override { return true; }
  void onDestroy(Window&) override { log.push_back("destroy"); }
  void onPaint(Window&, Surface& s, const Region&) override {
    if (paint) paint(s);
  }
  void onCommand(Window&, uint16_t id) override { log.push_back("command " + std::to_string(id)); }
  void onKeyDown(Window&, uint32_t key) override { log.push_back("key " + std::to_string(key)); }
  void onMouseMove(Window&, int16_t x, int16_t y, uint32_t) override {
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  }
  void onLButtonDown(Window&, bool dbl, int16_t x, int16_t y, uint32_t keys) override {
    log.push_back("down " + std::to_string(dbl) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                  std::to_string(keys));
  }
  void onLButtonUp(Window&, int16_t x, int16_t y, uint32_t) override {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  }
};

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureApplication();
    window = std::make_unique<QtWindow>();
    ASSERT_TRUE(window->create(proc));
  }
  Recorder proc;
  std::unique_ptr<QtWindow> window;
};

// Compares a Qt menu with the entries of the resource, separators and nested popups included.
void expectSameMenu(QMenu* menu, const std::vector<MenuEntry>& entries) {
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(entries.size())) << utf8(menu->title());
  for (size_t i = 0; i < entries.size(); ++i) {
    QAction* a = actions[static_cast<qsizetype>(i)];
    const MenuEntry& e = entries[i];
    switch (e.kind) {
      case MenuEntry::Kind::kSeparator:
        EXPECT_TRUE(a->isSeparator());
        break;
      case MenuEntry::Kind::kPopup:
        ASSERT_NE(a->menu(), nullptr);
        EXPECT_EQ(utf8(a->menu()->title()), e.text);
        expectSameMenu(a->menu(), e.entries);
        break;
      case MenuEntry::Kind::kItem:
        EXPECT_EQ(utf8(a->text()), e.text);
        EXPECT_FALSE(a->isCheckable()) << e.text;
        EXPECT_TRUE(a->icon().isNull()) << e.text << " unchecked at first";
        break;
    }
  }
}

TEST_F(QtWindowTest, TitleAndMenuFollowTheResource) {
  EXPECT_EQ(utf8(window->mainWindow()->windowTitle()), "DetectionFixedWhole");
  const MenuTemplate& m = *menuResource(kMainMenu);
  const QList<QAction*> top = window->mainWindow()->menuBar()->actions();
  ASSERT_EQ(top.size(), 4);
  for (size_t i = 0; i < m.popups.size(); ++i) {
    QMenu* popup = top[static_cast<qsizetype>(i)]->menu();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(utf8(popup->title()), m.popups[i].text);
    expectSameMenu(popup, m.popups[i].entries);
  }
}

// Alt and the first letter of a menu title, and F10 for the first menu, are the window's
// shortcuts, while the titles keep their texts (no mnemonic marks). Opening the menus with
// them is seen in the real window.
TEST_F(QtWindowTest, AltLettersAndF10AreShortcutsOfTheMenus) {
  QMenuBar* bar = window->mainWindow()->menuBar();
  const QList<QAction*> top = bar->actions();
  ASSERT_EQ(top.size(), 4);
  std::map<std::string, QShortcut*> shortcuts;
  for (QShortcut* s : window->mainWindow()->findChildren<QShortcut*>())
    shortcuts[s->key().toString(QKeySequence::PortableText).toStdString()] = s;
  for (const char* key : {"Alt+F", "Alt+P", "Alt+S", "Alt+E", "F10"}) {
    ASSERT_EQ(shortcuts.count(key), 1u) << key;
    EXPECT_TRUE(shortcuts[key]->isEnabled()) << key;
  }
  EXPECT_EQ(shortcuts.size(), 5u);
  for (QAction* a : top) EXPECT_FALSE(a->text().contains(QLatin1Char('&')));
}

TEST_F(QtWindowTest, MenuClicksReachTheProcedureAndLeaveCheckMarksAlone) {
  window->checkMenuItem(40008, true);
  ASSERT_NE(window->action(40008), nullptr);
  EXPECT_FALSE(window->action(40008)->icon().isNull());
  window->action(40008)->trigger();
  window->action(40009)->trigger();
  EXPECT_FALSE(window->action(40008)->icon().isNull());
  EXPECT_TRUE(window->action(40009)->icon().isNull());
  EXPECT_TRUE(window->isMenuItemChecked(40008));
  EXPECT_FALSE(window->isMenuItemChecked(40009));
  EXPECT_EQ(proc.log, (std::vector<std::string>{"command 40008", "command 40009"}));
  window->checkMenuItem(40008, false);
  EXPECT_TRUE(window->action(40008)->icon().isNull());
  EXPECT_FALSE(window->isMenuItemChecked(40008));
}

TEST_F(QtWindowTest, MessageBoxShowsExactTextCaptionAndIcon) {
  std::string text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    text = utf8(box->text());
    caption = utf8(box->windowTitle());
    icon = box->icon();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::No)->click();
  });
  const int answer =
      window->messageBox("Нет памяти для newSeries!", " getCutOffSeries ", kMbYesNo | kMbIconQuestion);
  EXPECT_EQ(answer, kIdNo);
  EXPECT_EQ(text, "Нет памяти для newSeries!");
  EXPECT_EQ(caption, " getCutOffSeries ");
  EXPECT_EQ(icon, QMessageBox::Question);
  EXPECT_EQ(buttons, 2);

  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(window->messageBox("No Bitmap <ButtonStart>", "Fatal Error", kMbOk | kMbIconWarning), kIdOk);
  EXPECT_EQ(icon, QMessageBox::Warning);
}

struct ChoiceProcedure : DialogProcedure {
  int mode = 1;
  std::vector<uint16_t> heard;
  bool onInit(Dialog& d) override {
    using namespace drawing_settings_dialog;
    d.checkRadioButton(kDottedFrame, kNoHighlight, kDottedFrame);
    d.checkButton(kShadedPulses, true);
    return true;
  }
  bool onCommand(Dialog& d, uint16_t id) override {
    heard.push_back(id);
    if (id == drawing_settings_dialog::kColouredBackground) mode = 2;
    if (id == kIdOk) d.endDialog(7);
    if (id == kIdCancel) d.endDialog(8);
    return true;
  }
};

TEST_F(QtWindowTest, DialogIsBuiltFromItsTemplateAndServedByItsProcedure) {
  ChoiceProcedure p;
  const DialogTemplate& t = *dialogResource(drawing_settings_dialog::kTemplate);
  bool inspected = false;
  QTimer::singleShot(0, [&] {
    auto* d = dynamic_cast<QtDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    inspected = true;
    EXPECT_EQ(utf8(d->windowTitle()), "Drawing settings");
    EXPECT_EQ(d->width(), d->toPixelsX(175));
    EXPECT_EQ(d->height(), d->toPixelsY(122));
    for (const DialogControl& c : t.controls) {
      if (c.id == kStaticId) continue;
      QWidget* w = d->item(c.id);
      ASSERT_NE(w, nullptr) << c.id;
      EXPECT_EQ(w->geometry(),
                QRect(d->toPixelsX(c.x), d->toPixelsY(c.y), d->toPixelsX(c.cx), d->toPixelsY(c.cy)));
    }
    EXPECT_EQ(
        utf8(qobject_cast<QRadioButton*>(d->item(drawing_settings_dialog::kColouredBackground))->text()),
        "coloured background");
    EXPECT_TRUE(d->isButtonChecked(drawing_settings_dialog::kDottedFrame));
    EXPECT_TRUE(d->isButtonChecked(drawing_settings_dialog::kShadedPulses));
    qobject_cast<QAbstractButton*>(d->item(drawing_settings_dialog::kColouredBackground))->click();
    EXPECT_FALSE(d->isButtonChecked(drawing_settings_dialog::kDottedFrame));
    EXPECT_TRUE(d->isButtonChecked(drawing_settings_dialog::kColouredBackground));
    qobject_cast<QAbstractButton*>(d->item(drawing_settings_dialog::kColouredBackground))
        ->click();  // an automatic radio button stays checked
    EXPECT_TRUE(d->isButtonChecked(drawing_settings_dialog::kColouredBackground));
    qobject_cast<QAbstractButton*>(d->item(drawing_settings_dialog::kFrameGraphFields))->click();
    EXPECT_TRUE(d->isButtonChecked(drawing_settings_dialog::kFrameGraphFields));
    qobject_cast<QAbstractButton*>(d->item(kIdOk))->click();
  });
  EXPECT_EQ(window->runDialog(drawing_settings_dialog::kTemplate, p), 7);
  EXPECT_TRUE(inspected);
  EXPECT_EQ(p.mode, 2);
  EXPECT_EQ(p.heard, (std::vector<uint16_t>{drawing_settings_dialog::kColouredBackground,
                                            drawing_settings_dialog::kColouredBackground,
                                            drawing_settings_dialog::kFrameGraphFields, kIdOk}));

  // Closing the dialog arrives as Cancel; texts are cut at 99 characters.
  ChoiceProcedure q;
  std::string cut;
  QTimer::singleShot(0, [&] {
    auto* d = dynamic_cast<QtDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    d->setItemText(chart_settings_dialog::kUpperBound, std::string(150, '4'));
    cut = d->itemText(chart_settings_dialog::kUpperBound);
    EXPECT_FALSE(d->item(subset_settings_dialog::kInitPosition) != nullptr);
    d->close();
  });
  EXPECT_EQ(window->runDialog(chart_settings_dialog::kTemplate, q), 8);
  EXPECT_EQ(cut, std::string(99, '4'));
  EXPECT_EQ(q.heard, (std::vector<uint16_t>{2}));
  EXPECT_EQ(window->runDialog(4242, q), -1);
}

TEST_F(QtWindowTest, PaintsThroughTheProcedureAndForwardsMouseEvents) {
  proc.paint = [](Surface& s) {
    s.selectBrush({rgb(0, 0, 255)});
    s.rectangle(0, 0, 20, 10);
  };
  window->showMaximized();
  QApplication::processEvents();
  window->invalidateAll(true);
  window->client()->repaint();
  EXPECT_EQ(window->clientImage().at(5, 5), rgb(0, 0, 255));
  EXPECT_EQ(window->clientImage().at(0, 0), kBlack);
  EXPECT_EQ(window->clientImage().at(25, 5), kWhite);
  EXPECT_EQ(window->clientRect().right, window->client()->width());

  proc.log.clear();
  auto send = [&](QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(x, y), QPointF(x, y), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(window->client(), &e);
  };
  send(QEvent::MouseButtonPress, 3, 4, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, 5, 6, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, 5, 6, Qt::LeftButton, Qt::NoButton);
  send(QEvent::MouseButtonDblClick, 5, 6, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseButtonPress, 1, 1, Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(proc.log, (std::vector<std::string>{"down 0 3,4 1", "move 5,6", "up 5,6", "down 0 5,6 1"}));
  EXPECT_NE(virtualKeyOf(Qt::Key_Escape), 0u);
  EXPECT_NE(virtualKeyOf(Qt::Key_Escape), 1u);
  EXPECT_EQ(virtualKeyOf(Qt::Key_A), 65u);
}

TEST_F(QtWindowTest, EditControlCursorAndClose) {
  window->createEditControl(225, "Tmin Text", {0, 0, 0, 0});
  ASSERT_NE(window->editControl(), nullptr);
  EXPECT_FALSE(window->editControl()->isVisibleTo(window->mainWindow()));
  window->moveEditControl(225, 10, 20, 40, 16);
  EXPECT_EQ(window->editControl()->geometry(), QRect(10, 20, 40, 16));
  EXPECT_TRUE(window->editControl()->isVisibleTo(window->mainWindow()));
  EXPECT_EQ(window->editText(225), "Tmin Text");
  window->editControl()->setText("57x");
  EXPECT_EQ(window->editText(225), "57x");
  window->setEditText(225, "40");
  EXPECT_EQ(utf8(window->editControl()->text()), "40");
  EXPECT_EQ(window->editText(99), "");

  EXPECT_EQ(window->setCursor(CursorShape::kSizeNWSE), CursorShape::kArrow);
  EXPECT_EQ(window->client()->cursor().shape(), Qt::SizeFDiagCursor);
  window->setCursor(CursorShape::kSizeNS);
  EXPECT_EQ(window->client()->cursor().shape(), Qt::SizeVerCursor);

  window->close();
  window->close();
  window->sendCommand(205);
  EXPECT_EQ(proc.log, (std::vector<std::string>{"destroy"}));
}

TEST_F(QtWindowTest, SaveFileDialogAsksWithTitleFiltersAndDefaultExtension) {
  const std::string dir = std::filesystem::temp_directory_path().string();
  std::string title;
  QStringList filters;
  QString suffix;
  QTimer::singleShot(0, [&] {
    auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    title = utf8(d->windowTitle());
    filters = d->nameFilters();
    suffix = d->defaultSuffix();
    d->setDirectory(QString::fromStdString(dir));
    d->selectFile(QStringLiteral("snapshot_test_none"));
    QMetaObject::invokeMethod(d, "accept");
  });
  SaveFileRequest r{"Snapshot File Name",
                    {{"Bitmap Files (*.bmp)", "*.bmp"}, {"PCX Files (*.pcx)", "*.pcx"}},
                    "bmp",
                    true,
                    256};
  const auto name = window->saveFileName(r);
  EXPECT_EQ(title, "Snapshot File Name");
  EXPECT_EQ(filters, (QStringList{"Bitmap Files (*.bmp)", "PCX Files (*.pcx)"}));
  EXPECT_EQ(suffix, "bmp");
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(std::filesystem::path(*name).filename().string(), "snapshot_test_none.bmp");

  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) d->reject();
  });
  EXPECT_FALSE(window->saveFileName(r).has_value());
}

TEST(QtGlyphs, UiFontHasProportionalMetricsAndGreekGlyphs) {
  ensureApplication();
  QtGlyphSource g;
  const TextMetrics m = g.metrics({});
  EXPECT_GE(m.height, 10);
  EXPECT_LE(m.height, 20);
  EXPECT_GT(m.aveCharWidth, 3);
  EXPECT_GT(m.maxCharWidth, m.aveCharWidth);
  EXPECT_LT(g.textWidth({}, U"iii"), g.textWidth({}, U"WWW"));
  const TextMask mask = g.render({}, U"Detected 5");
  EXPECT_EQ(mask.width, g.textWidth({}, U"Detected 5"));
  EXPECT_EQ(mask.height, m.height);
  int ink = 0;
  for (uint8_t v : mask.ink) ink += v;
  EXPECT_GT(ink, 20);

  // The symbol font: obtained height at most the one asked for, Greek letters drawn.
  const TextMetrics big = g.metrics({30, true});
  EXPECT_LE(big.height, 30);
  EXPECT_GE(big.height, 24);
  const TextMask sigma = g.render({30, true}, U"σ");
  int sigmaInk = 0;
  for (uint8_t v : sigma.ink) sigmaInk += v;
  EXPECT_GT(sigmaInk, 10);

  Image img;
  resizeImage(img, 100, 40, kWhite);
  Surface s(img, g);
  s.textOut(2, 3, "Tmin");
  int top = 40, left = 100;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 100; ++x)
      if (img.at(x, y) == kBlack) top = std::min(top, y), left = std::min(left, x);
  EXPECT_GE(top, 3);
  EXPECT_GE(left, 2);
  EXPECT_LE(left, 4);
}

}  // namespace

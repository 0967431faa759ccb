#include "platform/headless_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/dialog_ids.h"
#include "platform/resources.h"
#include "platform/surface.h"
#include "platform/window_procedure.h"

namespace {

// A window procedure that logs what reaches it and paints with a function the test gives.
struct LoggingProcedure : WindowProcedure {
  std::vector<std::string> log;
  std::function<void(Window&, Surface&, const Region&)> paint;
  std::function<void(Window&, uint16_t)> command;
  bool createResult = true;

  bool onCreate(Window&) override {
    log.push_back("create");
    return createResult;
  }
  void onDestroy(Window&) override { log.push_back("destroy"); }
  void onPaint(Window& w, Surface& s, const Region& r) override {
    log.push_back("paint");
    if (paint) paint(w, s, r);
  }
  void onCommand(Window& w, uint16_t id) override {
    log.push_back("command " + std::to_string(id));
    if (command) command(w, id);
  }
  void onKeyDown(Window&, uint32_t key) override { log.push_back("key " + std::to_string(key)); }
  void onMouseMove(Window&, int16_t x, int16_t y, uint32_t) override {
    log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  }
  void onLButtonDown(Window&, bool dbl, int16_t x, int16_t y, uint32_t) override {
    log.push_back("down " + std::to_string(dbl) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void onLButtonUp(Window&, int16_t x, int16_t y, uint32_t) override {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  }
};

void fillBlack(Window&, Surface& s, const Region&) {
  s.selectBrush({kBlack});
  s.rectangle(0, 0, 10000, 10000);
}

TEST(HeadlessWindow, RecordsMessagesAndAnswersFromItsQueue) {
  HeadlessWindow w;
  EXPECT_EQ(w.messageBox("a", " cap ", kMbOk | kMbIconWarning), kIdOk);
  EXPECT_EQ(w.messageBox("q", "", kMbYesNo | kMbIconQuestion), kIdYes);
  w.queueAnswer(kIdNo);
  EXPECT_EQ(w.messageBox("q2", "", kMbYesNo), kIdNo);
  ASSERT_EQ(w.messages().size(), 3u);
  EXPECT_EQ(w.messages()[0].text, "a");
  EXPECT_EQ(w.messages()[0].caption, " cap ");
  EXPECT_EQ(w.messages()[0].style & kMbIconMask, static_cast<uint32_t>(kMbIconWarning));
}

TEST(Rect, HitTestsIncludeAllFourEdges) {
  Rect r{10, 20, 30, 40};
  EXPECT_TRUE(r.contains(10, 20));
  EXPECT_TRUE(r.contains(30, 40));
  EXPECT_FALSE(r.contains(31, 40));
  EXPECT_FALSE(r.contains(10, 19));
}

TEST(HeadlessPaint, CreationPaintsOnceAndAFailedStartUpPaintsNothing) {
  LoggingProcedure p;
  HeadlessWindow w(100, 80);
  ASSERT_TRUE(w.create(p));
  EXPECT_EQ(p.log, (std::vector<std::string>{"create", "paint"}));
  EXPECT_FALSE(w.pump());

  LoggingProcedure bad;
  bad.createResult = false;
  HeadlessWindow v(100, 80);
  EXPECT_FALSE(v.create(bad));
  EXPECT_TRUE(v.destroyed());
  v.menuCommand(40004);
  EXPECT_EQ(bad.log, (std::vector<std::string>{"create"}));
}

TEST(HeadlessPaint, ErasingWhitensThePendingRegionAndDrawingIsClippedToIt) {
  LoggingProcedure p;
  HeadlessWindow w(50, 40);
  p.paint = fillBlack;
  ASSERT_TRUE(w.create(p));
  EXPECT_EQ(w.pixel(49, 39), kBlack);

  // Without erasing, a paint that draws nothing leaves the old pixels.
  p.paint = nullptr;
  w.invalidate({0, 0, 10, 10}, false);
  EXPECT_TRUE(w.pump());
  EXPECT_EQ(w.pixel(5, 5), kBlack);

  // With erasing, the whole pending region turns white, and only it.
  w.invalidate({0, 0, 10, 10}, false);
  w.invalidate({20, 20, 25, 22}, true);
  EXPECT_TRUE(w.pendingErase());
  Region seen;
  p.paint = [&](Window&, Surface&, const Region& r) { seen = r; };
  w.pump();
  EXPECT_EQ(seen.rects.size(), 2u);
  EXPECT_EQ(w.pixel(9, 9), kWhite);
  EXPECT_EQ(w.pixel(24, 21), kWhite);
  EXPECT_EQ(w.pixel(10, 10), kBlack);
  EXPECT_EQ(w.pixel(25, 21), kBlack);
  EXPECT_FALSE(w.pendingErase());

  // A paint of the whole image only reaches the invalid part.
  p.paint = fillBlack;
  w.invalidate({0, 0, 3, 3}, false);
  w.pump();
  EXPECT_EQ(w.pixel(2, 2), kBlack);
  EXPECT_EQ(w.pixel(3, 3), kWhite);
  EXPECT_EQ(w.pixel(9, 9), kWhite);
}

TEST(HeadlessPaint, InvalidationOutsideTheClientAreaIsDropped) {
  LoggingProcedure p;
  HeadlessWindow w(50, 40);
  ASSERT_TRUE(w.create(p));
  w.invalidate({60, 60, 70, 70}, true);
  w.invalidate({5, 5, 5, 20}, true);
  EXPECT_FALSE(w.pump());
  w.invalidate({-10, -10, 5, 5}, true);
  EXPECT_EQ(w.pendingRegion().bounds(), (Rect{0, 0, 5, 5}));
}

TEST(HeadlessPaint, ResizingKeepsThePixelsAndRepaintsEverythingErased) {
  LoggingProcedure p;
  HeadlessWindow w(50, 40);
  p.paint = fillBlack;
  ASSERT_TRUE(w.create(p));
  p.paint = nullptr;
  w.resize(80, 20);
  EXPECT_EQ(w.clientRect(), (Rect{0, 0, 80, 20}));
  EXPECT_TRUE(w.pendingErase());
  EXPECT_EQ(w.pendingRegion().bounds(), (Rect{0, 0, 80, 20}));
  EXPECT_EQ(w.pixel(10, 10), kBlack);
  w.pump();
  EXPECT_EQ(w.pixel(10, 10), kWhite);
  EXPECT_EQ(w.pixel(10, 30), kWhite);
}

TEST(HeadlessCommands, SendCommandRunsNestedAndCloseDestroysOnce) {
  LoggingProcedure p;
  HeadlessWindow w(50, 40);
  p.command = [](Window& win, uint16_t id) {
    if (id == 40018) win.sendCommand(205);
    if (id == 40004) win.close();
  };
  ASSERT_TRUE(w.create(p));
  p.log.clear();
  EXPECT_TRUE(w.menuCommand(40018));
  EXPECT_EQ(p.log, (std::vector<std::string>{"command 40018", "command 205"}));
  EXPECT_FALSE(w.menuCommand(205)) << "internal commands are not menu items";
  EXPECT_FALSE(w.menuCommand(12345));
  p.log.clear();
  EXPECT_TRUE(w.menuCommand(40004));
  EXPECT_TRUE(w.destroyed());
  w.close();
  w.click(1, 1);
  w.sendCommand(205);
  EXPECT_EQ(p.log, (std::vector<std::string>{"command 40004", "destroy"}));
}

TEST(HeadlessMouse, CoordinatesArriveAsSigned16BitAndDoubleClicksAsTwoPresses) {
  LoggingProcedure p;
  HeadlessWindow w(50, 40);
  ASSERT_TRUE(w.create(p));
  p.log.clear();
  w.mouseMove(70000, -3);
  w.doubleClick(4, 5);
  w.keyDown(65);
  EXPECT_EQ(p.log, (std::vector<std::string>{"move 4464,-3", "down 0 4,5", "up 4,5", "down 0 4,5", "up 4,5",
                                             "key 65"}));
}

TEST(HeadlessWindowState, MenuChecksCursorCaptureAndEditControl) {
  HeadlessWindow w;
  EXPECT_FALSE(w.isMenuItemChecked(40008));
  w.checkMenuItem(40008, true);
  w.checkMenuItem(40009, false);
  EXPECT_TRUE(w.isMenuItemChecked(40008));
  EXPECT_FALSE(w.isMenuItemChecked(40009));

  EXPECT_EQ(w.setCursor(CursorShape::kSizeNS), CursorShape::kArrow);
  EXPECT_EQ(w.setCursor(CursorShape::kArrow), CursorShape::kSizeNS);
  w.setCapture();
  EXPECT_TRUE(w.hasCapture());
  w.releaseCapture();
  EXPECT_FALSE(w.hasCapture());

  EXPECT_EQ(w.editText(225), "");
  w.setEditText(225, "lost");  // no control yet
  w.createEditControl(225, "Tmin Text", {0, 0, 0, 0});
  EXPECT_EQ(w.editText(225), "Tmin Text");
  w.setEditText(225, std::string(150, '7'));
  EXPECT_EQ(w.editText(225), std::string(99, '7'));
  EXPECT_EQ(w.editText(225, 3), "77");
  EXPECT_EQ(w.editText(226), "");
  w.moveEditControl(225, 10, 20, 30, 15);
  EXPECT_EQ(w.editControl().place, (Rect{10, 20, 30, 15}));
}

TEST(HeadlessFiles, SaveFileNamesGetTheDefaultExtensionAndCancelByDefault) {
  HeadlessWindow w;
  SaveFileRequest r{"Snapshot File Name", {{"Bitmap Files (*.bmp)", "*.bmp"}}, "bmp", true, 256};
  EXPECT_FALSE(w.saveFileName(r).has_value());
  w.queueFileName("/tmp/shot");
  w.queueFileName("/tmp/a.b/shot.PCX");
  w.queueFileName(std::nullopt);
  w.queueFileName(std::string(300, 'x'));
  EXPECT_EQ(w.saveFileName(r), "/tmp/shot.bmp");
  EXPECT_EQ(w.saveFileName(r), "/tmp/a.b/shot.PCX");
  EXPECT_FALSE(w.saveFileName(r).has_value());
  EXPECT_FALSE(w.saveFileName(r).has_value()) << "longer than the name buffer";
  ASSERT_EQ(w.fileRequests().size(), 5u);
  EXPECT_EQ(w.fileRequests()[0].title, "Snapshot File Name");
  EXPECT_EQ(withDefaultExtension("dir.d/name", "bmp"), "dir.d/name.bmp");
  EXPECT_EQ(withDefaultExtension("name.", "bmp"), "name.");
}

// A dialog procedure in the manner of the system's own: a working copy changed by clicks.
struct DrawingLikeProcedure : DialogProcedure {
  int mode = 2;
  int frame = 1;
  std::string typed;
  bool onInit(Dialog& d) override {
    using namespace drawing_settings_dialog;
    d.checkRadioButton(kDottedFrame, kNoHighlight,
                       mode == 0   ? kNoHighlight
                       : mode == 1 ? kDottedFrame
                                   : kColouredBackground);
    d.checkButton(kFrameGraphFields, frame != 0);
    return true;
  }
  bool onCommand(Dialog& d, uint16_t id) override {
    using namespace drawing_settings_dialog;
    switch (id) {
      case kDottedFrame:
        mode = 1;
        return true;
      case kColouredBackground:
        mode = 2;
        return true;
      case kNoHighlight:
        mode = 0;
        return true;
      case kFrameGraphFields:
        frame = d.isButtonChecked(kFrameGraphFields) ? 1 : 0;
        return true;
      case kIdOk:
        d.endDialog(1);
        return true;
      case kIdCancel:
        d.endDialog(1);
        return true;
      default:
        return false;
    }
  }
};

TEST(HeadlessDialogs, ScriptsClickAutomaticButtonsAndRecordWhatWasShown) {
  HeadlessWindow w;
  DrawingLikeProcedure proc;
  w.queueDialog(DialogScript{drawing_settings_dialog::kTemplate, {}}
                    .click(drawing_settings_dialog::kDottedFrame)
                    .click(drawing_settings_dialog::kNoHighlight)
                    .click(drawing_settings_dialog::kFrameGraphFields)
                    .click(kIdOk));
  EXPECT_EQ(w.runDialog(drawing_settings_dialog::kTemplate, proc), 1);
  EXPECT_EQ(proc.mode, 0);
  EXPECT_EQ(proc.frame, 0);
  ASSERT_EQ(w.dialogs().size(), 1u);
  const DialogRecord& r = w.dialogs()[0];
  EXPECT_EQ(r.shownChecked, (std::set<uint16_t>{drawing_settings_dialog::kColouredBackground,
                                                drawing_settings_dialog::kFrameGraphFields}));
  EXPECT_EQ(r.finalChecked, (std::set<uint16_t>{drawing_settings_dialog::kNoHighlight}));
  EXPECT_EQ(r.shownText.at(drawing_settings_dialog::kFrameGraphFields), "frame graph fields");

  // No script: OK. A script for another template: Cancel.
  EXPECT_EQ(w.runDialog(drawing_settings_dialog::kTemplate, proc), 1);
  w.queueDialog(
      DialogScript{series_parameters_dialog::kTemplate, {}}.click(drawing_settings_dialog::kDottedFrame));
  proc.mode = 2;
  EXPECT_EQ(w.runDialog(drawing_settings_dialog::kTemplate, proc), 1);
  EXPECT_TRUE(w.dialogs().back().scriptMismatch);
  EXPECT_EQ(proc.mode, 2);
  EXPECT_EQ(w.runDialog(999, proc), -1);
}

TEST(HeadlessDialogs, RadioGroupsAreSeparateAndDisabledControlsIgnoreInput) {
  struct Passive : DialogProcedure {
    std::vector<uint16_t> heard;
    std::string text;
    bool onInit(Dialog&) override { return true; }
    bool onCommand(Dialog& d, uint16_t id) override {
      heard.push_back(id);
      if (id == kIdOk) {
        text = d.itemText(chart_settings_dialog::kUpperBound);
        d.endDialog(1);
      }
      return true;
    }
  } proc;
  HeadlessWindow w;
  w.queueDialog(DialogScript{chart_settings_dialog::kRecognitionTemplate, {}}
                    .click(chart_settings_dialog::kDetectionError)
                    .click(chart_settings_dialog::kSummaryView)
                    .click(chart_settings_dialog::kRecognitionError)
                    .type(chart_settings_dialog::kUpperBound, std::string(120, '5')));
  w.runDialog(chart_settings_dialog::kRecognitionTemplate, proc);
  EXPECT_EQ(w.dialogs().back().finalChecked, (std::set<uint16_t>{chart_settings_dialog::kSummaryView,
                                                                 chart_settings_dialog::kRecognitionError}));
  EXPECT_EQ(proc.text, std::string(99, '5'));

  w.queueDialog(DialogScript{subset_settings_dialog::kTemplate, {}}
                    .type(subset_settings_dialog::kInitPosition, "17")
                    .click(subset_settings_dialog::kInitPosition)
                    .click(subset_settings_dialog::kSingleFixed));
  w.runDialog(subset_settings_dialog::kTemplate, proc);
  EXPECT_EQ(w.dialogs().back().finalText.at(subset_settings_dialog::kInitPosition), "");
  EXPECT_EQ(w.dialogs().back().finalChecked, (std::set<uint16_t>{subset_settings_dialog::kSingleFixed}));
}

TEST(HeadlessBitmaps, TheFiveButtonsLoadAndAFailureCanBeArranged) {
  HeadlessWindow w;
  for (uint16_t id : {kBitmapNext, kBitmapExit, kBitmapRestart, kBitmapUnselectAll, kBitmapSelectAll}) {
    Image img;
    ASSERT_TRUE(w.loadBitmap(id, img)) << id;
    EXPECT_EQ(img.width, 144);
    EXPECT_EQ(img.height, 32);
  }
  Image img;
  EXPECT_FALSE(w.loadBitmap(104, img));
  w.failBitmap(kBitmapExit);
  EXPECT_FALSE(w.loadBitmap(kBitmapExit, img));
  EXPECT_TRUE(w.loadBitmap(kBitmapNext, img));
}

}  // namespace

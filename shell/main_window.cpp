#include "shell/main_window.h"

#include <new>

#include "display/app_state.h"
#include "display/internal_commands.h"
#include "display/mouse_press.h"
#include "display/parameter_mouse.h"
#include "display/params_header.h"
#include "display/subset_tables.h"
#include "platform/resources.h"
#include "platform/window.h"
#include "processing/chains_header.h"
#include "settings/setting_rules.h"
#include "shell/command_dispatcher.h"
#include "shell/command_ids.h"
#include "shell/etalon_from_series.h"
#include "shell/shown_screen.h"
#include "signal/pulse_alphabet.h"
#include "signal/pulse_bounds.h"
#include "signal/required_list.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"
#include "simulation/rest_err_header.h"

namespace {

// An etalon sequence of `count` entries, all `etalon`; null when memory runs out.
uint16_t* filledSequence(uint16_t count, int32_t etalon) {
  uint16_t* sequence = new (std::nothrow) uint16_t[count > 0 ? count : 1];
  if (sequence != nullptr)
    for (uint16_t k = 0; k < (count > 0 ? count : 1); ++k) sequence[k] = static_cast<uint16_t>(etalon);
  return sequence;
}

// The five button images; false after the message naming the first that cannot be loaded (none is
// kept then).
bool loadButtonBitmaps(Window& window, ButtonBitmaps& bitmaps) {
  struct BitmapSlot {
    uint16_t id;
    Image* image;
    const char* text;
  };
  const BitmapSlot slots[5] = {
      {kBitmapRestart, &bitmaps.restart, "No Bitmap <ButtonStart>"},
      {kBitmapExit, &bitmaps.exit, "No Bitmap <ButtonExit>"},
      {kBitmapNext, &bitmaps.next, "No Bitmap <IDB_BITMAP1>"},
      {kBitmapSelectAll, &bitmaps.selectAll, "No Bitmap <IDB_BITMAP5>"},
      {kBitmapUnselectAll, &bitmaps.unselectAll, "No Bitmap <IDB_BITMAP4>"},
  };
  for (const BitmapSlot& slot : slots) {
    if (!window.loadBitmap(slot.id, *slot.image)) {
      window.messageBox(slot.text, "Fatal Error", kMbOk);
      bitmaps = ButtonBitmaps{};  // the images loaded so far are released too
      return false;
    }
  }
  return true;
}

// The menu's check marks for the start's series type (fixed, whole pulses) and task (detection), and
// the etalon choice that follows from them.
void startMenuChoices(Window& window, AppState& s) {
  for (uint16_t id : {kMenuUnfixedCutOff, kMenuUnfixedWhole, kMenuFixedWhole, kMenuFixedCutOff,
                      kMenuFixedTuples, kMenuUnfixedTuples})
    window.checkMenuItem(id, false);
  s.seriesType = 1;
  window.checkMenuItem(kMenuFixedWhole, true);
  for (uint16_t id : {kMenuJointDetection, kMenuDetection, kMenuRecognition, kMenuSeriesProcessing})
    window.checkMenuItem(id, false);
  s.taskType = 1;
  window.checkMenuItem(kMenuDetection, true);
  updateEffectiveTaskType(s);
  s.resultKind = 1;

  if (s.effectiveTaskType == 1) {
    s.detectionEtalonUsed = s.detectionEtalon;
    for (uint16_t& flag : s.etalonSelected) flag = 0;
    if (s.detectionEtalonUsed >= 1 && s.detectionEtalonUsed <= kAlphabetRecords)
      s.etalonSelected[s.detectionEtalonUsed - 1] = 1;
  } else {
    for (uint16_t& flag : s.etalonSelected) flag = 1;
  }
  s.viewState = (s.effectiveTaskType == 36 || s.effectiveTaskType == 40) ? 9 : 5;
  requiredListFromState(s);
}

// The series size, pulse counts, etalon sequences, noise level, chains header and lost level the
// workbench starts with.
void startSeriesSettings(Window& window, AppState& s) {
  s.seriesSizeChoice.selected = s.seriesSizeChoice.count;
  s.dwSeriesSize = s.dwSeriesSizeUsed =
      static_cast<uint32_t>(s.seriesSizeChoice.values[s.seriesSizeChoice.count - 1]);
  s.wMinPulses = minPulsesFor(s.dwSeriesSizeUsed, s.wImpulseSize, s.wTmax);
  s.wMaxPulses = maxPulsesFor(s.dwSeriesSizeUsed, s.wImpulseSize, s.wTmin);
  s.wPulsesRequested = s.wPulsesUsed = midpointPulses(s.wMinPulses, s.wMaxPulses);

  s.etalonSequence = filledSequence(s.wMaxPulses, s.detectionEtalon);
  s.etalonSequenceCapacity = s.etalonSequence != nullptr ? (s.wMaxPulses > 0 ? s.wMaxPulses : 1) : 0;
  s.etalonSequenceEdit = filledSequence(s.wMaxPulses, s.detectionEtalon);
  s.etalonSequenceEditCapacity = s.etalonSequenceEdit != nullptr ? (s.wMaxPulses > 0 ? s.wMaxPulses : 1) : 0;

  s.noiseLevelChoice.selected = 1;
  s.noiseLevel = s.noiseLevelUsed = static_cast<int16_t>(s.noiseLevelChoice.values[0]);

  s.chainsCapacity = 10;
  s.wChainsMaxPulses = s.wMaxPulses;
  s.lpChainsHeader =
      getChainsHeader(window, static_cast<uint16_t>(s.chainsCapacity), s.wChainsMaxPulses, s.lpChainsHeader);

  s.lostLevelChoice.selected = 2;
  s.lostLevel = static_cast<int16_t>(s.lostLevelChoice.values[1]);
  if (s.seriesType != 2 && s.seriesType != 8) {
    s.lostLevelChoice.selected = 1;
    s.lostLevel = static_cast<int16_t>(s.lostLevelChoice.values[0]);
  }
  s.lostLevelUsed = s.lostLevel;
  s.makingLevel = s.dialogMakingLevel = s.makingLevelUsed = savedEnergyLevel(s.lostLevelUsed);
  s.processingLevel = s.dialogProcessingLevel = s.processingLevelUsed = savedEnergyLevel(s.lostLevelUsed);
}

// The first series is made without noise and without processing. Without a sequence
// (memory failure, already reported) there is none.
void makeFirstSeries(Window& window, AppState& s) {
  if (s.etalonSequence == nullptr) {
    window.messageBox("Нет памяти для etalonSequence!", "CM_INFO", kMbOk);
  } else if (isUnknownNumberSeries(s.seriesType)) {
    s.lpCutOffSeriesHeader =
        getRandomCountSeries(window, s.wEtalonsQuantity, s.etalonAlphabet, s.wImpulseSize, s.wTmin, s.wTmax,
                             s.dwSeriesSizeUsed, s.etalonSequence, s.wAmplitude,
                             static_cast<uint16_t>(s.makingLevelUsed), s.lpCutOffSeriesHeader, s.seeds);
    if (s.lpCutOffSeriesHeader != nullptr) s.wPulsesUsed = s.lpCutOffSeriesHeader->wImpulseQuantity;
  } else {
    s.lpCutOffSeriesHeader =
        getCutOffSeries(window, s.wEtalonsQuantity, s.etalonAlphabet, s.wImpulseSize, s.wTmin, s.wTmax,
                        s.dwSeriesSizeUsed, s.wPulsesUsed, s.etalonSequence, s.wAmplitude,
                        static_cast<uint16_t>(s.makingLevelUsed), s.lpCutOffSeriesHeader, s.seeds);
  }
}

}  // namespace

class MainWindow::EventScope {
 public:
  EventScope(MainWindow& owner, Window& window) : owner_(owner), window_(window) {
    if (owner_.eventDepth_++ == 0 && window_.clientRect().right > 0) {
      outermost_ = true;
      before_ = shownScreen(window_, owner_.state_);
    }
  }
  ~EventScope() {
    --owner_.eventDepth_;
    if (outermost_ && !owner_.destroyed_) {
      invalidateChangedParts(window_, owner_.state_, before_, shownScreen(window_, owner_.state_));
      checkMenuItemsOfState(window_, owner_.state_);
    }
  }
  EventScope(const EventScope&) = delete;
  EventScope& operator=(const EventScope&) = delete;

 private:
  MainWindow& owner_;
  Window& window_;
  bool outermost_ = false;
  ShownScreen before_;
};

bool MainWindow::onCreate(Window& window) {
  AppState& s = state_;
  destroyed_ = false;
  if (!loadButtonBitmaps(window, bitmaps_)) return false;

  for (PulseHeader& pulse : s.etalonAlphabet) pulse = PulseHeader{};
  if (makePulses(window, s.wAmplitude, s.wEtalonsQuantity, s.wImpulseSize, s.etalonAlphabet, s.seeds) != 0)
    s.viewState = 5;

  s.requiredCount = s.requiredCapacity = s.wEtalonsQuantity;
  s.requiredList = getRequiredList(window, s.requiredCount, s.requiredList);
  if (s.requiredList == nullptr) s.requiredCount = s.requiredCapacity = 0;

  startMenuChoices(window, s);

  startSeriesSettings(window, s);

  makeFirstSeries(window, s);

  window.createEditControl(kTminEditId, "Tmin Text", Rect{0, 0, 0, 0});
  return true;
}

void MainWindow::onDestroy(Window& window) {
  AppState& s = state_;
  destroyed_ = true;
  bitmaps_ = ButtonBitmaps{};
  freePulses(s.etalonAlphabet, kAlphabetRecords);
  freeRequiredList(s.requiredList);
  s.requiredList = nullptr;
  s.requiredCount = 0;
  delete[] s.etalonSequence;
  s.etalonSequence = nullptr;
  s.etalonSequenceCapacity = 0;
  delete[] s.etalonSequenceEdit;
  s.etalonSequenceEdit = nullptr;
  s.etalonSequenceEditCapacity = 0;
  freeSeriesHeader(window, s.lpCutOffSeriesHeader);
  s.lpCutOffSeriesHeader = nullptr;
  freeChainsHeader(window, s.lpChainsHeader);
  s.lpChainsHeader = nullptr;
  freeRestErrHeader(window, s.lpRestErrorHeader);
  freeSeriesHeader(window, s.lpSimulationSeries);
  s.lpSimulationSeries = nullptr;
  s.lpRestErrorHeader = nullptr;
  freeSubsetTables(s);
  freeParamsHeader(window, s.lpParamsHeader);
  s.lpParamsHeader = nullptr;
}

void MainWindow::onPaint(Window& window, Surface& surface, const Region& invalid) {
  (void)invalid;
  paintMainWindow(window, surface, state_, bitmaps_);
}

void MainWindow::onCommand(Window& window, uint16_t id) {
  const bool fromParameterView = eventDepth_ == 0 && state_.viewState == 10;
  EventScope scope(*this, window);
  dispatchCommand(window, state_, id);
  // The Tmin field belongs to the parameter view: a menu command that leaves the view takes the
  // field and the panel's pointer with it, as a click elsewhere does.
  if (fromParameterView && !destroyed_ && state_.viewState != 10) {
    window.moveEditControl(kTminEditId, 0, 0, 0, 0);
    releaseParameterPointer(window, state_);
  }
}

void MainWindow::onKeyDown(Window& window, uint32_t key) {
  if (key == 0 || key == 1) window.invalidateAll(true);
}

void MainWindow::onMouseMove(Window& window, int16_t x, int16_t y, uint32_t keys) {
  EventScope scope(*this, window);
  mouseMove(window, state_, x, y, keys);
}

void MainWindow::onLButtonDown(Window& window, bool doubleClick, int16_t x, int16_t y, uint32_t keys) {
  EventScope scope(*this, window);
  if (beginEtalonDrag(state_, x, y, keys)) return;
  mousePress(window, state_, doubleClick ? 1 : 0, x, y);
}

void MainWindow::onLButtonUp(Window& window, int16_t x, int16_t y, uint32_t keys) {
  EventScope scope(*this, window);
  if (endEtalonDrag(window, state_, x)) return;
  mouseRelease(window, state_, x, y, keys);
}

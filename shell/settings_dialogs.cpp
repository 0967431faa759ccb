#include "shell/settings_dialogs.h"

#include <string>

#include "display/app_state.h"
#include "platform/dialog.h"
#include "platform/dialog_ids.h"
#include "platform/window.h"
#include "shell/dialog_fields.h"
#include "shell/parameter_dialogs.h"

// The settings dialogs keep a working copy of every radio group and check box (changed by
// clicks) and a saved copy (the value at opening): OK stores the working copies, Cancel the
// saved ones.

namespace {

int32_t checkedValue(const Dialog& dialog, uint16_t id) { return dialog.isButtonChecked(id) ? 1 : 0; }

// ---- 111: subset settings ---------------------------------------------------------------

class SubsetSettingsProcedure : public DialogProcedure {
 public:
  explicit SubsetSettingsProcedure(AppState& state) : state_(state) {}

  bool onInit(Dialog& dialog) override {
    using namespace subset_settings_dialog;
    employment_ = savedEmployment_ = state_.subsetEmployment;
    // Employments 1 to 5 map to the buttons kSingleRandom to kShiftedComplete; any other value shows
    // "Complete " while the working value keeps the stored one.
    const uint16_t employmentButton = employment_ >= 1 && employment_ <= 5
                                          ? static_cast<uint16_t>(kSingleRandom - 1 + employment_)
                                          : kComplete;
    dialog.checkRadioButton(kSingleRandom, kShiftedComplete, employmentButton);
    dialog.setItemText(kInitPosition, std::to_string(state_.subsetInitPosition));
    proceeding_ = savedProceeding_ = state_.subsetProceeding;
    dialog.checkRadioButton(kProceedingComplete, kProceedingShiftedComplete,
                            proceeding_ == 2 ? kProceedingShiftedComplete : kProceedingComplete);
    return true;
  }

  bool onCommand(Dialog& dialog, uint16_t id) override {
    using namespace subset_settings_dialog;
    if (id >= kSingleRandom && id <= kShiftedComplete) {
      employment_ = static_cast<uint16_t>(id - kSingleRandom + 1);
      return true;
    }
    if (id == kProceedingComplete || id == kProceedingShiftedComplete) {
      proceeding_ = static_cast<uint16_t>(id - kProceedingComplete + 1);
      return true;
    }
    if (id == kIdOk) {
      state_.subsetEmployment = employment_;
      state_.subsetProceeding = proceeding_;
      state_.subsetInitPosition = static_cast<uint16_t>(
          parseDialogInt(limitDialogText(dialog.itemText(kInitPosition, kDialogReadLimit + 1))));
      dialog.endDialog(1);
      return true;
    }
    if (id == kIdCancel) {
      state_.subsetEmployment = savedEmployment_;
      state_.subsetProceeding = savedProceeding_;
      dialog.endDialog(1);
      return true;
    }
    return false;
  }

 private:
  AppState& state_;
  uint16_t employment_ = 0, savedEmployment_ = 0;
  uint16_t proceeding_ = 0, savedProceeding_ = 0;
};

// ---- 112: drawing settings --------------------------------------------------------------

class DrawingSettingsProcedure : public DialogProcedure {
 public:
  explicit DrawingSettingsProcedure(AppState& state) : state_(state) {}

  bool onInit(Dialog& dialog) override {
    using namespace drawing_settings_dialog;
    int32_t* settings[kBoxes] = {&state_.drawFrameGraphFields, &state_.drawShadedPulses,
                                 &state_.drawHighlightDetectedPulses, &state_.drawSpecialGraphSize};
    for (int i = 0; i < kBoxes; ++i) {
      working_[i] = saved_[i] = *settings[i];
      dialog.checkButton(kBoxIds[i], *settings[i] != 0);
    }
    mode_ = savedMode_ = state_.tuplesHighlightMode;
    dialog.checkRadioButton(kDottedFrame, kNoHighlight,
                            mode_ == 0   ? kNoHighlight
                            : mode_ == 1 ? kDottedFrame
                                         : kColouredBackground);
    return true;
  }

  bool onCommand(Dialog& dialog, uint16_t id) override {
    using namespace drawing_settings_dialog;
    for (int i = 0; i < kBoxes; ++i) {
      if (id == kBoxIds[i]) {
        working_[i] = checkedValue(dialog, id);
        return true;
      }
    }
    if (id == kDottedFrame || id == kColouredBackground || id == kNoHighlight) {
      mode_ = id == kDottedFrame ? 1 : id == kColouredBackground ? 2 : 0;
      return true;
    }
    if (id == kIdOk || id == kIdCancel) {
      const int32_t* values = id == kIdOk ? working_ : saved_;
      state_.drawFrameGraphFields = values[0];
      state_.drawShadedPulses = values[1];
      state_.drawHighlightDetectedPulses = values[2];
      state_.drawSpecialGraphSize = values[3];
      state_.tuplesHighlightMode = id == kIdOk ? mode_ : savedMode_;
      dialog.endDialog(1);
      return true;
    }
    return false;
  }

 private:
  static constexpr int kBoxes = 4;
  static constexpr uint16_t kBoxIds[kBoxes] = {
      drawing_settings_dialog::kFrameGraphFields, drawing_settings_dialog::kShadedPulses,
      drawing_settings_dialog::kHighlightDetectedPulses, drawing_settings_dialog::kSpecialGraphSize};
  AppState& state_;
  int32_t working_[kBoxes] = {};
  int32_t saved_[kBoxes] = {};
  uint16_t mode_ = 0, savedMode_ = 0;
};

// ---- 113 and 114: chart settings --------------------------------------------------------

class ChartSettingsProcedure : public DialogProcedure {
 public:
  ChartSettingsProcedure(AppState& state, bool recognition) : state_(state), recognition_(recognition) {}

  bool onInit(Dialog& dialog) override {
    using namespace chart_settings_dialog;
    viewCase_ = savedViewCase_ = state_.viewCase;
    dialog.checkRadioButton(kComponentwise, kSummaryView, viewCase_ == 2 ? kSummaryView : kComponentwise);
    handlingCase_ = savedHandlingCase_ = state_.handlingCase;
    uint16_t handlingButton = kRestoringError;
    if (handlingCase_ == 2) handlingButton = kDetectionError;
    if (recognition_ && handlingCase_ == 3) handlingButton = kRecognitionError;
    checkHandling(dialog, handlingButton);
    fixed_ = savedFixed_ = state_.fixedUpperBound;
    dialog.checkButton(kFixedUpperBound, fixed_ != 0);
    savedUpperBound_ = state_.upperBound;
    dialog.setItemText(kUpperBound, formatDialogReal(state_.upperBound));
    if (recognition_) {
      bounds_ = savedBounds_ = state_.boundsIncluded;
      dialog.checkButton(kBoundsIncluded, bounds_ != 0);
    }
    return true;
  }

  bool onCommand(Dialog& dialog, uint16_t id) override {
    using namespace chart_settings_dialog;
    if (id == kRestoringError || id == kDetectionError || (recognition_ && id == kRecognitionError)) {
      handlingCase_ = id == kRestoringError ? 1 : id == kDetectionError ? 2 : 3;
      return true;
    }
    if (id == kComponentwise || id == kSummaryView) {
      viewCase_ = id == kComponentwise ? 1 : 2;
      return true;
    }
    if (id == kFixedUpperBound) {
      fixed_ = checkedValue(dialog, id);
      return true;
    }
    if (recognition_ && id == kBoundsIncluded) {
      bounds_ = checkedValue(dialog, id);
      return true;
    }
    if (id == kIdOk) {
      state_.handlingCase = handlingCase_;
      state_.viewCase = viewCase_;
      state_.fixedUpperBound = fixed_;
      if (recognition_) state_.boundsIncluded = bounds_;
      state_.upperBound =
          fixed_ != 0 ? parseDialogReal(limitDialogText(dialog.itemText(kUpperBound, kDialogReadLimit + 1)))
                      : savedUpperBound_;
      dialog.endDialog(1);
      return true;
    }
    if (id == kIdCancel) {
      state_.handlingCase = savedHandlingCase_;
      state_.viewCase = savedViewCase_;
      state_.fixedUpperBound = savedFixed_;
      state_.upperBound = savedUpperBound_;
      if (recognition_) state_.boundsIncluded = savedBounds_;
      dialog.endDialog(1);
      return true;
    }
    return false;
  }

 private:
  void checkHandling(Dialog& dialog, uint16_t button) {
    using namespace chart_settings_dialog;
    if (recognition_) {
      // kRecognitionError does not follow kDetectionError, so the group is checked button by button.
      for (uint16_t id : {kRestoringError, kDetectionError, kRecognitionError})
        dialog.checkButton(id, id == button);
    } else {
      dialog.checkRadioButton(kRestoringError, kDetectionError, button);
    }
  }

  AppState& state_;
  bool recognition_;
  int32_t viewCase_ = 1, savedViewCase_ = 1;
  int32_t handlingCase_ = 1, savedHandlingCase_ = 1;
  int32_t fixed_ = 0, savedFixed_ = 0;
  int32_t bounds_ = 1, savedBounds_ = 1;
  double savedUpperBound_ = 0.0;
};

}  // namespace

int runSubsetSettingsDialog(Window& window, AppState& state) {
  SubsetSettingsProcedure procedure(state);
  return window.runDialog(subset_settings_dialog::kTemplate, procedure);
}

int runDrawingSettingsDialog(Window& window, AppState& state) {
  DrawingSettingsProcedure procedure(state);
  return window.runDialog(drawing_settings_dialog::kTemplate, procedure);
}

int runChartSettingsDialog(Window& window, AppState& state, bool recognition) {
  using namespace chart_settings_dialog;
  ChartSettingsProcedure procedure(state, recognition);
  return window.runDialog(recognition ? kRecognitionTemplate : kTemplate, procedure);
}

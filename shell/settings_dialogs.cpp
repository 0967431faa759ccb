#include "shell/settings_dialogs.h"

#include <string>

#include "display/app_state.h"
#include "platform/dialog.h"
#include "platform/window.h"
#include "shell/dialog_fields.h"
#include "shell/parameter_dialogs.h"

// The settings dialogs keep a working copy of every radio group and check box (changed by
// clicks) and a saved copy (the value at opening): OK stores the working copies, Cancel the
// saved ones.

namespace {

constexpr uint16_t kOk = 1;
constexpr uint16_t kCancel = 2;

int32_t checkedValue(const Dialog& dialog, uint16_t id) { return dialog.isButtonChecked(id) ? 1 : 0; }

// ---- 111: subset settings ---------------------------------------------------------------

class SubsetSettingsProcedure : public DialogProcedure {
 public:
  explicit SubsetSettingsProcedure(AppState& state) : state_(state) {}

  bool onInit(Dialog& dialog) override {
    employment_ = savedEmployment_ = state_.subsetEmployment;
    // Employments 1 to 5 map to the buttons 1015 to 1019; any other value shows "Complete "
    // while the working value keeps the stored one.
    const uint16_t employmentButton =
        employment_ >= 1 && employment_ <= 5 ? static_cast<uint16_t>(1014 + employment_) : 1018;
    dialog.checkRadioButton(1015, 1019, employmentButton);
    dialog.setItemText(1020, std::to_string(state_.subsetInitPosition));
    proceeding_ = savedProceeding_ = state_.subsetProceeding;
    dialog.checkRadioButton(1021, 1022, proceeding_ == 2 ? 1022 : 1021);
    return true;
  }

  bool onCommand(Dialog& dialog, uint16_t id) override {
    if (id >= 1015 && id <= 1019) {
      employment_ = static_cast<uint16_t>(id - 1014);
      return true;
    }
    if (id == 1021 || id == 1022) {
      proceeding_ = static_cast<uint16_t>(id - 1020);
      return true;
    }
    if (id == kOk) {
      state_.subsetEmployment = employment_;
      state_.subsetProceeding = proceeding_;
      state_.subsetInitPosition =
          static_cast<uint16_t>(parseDialogInt(limitDialogText(dialog.itemText(1020, kDialogReadLimit + 1))));
      dialog.endDialog(1);
      return true;
    }
    if (id == kCancel) {
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
    int32_t* settings[kBoxes] = {&state_.drawFrameGraphFields, &state_.drawShadedPulses,
                                 &state_.drawHighlightDetectedPulses, &state_.drawSpecialGraphSize};
    for (int i = 0; i < kBoxes; ++i) {
      working_[i] = saved_[i] = *settings[i];
      dialog.checkButton(kBoxIds[i], *settings[i] != 0);
    }
    mode_ = savedMode_ = state_.tuplesHighlightMode;
    dialog.checkRadioButton(1025, 1027, mode_ == 0 ? 1027 : mode_ == 1 ? 1025 : 1026);
    return true;
  }

  bool onCommand(Dialog& dialog, uint16_t id) override {
    for (int i = 0; i < kBoxes; ++i) {
      if (id == kBoxIds[i]) {
        working_[i] = checkedValue(dialog, id);
        return true;
      }
    }
    if (id == 1025 || id == 1026 || id == 1027) {
      mode_ = id == 1025 ? 1 : id == 1026 ? 2 : 0;
      return true;
    }
    if (id == kOk || id == kCancel) {
      const int32_t* values = id == kOk ? working_ : saved_;
      state_.drawFrameGraphFields = values[0];
      state_.drawShadedPulses = values[1];
      state_.drawHighlightDetectedPulses = values[2];
      state_.drawSpecialGraphSize = values[3];
      state_.tuplesHighlightMode = id == kOk ? mode_ : savedMode_;
      dialog.endDialog(1);
      return true;
    }
    return false;
  }

 private:
  static constexpr int kBoxes = 4;
  static constexpr uint16_t kBoxIds[kBoxes] = {1044, 1024, 1023, 1043};
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
    viewCase_ = savedViewCase_ = state_.viewCase;
    dialog.checkRadioButton(1030, 1031, viewCase_ == 2 ? 1031 : 1030);
    handlingCase_ = savedHandlingCase_ = state_.handlingCase;
    uint16_t handlingButton = 1028;
    if (handlingCase_ == 2) handlingButton = 1029;
    if (recognition_ && handlingCase_ == 3) handlingButton = 1034;
    checkHandling(dialog, handlingButton);
    fixed_ = savedFixed_ = state_.fixedUpperBound;
    dialog.checkButton(1032, fixed_ != 0);
    savedUpperBound_ = state_.upperBound;
    dialog.setItemText(1033, formatDialogReal(state_.upperBound));
    if (recognition_) {
      bounds_ = savedBounds_ = state_.boundsIncluded;
      dialog.checkButton(1042, bounds_ != 0);
    }
    return true;
  }

  bool onCommand(Dialog& dialog, uint16_t id) override {
    if (id == 1028 || id == 1029 || (recognition_ && id == 1034)) {
      handlingCase_ = id == 1028 ? 1 : id == 1029 ? 2 : 3;
      return true;
    }
    if (id == 1030 || id == 1031) {
      viewCase_ = id == 1030 ? 1 : 2;
      return true;
    }
    if (id == 1032) {
      fixed_ = checkedValue(dialog, id);
      return true;
    }
    if (recognition_ && id == 1042) {
      bounds_ = checkedValue(dialog, id);
      return true;
    }
    if (id == kOk) {
      state_.handlingCase = handlingCase_;
      state_.viewCase = viewCase_;
      state_.fixedUpperBound = fixed_;
      if (recognition_) state_.boundsIncluded = bounds_;
      state_.upperBound = fixed_ != 0
                              ? parseDialogReal(limitDialogText(dialog.itemText(1033, kDialogReadLimit + 1)))
                              : savedUpperBound_;
      dialog.endDialog(1);
      return true;
    }
    if (id == kCancel) {
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
    if (recognition_) {
      // 1034 does not follow 1029, so the group is checked button by button.
      for (uint16_t id : {uint16_t{1028}, uint16_t{1029}, uint16_t{1034}})
        dialog.checkButton(id, id == button);
    } else {
      dialog.checkRadioButton(1028, 1029, button);
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
  return window.runDialog(111, procedure);
}

int runDrawingSettingsDialog(Window& window, AppState& state) {
  DrawingSettingsProcedure procedure(state);
  return window.runDialog(112, procedure);
}

int runChartSettingsDialog(Window& window, AppState& state, bool recognition) {
  ChartSettingsProcedure procedure(state, recognition);
  return window.runDialog(recognition ? 114 : 113, procedure);
}

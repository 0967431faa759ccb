#include "shell/parameter_dialogs.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "display/app_state.h"
#include "display/gap_checks.h"
#include "platform/dialog.h"
#include "platform/dialog_ids.h"
#include "platform/window.h"
#include "processing/working_limits.h"
#include "shell/dialog_fields.h"
#include "signal/pulse_bounds.h"
#include "simulation/rest_err_header.h"

namespace {

std::string readText(const Dialog& dialog, uint16_t id) {
  return limitDialogText(dialog.itemText(id, kDialogReadLimit + 1));
}

int32_t readInt(const Dialog& dialog, uint16_t id) { return parseDialogInt(readText(dialog, id)); }

void writeInt(Dialog& dialog, uint16_t id, int64_t value) { dialog.setItemText(id, std::to_string(value)); }

void refuse(Window& window, const std::string& text, const std::string& caption) {
  window.messageBox(text, caption, kMbOk | kMbIconWarning);
}

// Runs a dialog whose OK and Cancel set dialogAccepted; a dialog that cannot be opened
// counts as cancelled.
int runAccepting(Window& window, AppState& state, uint16_t templateId, DialogProcedure& procedure) {
  state.dialogAccepted = 0;
  return window.runDialog(templateId, procedure);
}

// The four parameter dialogs: Cancel ends the dialog with dialogAccepted 0; OK is each
// dialog's own and sets dialogAccepted 1 when it accepts.
class AcceptingProcedure : public DialogProcedure {
 public:
  AcceptingProcedure(Window& window, AppState& state) : window_(window), state_(state) {}

  bool onCommand(Dialog& dialog, uint16_t id) final {
    if (id == kIdCancel) {
      state_.dialogAccepted = 0;
      dialog.endDialog(1);
      return true;
    }
    if (id != kIdOk) return false;
    return onOk(dialog);
  }

 protected:
  virtual bool onOk(Dialog& dialog) = 0;

  Window& window_;
  AppState& state_;
};

// ---- 105: series parameters -------------------------------------------------------------

class CreateSeriesProcedure : public AcceptingProcedure {
 public:
  CreateSeriesProcedure(Window& window, AppState& state) : AcceptingProcedure(window, state) {}

  bool onInit(Dialog& dialog) override {
    using namespace series_parameters_dialog;
    writeInt(dialog, kSamplesLength, state_.dwSeriesSizeUsed);
    writeInt(dialog, kMinInterval, state_.wTmin);
    writeInt(dialog, kMaxInterval, state_.wTmax);
    writeInt(dialog, kMakingEnergyLevel, state_.makingLevelUsed);
    writeInt(dialog, kProcessingEnergyLevel, state_.processingLevelUsed);
    writeInt(dialog, kEtalonNumber, state_.detectionEtalonUsed);
    return true;
  }

  bool onOk(Dialog& dialog) override {
    using namespace series_parameters_dialog;
    const uint32_t size = static_cast<uint32_t>(readInt(dialog, kSamplesLength));
    const uint16_t tmin = static_cast<uint16_t>(readInt(dialog, kMinInterval));
    const uint16_t tmax = static_cast<uint16_t>(readInt(dialog, kMaxInterval));
    const int32_t making = readInt(dialog, kMakingEnergyLevel);
    const int32_t etalon = readInt(dialog, kEtalonNumber);
    const int32_t processing = readInt(dialog, kProcessingEnergyLevel);
    if (!acceptable(size, tmin, tmax, making, processing, etalon)) return true;
    state_.dialogSeriesSize = size;
    state_.dialogTmin = tmin;
    state_.dialogTmax = tmax;
    state_.dialogMakingLevel = static_cast<int16_t>(making);
    state_.detectionEtalon = etalon;
    state_.dialogProcessingLevel = static_cast<int16_t>(processing);
    state_.dialogAccepted = 1;
    dialog.endDialog(1);
    return true;
  }

 private:
  bool acceptable(uint32_t size, uint16_t tmin, uint16_t tmax, int32_t making, int32_t processing,
                  int32_t etalon) {
    const std::string caption = kSeriesParametersCaption;
    const uint32_t impulse = state_.wImpulseSize;
    if (const std::string gap = minimalGapRefusal(tmin, tmax); !gap.empty()) {
      refuse(window_, gap, caption);
      return false;
    }
    if (size < impulse || size > kMaxSolverSeriesSize) {
      refuse(window_,
             "Длина серии должна быть от " + std::to_string(impulse) + " до " +
                 std::to_string(kMaxSolverSeriesSize) + "!",
             caption);
      return false;
    }
    if ((uint64_t{size} - impulse + tmin) / tmin > 65535) {
      refuse(window_, "Слишком много импульсов в серии!", caption);
      return false;
    }
    if (making < 0 || making > 100 || processing < 0 || processing > 100) {
      refuse(window_, "Уровень сохраняемой энергии должен быть от 0 до 100!", caption);
      return false;
    }
    if (etalon < 1 || etalon > state_.wEtalonsQuantity) {
      refuse(window_, "Номер эталона должен быть от 1 до " + std::to_string(state_.wEtalonsQuantity) + "!",
             caption);
      return false;
    }
    return true;
  }
};

// ---- 106: series structure --------------------------------------------------------------

class SeriesStructureProcedure : public AcceptingProcedure {
 public:
  SeriesStructureProcedure(Window& window, AppState& state) : AcceptingProcedure(window, state) {}

  bool onInit(Dialog& dialog) override {
    using namespace series_structure_dialog;
    // The number of entries shown, and read back at OK, is the request at the start.
    shownCount_ = std::min(state_.wPulsesRequested, state_.etalonSequenceEditCapacity);
    dialog.setItemText(kPulseCountLabel, "Number of Pulses in Series (from " +
                                             std::to_string(state_.dialogMinPulses) + " to " +
                                             std::to_string(state_.dialogMaxPulses) + ")");
    writeInt(dialog, kPulseCount, state_.wPulsesRequested);
    dialog.setItemText(kSequenceLabel, "Sequence of Etalons in Series (values from 1 to " +
                                           std::to_string(state_.wEtalonsQuantity) + ")");
    dialog.setItemText(kEtalonSequence, formatDialogList(state_.etalonSequenceEdit, shownCount_));
    writeInt(dialog, kNoiseLevel, state_.noiseLevelUsed);
    return true;
  }

  bool onOk(Dialog& dialog) override {
    using namespace series_structure_dialog;
    std::vector<uint16_t> sequence(shownCount_);
    parseDialogList(readText(dialog, kEtalonSequence), sequence.data(), sequence.size());
    for (uint16_t value : sequence) {
      if (value < 1 || value > state_.wEtalonsQuantity) {
        refuse(window_,
               "Номера эталонов в серии должны быть от 1 до " + std::to_string(state_.wEtalonsQuantity) + "!",
               "Create Series");
        return true;
      }
    }
    // The noise level is a 16-bit setting: a larger or negative value would wrap silently.
    const int32_t noiseLevel = readInt(dialog, kNoiseLevel);
    if (noiseLevel < 0 || noiseLevel > 32767) {
      refuse(window_, "Уровень шума должен быть от 0 до 32767!", "Create Series");
      return true;
    }
    state_.dialogPulses = static_cast<uint16_t>(readInt(dialog, kPulseCount));
    std::copy(sequence.begin(), sequence.end(), state_.etalonSequenceEdit);
    state_.dialogNoiseLevel = static_cast<int16_t>(noiseLevel);
    state_.dialogAccepted = 1;
    dialog.endDialog(1);
    return true;
  }

 private:
  uint16_t shownCount_ = 0;
};

// ---- 107: required etalons --------------------------------------------------------------

class RequiredEtalonsProcedure : public AcceptingProcedure {
 public:
  RequiredEtalonsProcedure(Window& window, AppState& state) : AcceptingProcedure(window, state) {}

  bool onInit(Dialog& dialog) override {
    using namespace required_etalons_dialog;
    writeInt(dialog, kCount, state_.requiredCount);
    dialog.setItemText(
        kListLabel, "List of Required Etalons (from 1 to " + std::to_string(state_.wEtalonsQuantity) + ")");
    const uint16_t shown = std::min(state_.requiredCount, state_.requiredCapacity);
    dialog.setItemText(kList, formatDialogList(state_.requiredList, shown));
    return true;
  }

  bool onOk(Dialog& dialog) override {
    using namespace required_etalons_dialog;
    const int32_t count = readInt(dialog, kCount);
    if (count > 0 && count <= state_.requiredCapacity) state_.requiredCount = static_cast<uint16_t>(count);
    const uint16_t used = std::min(state_.requiredCount, state_.requiredCapacity);
    parseDialogList(readText(dialog, kList), state_.requiredList, used);
    state_.dialogAccepted = 1;
    dialog.endDialog(1);
    return true;
  }
};

// ---- 110: simulation parameters ---------------------------------------------------------

class SimulationParametersProcedure : public AcceptingProcedure {
 public:
  SimulationParametersProcedure(Window& window, AppState& state) : AcceptingProcedure(window, state) {}

  bool onInit(Dialog& dialog) override {
    using namespace simulation_parameters_dialog;
    // The admissible pulse range of the series chosen in dialog 105.
    lowest_ = seriesMinPulses(state_.dialogSeriesSize, state_.wImpulseSize, state_.dialogTmax);
    highest_ = maxPulsesFor(state_.dialogSeriesSize, state_.wImpulseSize, state_.dialogTmin);
    writeInt(dialog, kPulsesFrom, state_.dialogMinPulses);
    writeInt(dialog, kPulsesTo, state_.dialogMaxPulses);
    writeInt(dialog, kPulsesIncrement, state_.pulsesIncrement);
    writeInt(dialog, kNoiseInitialLevel, state_.noiseInitialLevel);
    writeInt(dialog, kNoiseSteps, state_.noiseSteps);
    writeInt(dialog, kNoiseIncrement, state_.noiseIncrement);
    writeInt(dialog, kRepeats, state_.repeats);
    return true;
  }

  bool onOk(Dialog& dialog) override {
    using namespace simulation_parameters_dialog;
    const uint16_t from = static_cast<uint16_t>(readInt(dialog, kPulsesFrom));
    const uint16_t to = static_cast<uint16_t>(readInt(dialog, kPulsesTo));
    const uint16_t increment = static_cast<uint16_t>(readInt(dialog, kPulsesIncrement));
    const uint16_t initial = static_cast<uint16_t>(readInt(dialog, kNoiseInitialLevel));
    const uint16_t steps = static_cast<uint16_t>(readInt(dialog, kNoiseSteps));
    const uint16_t noiseIncrement = static_cast<uint16_t>(readInt(dialog, kNoiseIncrement));
    const uint16_t repeats = static_cast<uint16_t>(readInt(dialog, kRepeats));
    const std::string caption = " Location Parameters";
    if (from < lowest_ || to > highest_ || from > to) {
      refuse(window_,
             "Число импульсов должно быть от " + std::to_string(lowest_) + " до " + std::to_string(highest_) +
                 ", и \"from\" не больше \"to\"!",
             caption);
      return true;
    }
    if (repeats == 0) {
      refuse(window_, "Число повторений должно быть больше 0!", caption);
      return true;
    }
    if (steps == 0) {
      refuse(window_, "Число шагов по шуму должно быть больше 0!", caption);
      return true;
    }
    if (uint64_t{initial} + uint64_t{steps - 1u} * noiseIncrement > 32767) {
      refuse(window_, "Уровень шума не может превышать 32767!", caption);
      return true;
    }
    const uint64_t pulseValues = (to - from) / std::max<uint16_t>(increment, 1) + 1u;
    if (pulseValues * steps * kRestErrTables > kMaxRestErrCells) {
      refuse(window_, "Слишком большая сетка моделирования!", caption);
      return true;
    }
    state_.dialogMinPulses = from;
    state_.dialogMaxPulses = to;
    state_.pulsesIncrement = increment;
    state_.noiseInitialLevel = initial;
    state_.noiseSteps = steps;
    state_.noiseIncrement = noiseIncrement;
    state_.repeats = repeats;
    state_.dialogAccepted = 1;
    dialog.endDialog(1);
    return true;
  }

 private:
  uint16_t lowest_ = 0;
  uint16_t highest_ = 0;
};

}  // namespace

int runCreateSeriesDialog(Window& window, AppState& state) {
  CreateSeriesProcedure procedure(window, state);
  return runAccepting(window, state, series_parameters_dialog::kTemplate, procedure);
}

int runSeriesStructureDialog(Window& window, AppState& state) {
  SeriesStructureProcedure procedure(window, state);
  return runAccepting(window, state, series_structure_dialog::kTemplate, procedure);
}

int runRequiredEtalonsDialog(Window& window, AppState& state) {
  if (state.requiredList == nullptr) {
    state.dialogAccepted = 0;
    return -1;
  }
  RequiredEtalonsProcedure procedure(window, state);
  return runAccepting(window, state, required_etalons_dialog::kTemplate, procedure);
}

int runSimulationParametersDialog(Window& window, AppState& state) {
  SimulationParametersProcedure procedure(window, state);
  return runAccepting(window, state, simulation_parameters_dialog::kTemplate, procedure);
}

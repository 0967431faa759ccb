#include "shell/dialog_command_table.h"

#include "display/app_state.h"
#include "platform/window.h"
#include "shell/command_ids.h"
#include "shell/dialog_commands.h"
#include "shell/simulation_commands.h"
#include "shell/simulation_result_command.h"

bool runDialogCommand(Window& window, AppState& state, uint16_t id) {
  switch (id) {
    case kCmCreateSeries:
      commandCreateSeries(window, state);
      return true;
    case kCmNewPulses:
      commandNewPulses(window, state);
      return true;
    case kCmSaveImage:
      commandSaveImage(window, state);
      return true;
    case kCmStatisticalSimulation:
      commandStatisticalSimulation(window, state);
      return true;
    case kCmShowStatisticalSimulation:
      commandShowStatisticalSimulation(window, state);
      return true;
    case kCmSelectSetOfPulses:
      commandSelectSetOfPulses(window, state);
      return true;
    case kCmSubsetSettings:
      commandSubsetSettings(window, state);
      return true;
    case kCmDrawingSettings:
      commandDrawingSettings(window, state);
      return true;
    case kCmViewSeriesParameters:
      commandViewSeriesParameters(window, state);
      return true;
    case kCmOpenSimulationResult:
      commandOpenSimulationResult(window, state);
      return true;
    case CM_SIMULATION_SETUP:
      commandSimulationSetup(window, state);
      return true;
    case CM_SERIES_DIALOG:
      commandSeriesDialog(window, state);
      return true;
    default:
      return false;
  }
}

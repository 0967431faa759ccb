#include "tests/shell/dialog_test_state.h"

#include <algorithm>

#include "display/params_header.h"
#include "platform/surface.h"
#include "processing/chains_header.h"
#include "shell/dialog_command_table.h"
#include "shell/dialog_commands.h"
#include "signal/pulse_alphabet.h"
#include "signal/pulse_header.h"
#include "signal/required_list.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"

StartedState::StartedState(int32_t width, int32_t height) : window(width, height) {
  state.requiredList = getRequiredList(window, 20, nullptr);
  state.requiredCapacity = 20;
  state.requiredCount = 1;
  state.etalonSequence = new uint16_t[30];
  std::fill_n(state.etalonSequence, 30, uint16_t{1});
  state.etalonSequenceCapacity = 30;
  state.etalonSequenceEdit = new uint16_t[30];
  std::fill_n(state.etalonSequenceEdit, 30, uint16_t{1});
  state.etalonSequenceEditCapacity = 30;
  makePulses(window, state.wAmplitude, state.wEtalonsQuantity, state.wImpulseSize, state.etalonAlphabet,
             state.seeds);
  state.layout.workArea = Rect{10, 10, 800, 700};
  state.layout.lineHeight = 13;
}

StartedState::~StartedState() {
  freeRequiredList(state.requiredList);
  delete[] state.etalonSequence;
  delete[] state.etalonSequenceEdit;
  freeChainsHeader(window, state.lpChainsHeader);
  freeSeriesHeader(window, state.lpCutOffSeriesHeader);
  freeSeriesHeader(window, state.lpSimulationSeries);
  freeRestErrHeader(window, state.lpRestErrorHeader);
  freeParamsHeader(window, state.lpParamsHeader);
  freePulses(state.etalonAlphabet, state.wEtalonsQuantity);
}

void DialogCommandProcedure::onCommand(Window& window, uint16_t id) {
  if (!runDialogCommand(window, state, id)) otherCommands.push_back(id);
}

void DialogCommandProcedure::onPaint(Window&, Surface& surface, const Region&) {
  surface.rectangle(1, 1, 30, 15);
  surface.fillRect(Rect{5, 5, 12, 9}, rgb(255, 0, 0));
}

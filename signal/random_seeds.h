#pragma once
#include <cstdint>

// The seeds of the program's random sources, each with its fixed initial value.
// The program holds one instance (in AppState) that nothing ever resets; tests and
// the command-line companion make fresh ones to reproduce a run from its start.
struct RandomSeeds {
  uint16_t seedNoisePulses = 123;       // noise etalons of the alphabet
  uint16_t seedPositions = 12345;       // pulse origins and the anchor pulse
  uint16_t seedCutBegin = 7737;         // first kept sample of each pulse
  uint16_t seedCutEnd = 3373;           // last kept sample of each pulse
  uint16_t seedPulseCount = 13579;      // number of pulses of an unfixed series
  uint16_t seedSubsetSingle = 11357;    // subset modes "Single random " and "Shifted complete"
  uint16_t seedSubsetMultiple = 11357;  // subset mode "Multiple random"
  uint16_t seedNoise = 10597;           // additive noise of a series (addNoise)
};

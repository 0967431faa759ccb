#pragma once
#include <cstdint>

// The values the workbench starts with: the window's settings after start-up, the
// companion's option defaults, the Python module's keyword defaults and the first series
// every fresh workbench makes. One home, so that the three agree.
namespace start_values {

// The alphabet: number of etalons, their length in samples and their amplitude.
constexpr uint16_t kEtalons = 20;
constexpr uint16_t kImpulseSize = 20;
constexpr int16_t kAmplitude = 128;
// Ranked chains a run keeps.
constexpr int16_t kChainsCapacity = 10;

// The series: its length, the admissible distance between pulse origins, the number of
// pulses of the first series and the capacity of its etalon sequence.
constexpr uint32_t kSeriesSize = 1200;
constexpr uint16_t kTmin = 40;
constexpr uint16_t kTmax = 181;
constexpr uint16_t kMinPulses = 6;
constexpr uint16_t kMaxPulses = 30;
constexpr uint16_t kPulses = 18;
constexpr uint16_t kSequenceCapacity = 30;
constexpr uint16_t kDetectionEtalon = 1;

// Levels: noise, lost data, saved energy when making and when processing.
constexpr int16_t kNoiseLevel = 20;
constexpr int16_t kLostLevel = 0;
constexpr int16_t kSavedLevel = 100;

// Task and series type codes (detection, fixed number of pulses).
constexpr uint16_t kTaskType = 1;
constexpr uint16_t kSeriesType = 1;

// Tuples: subset employment mode, initial position, proceeding mode.
constexpr uint16_t kSubsetEmployment = 4;
constexpr uint16_t kSubsetInitPosition = 1;
constexpr uint16_t kSubsetProceeding = 1;

// Statistical simulation grid.
constexpr uint16_t kPulsesIncrement = 1;
constexpr uint16_t kNoiseInitialLevel = 0;
constexpr uint16_t kNoiseSteps = 29;
constexpr uint16_t kNoiseIncrement = 5;
constexpr uint16_t kRepeats = 100;

}  // namespace start_values

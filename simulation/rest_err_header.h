#pragma once
#include <cstdint>
#include <memory>

class MessageSink;

// The error tables of one statistical simulation: for every noise level (row) and pulse-count
// value (column) the averaged errors of its trials. A table is an array of row pointers, one
// row per noise level, each row one value per pulse-count value: table[level][pulse index].
//
// Storage: one array of wReservedLevels + wReservedPulses 16-bit values (lpNoiseLevel at its
// start, wPulseValues after the first wReservedLevels entries); one array of 6 x M row
// pointers (the six tables one after another); one array of 6 x P x M cells (table after
// table, rows of P cells), M and P being the capacities at allocation.
struct RestErrHeader {
  uint16_t wReservedPulses = 0;  // capacity in pulse-count values
  uint16_t wVariousPulses = 0;   // pulse-count values in use
  uint16_t wReservedLevels = 0;  // capacity in noise levels
  uint16_t wNoiseLevels = 0;     // noise levels in use
  int32_t repeats = 0;           // trials per cell
  int16_t* wPulseValues = nullptr;
  int16_t* lpNoiseLevel = nullptr;
  int32_t** lpErrors = nullptr;             // mean restoring error
  int32_t** lpFragmentErrors = nullptr;     // total of the scaled position errors
  int32_t** lpReservedErrors = nullptr;     // always 0
  int32_t** lpRecognitionErrors = nullptr;  // trials with a wrongly recognised subset
  int32_t** lpSpareErrors1 = nullptr;       // always 0
  int32_t** lpSpareErrors2 = nullptr;       // always 0
  uint16_t wInfoLevel = 0;
  uint16_t wSeriesType = 0;
  uint16_t wTaskType = 0;
  const char* taskName = nullptr;
  const char* seriesTypeName = nullptr;
  uint16_t wMakingEnergyLevel = 0;
  uint16_t wProcessingEnergyLevel = 0;
  uint16_t ifComplete = 0;

  std::unique_ptr<int16_t[]> valueBlock;
  std::unique_ptr<int32_t*[]> rowBlock;
  std::unique_ptr<int32_t[]> cellBlock;
};

// Number of tables of a RestErrHeader.
constexpr int kRestErrTables = 6;

// Largest cell array (all six tables) a header may allocate; a larger grid is refused like
// an exhausted memory.
constexpr uint64_t kMaxRestErrCells = uint64_t{1} << 26;

// Returns a header able to hold pulses x levels cells (header null: a new one; otherwise the
// given one, its storage kept when its capacities suffice), with the counts and repeats set
// and the values and cells cleared. Returns null after a message when memory is short; the
// given header is then released.
RestErrHeader* getRestErrHeader(MessageSink& window, uint16_t pulses, uint16_t levels, int32_t repeats,
                                RestErrHeader* header);

// Sets the grid: pulse-count value i = firstPulses + i x pulsesStep, noise level l =
// firstLevel + l x levelStep (16-bit), clears the restoring-error cells in use and ifComplete.
// Returns 1, or 0 after a message (no header, or a count above the capacity; then nothing
// changes).
int initRestErrHeader(MessageSink& window, uint16_t pulses, uint16_t firstPulses, uint16_t pulsesStep,
                      uint16_t levels, uint16_t firstLevel, uint16_t levelStep, int32_t repeats,
                      RestErrHeader* header);

// Stamps the simulation description (codes, their texts, the two saved energy levels) and sets
// wInfoLevel = 2. Returns 1, or 0 after a message when the header is null.
int addInitRestErrHeader(MessageSink& window, uint16_t seriesType, uint16_t taskType, uint16_t makingLevel,
                         uint16_t processingLevel, RestErrHeader* header);

// Releases the header and everything it owns; accepts null. Returns 1.
int freeRestErrHeader(MessageSink& window, RestErrHeader* header);

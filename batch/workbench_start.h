#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "batch/stderr_window.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"

struct SeriesHeader;
struct ChainsHeader;
struct RestErrHeader;
struct SeriesSettings;

// The state of a workbench right after its start: fresh seeds, the alphabet of 20
// etalons, and the first series of 1200 samples with 18 whole pulses of etalon 1 and no
// noise. Releases every record it holds.
// Message boxes go to the given stream (none when null) and are kept in the window.
struct WorkbenchStart {
  explicit WorkbenchStart(std::FILE* messages = stderr);
  ~WorkbenchStart();
  WorkbenchStart(const WorkbenchStart&) = delete;
  WorkbenchStart& operator=(const WorkbenchStart&) = delete;

  StderrWindow window;
  RandomSeeds seeds;
  PulseHeader alphabet[kAlphabetRecords] = {};
  SeriesHeader* series = nullptr;
  ChainsHeader* chains = nullptr;
  RestErrHeader* errors = nullptr;
  uint32_t sequenceState = 1;  // the generator that draws the etalon sequence of a new run
  bool ready = false;          // false when the alphabet could not be built (message shown)
};

// The etalon sequence of a series: the given entries, the last one repeated, over
// capacity entries (at least one entry is needed).
std::vector<uint16_t> extendedSequence(const std::vector<uint16_t>& given, size_t capacity);

// After a library refusal: false, and when the libraries showed no message since
// messagesBefore, the line "detection-batch: <what> could not be made".
bool saidWhyNot(const StderrWindow& window, int messagesBefore, const char* what);

// Obtains the series header for the settings (the subset can be set on it before the series
// is made). Returns false after a message when no header could be had.
bool prepareSeriesHeader(WorkbenchStart& start, const SeriesSettings& settings);

// Makes the series of the settings from the sequence in the prepared header and adds the
// noise. Returns false when the series could not be made (a message has been shown).
bool makeNoisySeries(WorkbenchStart& start, const SeriesSettings& settings, std::vector<uint16_t>& sequence);

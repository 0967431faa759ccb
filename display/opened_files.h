#pragma once
// The user's own series and etalons opened from files in the window. While seriesFile is set
// the current series is the file's: processing works on it, and the result view draws no
// true pulses and no restoring error, since there is no truth. While etalonsFile is set,
// etalons 1..etalonCount of the alphabet are the file's.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "processing/long_recording.h"
#include "processing/working_limits.h"

// The answer of the last run on an opened recording longer than the workbench's series.
struct LongRecordingResult {
  bool answered = false;  // false: not processed (the task is not answered on long recordings)
  LongAnswer answer;
  uint16_t task = 0;          // the effective task type of the run
  uint16_t etalonLength = 0;  // samples of each pulse found
  uint64_t run = 0;           // counts the runs and refusals, so that the screen sees a new answer
};

struct OpenedFiles {
  std::string seriesFile;                         // empty: the series is generated
  std::vector<int16_t> samples;                   // the file's samples, scaled
  std::vector<double> values;                     // as read, kept to scale again with newly opened etalons
  std::optional<double> scale;                    // the factor asked for (none: peak to amplitude)
  double factor = 1.0;                            // the factor used
  size_t first = 0;                               // 0-based index in the file of the first sample
  std::string etalonsFile;                        // empty: the built-in alphabet
  std::vector<std::vector<double>> etalonValues;  // as read
  uint16_t etalonCount = 0;
  uint16_t etalonLength = 0;
  // The built-in alphabet as it was when etalons were first opened; Restart gives it back.
  std::vector<std::vector<int16_t>> builtInRows;
  uint16_t builtInLength = 0;
  LongRecordingResult longResult;  // while the series is a long recording

  // A recording longer than the workbench's series: the long path processes it and the result
  // view draws it whole, decimated.
  bool isLong() const { return !seriesFile.empty() && samples.size() > kMaxSolverSeriesSize; }
};

// Menu commands of the File menu for the user's files, after the items of the original menu.
enum : uint16_t {
  kMenuOpenSeries = 40101,
  kMenuOpenEtalons = 40102,
  kMenuSaveSeries = 40103,
};

// Internal command: give back the built-in alphabet (sent by Restart while etalons of a file
// are in use).
constexpr uint16_t CM_RESTORE_ALPHABET = 240;

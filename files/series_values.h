#pragma once
// What the readers of the user's files give: real values with the places they came from, for
// scaleSamples() to check and scale. Readers keep at most one value more than the solvers
// take, so a long recording never fills the memory; the full size is kept beside.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/sample_scaling.h"
#include "processing/working_limits.h"

// Which values of a file make the series.
struct SeriesReadOptions {
  std::optional<size_t> column;   // 1-based column of a text file or a 2-D .npy
  std::string columnName;         // or a text column by its header name
  std::optional<size_t> channel;  // 1-based channel of a sound file
  size_t from = 0;                // samples skipped at the start (0-based first sample)
  std::optional<size_t> count;    // samples taken; absent: all that follow
  // A sound file that holds fewer frames than its header declares is refused unless this is
  // set; then the frames it holds are read.
  bool acceptShort = false;
  // Added to that refusal: how the caller asks for the frames there are.
  std::string acceptShortHint;
  // Values the caller takes at most: readers keep one more, so that a longer segment is
  // told apart without filling the memory. The long-recording path raises it.
  size_t keepAtMost = kMaxSolverSeriesSize;
};

// The series' values as read.
struct SeriesValues {
  std::string source;           // the file name
  std::vector<double> values;   // at most keepAtMost + 1 values of the options
  size_t totalSize = 0;         // values in the chosen segment, values.size() or more
  std::vector<uint32_t> lines;  // text files: the line of each value; empty otherwise
  size_t first = 0;             // 0-based index in the file of values[0]
  std::string unit = "sample";  // what a position counts: "sample", "frame", "row"

  // Names value i for a message: "line 17" or "sample 5" (1-based, counted in the file).
  std::string position(size_t i) const;
};

// The etalons as read: one row per etalon.
struct EtalonValues {
  std::string source;
  std::vector<std::vector<double>> rows;  // at most kMaxUserEtalons + 1 rows
  size_t totalRows = 0;
  std::vector<uint32_t> lines;  // text files: the line of each row
  // Names value i of etalon k: "line 4, value 3" or "row 2, column 3".
  std::string position(size_t k, size_t i) const;
};

// Keeps the values of the segment from .. from + count of a stream of total values: true
// when value `index` (0-based in the file) is to be stored, false when it lies outside or
// beyond what is kept. Adds every value of the segment to totalSize.
bool takeSegmentValue(const SeriesReadOptions& options, size_t index, SeriesValues& out);

// The message for a segment start at or beyond the end of total values; empty when it fits.
std::string segmentStartProblem(const std::string& source, const SeriesReadOptions& options, size_t total,
                                const char* unit);

#pragma once
#include "batch/long_input.h"
// The companion on the user's own files: `process --input FILE` solves on a file's series
// (and etalons), `series --format F --output FILE` writes a made series in a form the
// readers read back.
#include <optional>
#include <string>

#include "batch/options.h"

// Where the series (and etalons) of `process --input` come from.
struct InputOptions {
  std::string input;
  std::optional<int64_t> column;  // --column K, a number
  std::string columnName;         // --column NAME
  std::optional<int64_t> channel;
  std::optional<int64_t> from;
  std::optional<int64_t> count;
  std::optional<double> scale;
  std::string etalons;
  LongInputOptions recording;  // breaks and the pulses file of the long-recording path
};

// Splits the text of --column into a 1-based number or a header name.
void setColumn(InputOptions& options, const std::string& text);

// Reads and scales the file's series and etalons, checks the process options against them,
// runs the solver of the task and series type and prints the answer and the chains, with
// "input" recording file, segment and factor. Exit status as the other commands.
int runProcessInput(ProcessOptions options, const InputOptions& input);

// Makes one series as `series` does and writes it to output as json (the document `series`
// prints), csv (columns lpPureData and lpNoisyData, the per-pulse tables as comment lines) or
// npy (int16, shape (N, 2): pure, noisy).
int runSeriesToFile(const SeriesSettings& settings, const std::string& format, const std::string& output);

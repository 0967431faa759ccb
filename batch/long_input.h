#pragma once
// `process --input` on the long-recording path: detection, joint detection and recognition of
// an unknown number of whole pulses (series type 4) in a recording of any length, with 64-bit
// criteria, optional breaks and per-pulse margins.
#include <cstdint>
#include <optional>
#include <string>

#include "batch/answer_plot_output.h"
#include "batch/json_output.h"
#include "batch/options.h"
#include "batch/workbench_runs.h"
#include "files/sample_scaling.h"
#include "processing/long_recording.h"

struct PulseHeader;
struct UserData;
struct WorkbenchStart;

// The options of the long-recording path.
struct LongInputOptions {
  std::optional<double> breakPenalty;  // --break-penalty (absent: inf)
  std::string pulsesCsv;               // --pulses-csv FILE (empty: none)
  bool pulsesCsvGiven = false;
};

// Reads the text of --break-penalty: a number of 0 or more, or inf. Throws OptionError.
double parseBreakPenalty(const std::string& text);

// True for the tasks the long path answers: detection, joint detection and recognition of an
// unknown number of whole pulses (series type 4), detection and joint detection of a known
// number (series type 1).
bool longPathTask(const ProcessOptions& options);

// True when the run goes the long path: a task it answers, and a recording longer than the
// workbench's 32,767 samples, criteria beyond its 32 bits (an unknown number only), breaks or
// a pulses file.
bool longPathNeeded(const ProcessOptions& options, const ScaledSamples& scaled,
                    const LongInputOptions& longOptions, int32_t builtInPeak);

// Checks the options against the scaled data (throws OptionError naming the option), runs the
// long path and puts the answer into doc (solver, sizes, criterion, the pulses, lpMargins);
// answer keeps it for the caller. A failure of the run is the outcome's failure.
RunOutcome longRecordingRun(const ProcessOptions& options, const ScaledSamples& scaled,
                            const PulseHeader* alphabet, const LongInputOptions& longOptions,
                            OrderedJson& doc, LongAnswer& answer);

// Runs the long path on the user's data and prints the JSON answer (the "input" part given);
// when a picture is wanted, draws the stretch of the recording with the pulses found into it.
// Exit status as the other commands.
int runLongInput(const ProcessOptions& options, const UserData& user, WorkbenchStart& start,
                 const LongInputOptions& longOptions, OrderedJson input, PlotOutput& picture,
                 const PlotStretch& stretch);

// One line per pulse: position, etalon, margin (a header line first; an infinite margin is
// written "inf").
std::string pulsesCsvText(const std::vector<int64_t>& positions, const std::vector<int32_t>& etalons,
                          const std::vector<double>& margins);

#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "settings/start_values.h"

// The options of the subcommands as typed, before they are checked. Defaults are the
// workbench's start values.
struct AlphabetOptions {
  int64_t amplitude = start_values::kAmplitude;
  int64_t count = start_values::kEtalons;
  int64_t length = start_values::kImpulseSize;
};

struct SeriesOptions {
  int64_t length = start_values::kSeriesSize;
  int64_t tmin = start_values::kTmin;
  int64_t tmax = start_values::kTmax;
  std::optional<int64_t> pulses;  // absent: the midpoint of the admissible range
  bool unknown = false;           // draw the number of pulses
  std::string sequence;           // "e1,e2,..."; empty: the command's default sequence
  int64_t makingLevel = start_values::kSavedLevel;
  int64_t noise = start_values::kNoiseLevel;
  std::string subset;  // "e1,e2,..."; empty: no subset
  int64_t subsetMode = start_values::kSubsetEmployment;
  int64_t subsetPosition = start_values::kSubsetInitPosition;
  // Length of the etalons the run uses: the alphabet's 20, or that of the user's own etalons.
  int64_t impulseSize = start_values::kImpulseSize;
  // Number of series made (and dropped) before the one of the run, advancing the random
  // sources as earlier series would: 0 gives the start-up series.
  int64_t seed = 0;
};

struct ProcessOptions {
  SeriesOptions series;
  std::string task = "detection";
  int64_t seriesType = start_values::kSeriesType;
  std::string required = "1";
  int64_t processingLevel = start_values::kSavedLevel;
  std::string subsets;  // "a,b,c;d,e"
  int64_t proceeding = start_values::kSubsetProceeding;
  // The series is the user's, not made: its number of pulses is not drawn whatever the series
  // type; --pulses gives it to the solvers that need it (default: the midpoint).
  bool givenSeries = false;
};

struct SimulateOptions {
  ProcessOptions process;
  std::optional<int64_t> pulsesFrom;  // absent: fewest admissible pulses
  std::optional<int64_t> pulsesTo;    // absent: most admissible pulses
  int64_t pulsesStep = start_values::kPulsesIncrement;
  int64_t noiseFirst = start_values::kNoiseInitialLevel;
  int64_t noiseSteps = start_values::kNoiseSteps;
  int64_t noiseStep = start_values::kNoiseIncrement;
  int64_t repeats = start_values::kRepeats;
  int64_t threads = 0;    // 0: all cores
  std::string csv;        // empty: standard output
  bool csvGiven = false;  // --csv was typed (an empty name is then refused)
  std::string shard;      // "K/N"; empty: the whole grid, or the Slurm array task with --output
  std::string output;     // the shard file; empty: none
  std::string json;       // the whole-result file; empty: none
};

struct MergeOptions {
  std::vector<std::string> parts;
  std::string csv;   // empty: standard output unless json is given
  std::string json;  // empty: none
};

// A bad option: the option's name and what is wrong with its value.
struct OptionError : std::runtime_error {
  OptionError(std::string optionName, const std::string& problem)
      : std::runtime_error(optionName + ": " + problem), option(std::move(optionName)) {}
  std::string option;
};

// Checked settings of a series, ready for the series makers.
struct SeriesSettings {
  uint32_t length = 0;
  uint16_t tmin = 0;
  uint16_t tmax = 0;
  uint16_t minPulses = 0;  // admissible range of the pulse count
  uint16_t maxPulses = 0;
  uint16_t pulses = 0;  // requested count (unused when unknown)
  bool unknown = false;
  bool pulsesGiven = false;
  std::vector<uint16_t> sequence;  // empty: the command's default
  uint16_t makingLevel = 100;
  int16_t noise = 0;
  std::vector<int32_t> subset;
  uint16_t subsetMode = 4;
  uint16_t subsetPosition = 1;
  uint16_t impulseSize = 20;
  uint32_t seed = 0;  // series made before the run's own
};

// Checked settings of a processing run.
struct ProcessSettings {
  SeriesSettings series;
  uint16_t taskType = 1;  // menu task code: 1, 2, 4, 64, or 36 / 40 for the tuple tasks
  uint16_t effectiveTaskType = 1;
  uint16_t seriesType = 1;
  std::vector<uint16_t> required;
  uint16_t processingLevel = 100;
  std::vector<std::vector<int32_t>> subsets;
  uint16_t proceeding = 1;
};

// Checked grid of a simulation.
struct SimulateSettings {
  ProcessSettings process;
  uint16_t pulseSteps = 0;  // number of pulse counts
  uint16_t pulsesFrom = 0;
  uint16_t pulsesStep = 1;
  uint16_t noiseFirst = 0;
  uint16_t noiseSteps = 0;
  uint16_t noiseStep = 0;
  int32_t repeats = 0;
  unsigned threads = 0;
  std::string csv;      // empty: standard output
  uint32_t shard = 0;   // K of K/N, from 1; 0: the whole grid
  uint32_t shards = 0;  // N
  std::string output;
  std::string json;
};

// Number of etalons of the alphabet the series and solvers use, and their length.
constexpr uint16_t kBatchEtalons = start_values::kEtalons;
constexpr uint16_t kBatchImpulseSize = start_values::kImpulseSize;
constexpr int16_t kBatchAmplitude = start_values::kAmplitude;
// Number of chains a result keeps.
constexpr uint16_t kBatchChainsCapacity = start_values::kChainsCapacity;

// Largest --seed: the series before the run's own are made one by one, so the limit keeps the
// longest run (32,767 samples each) to seconds.
constexpr int64_t kBatchMaxSeed = 10000;

// Most entries of any list option, and most subsets of --subsets: list lengths and subset
// counts are 16-bit in the libraries.
constexpr size_t kBatchMaxListEntries = 65535;

// Parses "e1,e2,..." (blanks allowed around the numbers) into numbers; throws
// OptionError naming the option for an empty entry, a text that is not a number, or more
// than maxEntries entries (counted before anything is stored).
std::vector<int64_t> parseNumberList(const std::string& option, const std::string& text,
                                     size_t maxEntries = kBatchMaxListEntries);

// Parses "a,b,c;d,e" into lists; throws OptionError as parseNumberList does, and for more
// than maxLists lists.
std::vector<std::vector<int64_t>> parseNumberLists(const std::string& option, const std::string& text,
                                                   size_t maxLists = kBatchMaxListEntries);

// What is wrong with the text of a whole-number option, or "" when it is a whole number
// that fits 64 bits: "\"99999999999999999999999\" is not a whole number from
// -9223372036854775808 to 9223372036854775807". The text is quoted as typed.
std::string wholeNumberProblem(const std::string& text);

// Throws OptionError naming the option for an empty file name.
void checkFileName(const std::string& option, const std::string& name);

// A file named by an option: ("--csv", "a.csv").
using NamedFile = std::pair<std::string, std::string>;

// Throws OptionError when two outputs name the same file (devices and pipes apart), or an
// output names one of the inputs (an input of "-" is standard input): "--json: \"a\" is also
// given to --csv; each output needs a file of its own". Empty names are skipped.
void checkDistinctFiles(const std::vector<NamedFile>& outputs, const std::vector<NamedFile>& inputs);

// Checks the options; each throws OptionError naming the first bad option.
AlphabetOptions checkAlphabet(const AlphabetOptions& options);
SeriesSettings checkSeries(const SeriesOptions& options);
ProcessSettings checkProcess(const ProcessOptions& options);
SimulateSettings checkSimulate(const SimulateOptions& options);

// The task names of --task, in the order of their codes 1, 2, 4, 64, 36, 40.
const std::vector<std::string>& taskNames();

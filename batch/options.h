#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The options of the subcommands as typed, before they are checked. Defaults are the
// workbench's start values.
struct AlphabetOptions {
  int64_t amplitude = 128;
  int64_t count = 20;
  int64_t length = 20;
};

struct SeriesOptions {
  int64_t length = 1200;
  int64_t tmin = 40;
  int64_t tmax = 181;
  std::optional<int64_t> pulses;  // absent: the midpoint of the admissible range
  bool unknown = false;           // draw the number of pulses
  std::string sequence;           // "e1,e2,..."; empty: the command's default sequence
  int64_t makingLevel = 100;
  int64_t noise = 20;
  std::string subset;  // "e1,e2,..."; empty: no subset
  int64_t subsetMode = 4;
  int64_t subsetPosition = 1;
  // Length of the etalons the run uses: the alphabet's 20, or that of the user's own etalons.
  int64_t impulseSize = 20;
};

struct ProcessOptions {
  SeriesOptions series;
  std::string task = "detection";
  int64_t seriesType = 1;
  std::string required = "1";
  int64_t processingLevel = 100;
  std::string subsets;  // "a,b,c;d,e"
  int64_t proceeding = 1;
  // The series is the user's, not made: its number of pulses is not drawn whatever the series
  // type; --pulses gives it to the solvers that need it (default: the midpoint).
  bool givenSeries = false;
};

struct SimulateOptions {
  ProcessOptions process;
  std::optional<int64_t> pulsesFrom;  // absent: fewest admissible pulses
  std::optional<int64_t> pulsesTo;    // absent: most admissible pulses
  int64_t pulsesStep = 1;
  int64_t noiseFirst = 0;
  int64_t noiseSteps = 29;
  int64_t noiseStep = 5;
  int64_t repeats = 100;
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
constexpr uint16_t kBatchEtalons = 20;
constexpr uint16_t kBatchImpulseSize = 20;
constexpr int16_t kBatchAmplitude = 128;
// Number of chains a result keeps.
constexpr uint16_t kBatchChainsCapacity = 10;

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

// Checks the options; each throws OptionError naming the first bad option.
AlphabetOptions checkAlphabet(const AlphabetOptions& options);
SeriesSettings checkSeries(const SeriesOptions& options);
ProcessSettings checkProcess(const ProcessOptions& options);
SimulateSettings checkSimulate(const SimulateOptions& options);

// The task names of --task, in the order of their codes 1, 2, 4, 64, 36, 40.
const std::vector<std::string>& taskNames();

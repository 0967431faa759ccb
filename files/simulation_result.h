#pragma once
// The result of a statistical simulation as a file: the description of the run (everything that
// defines its results), the cells it holds with their three measures, and a fingerprint of the
// run. A shard file holds the cells of one shard; a whole result holds every cell. The reader
// treats its input as hostile.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class MessageSink;
struct RestErrHeader;

// Everything that defines the results of a simulation run.
struct SimulationRun {
  uint16_t taskType = 1;           // task code as chosen: 1, 2, 4, 64, 36 or 40
  uint16_t effectiveTaskType = 1;  // the task the driver runs
  uint16_t seriesType = 1;
  uint32_t seriesSize = 0;
  uint16_t tmin = 0;
  uint16_t tmax = 0;
  uint16_t impulseSize = 0;
  uint16_t etalons = 0;  // alphabet size
  int16_t amplitude = 0;
  uint16_t makingLevel = 100;
  uint16_t processingLevel = 100;
  std::vector<uint16_t> required;
  std::vector<int32_t> subset;  // the current subset; empty: none
  uint16_t subsetMode = 0;
  uint16_t subsetPosition = 0;
  std::vector<std::vector<int32_t>> subsets;  // the selected subsets
  uint16_t proceeding = 1;
  std::vector<int16_t> pulseValues;  // the grid's pulse counts
  std::vector<int16_t> noiseLevels;  // the grid's noise levels
  int32_t repeats = 0;

  // Cells of the grid: index j x (noise levels) + k for pulse count j and level k.
  uint32_t cellCount() const { return static_cast<uint32_t>(pulseValues.size() * noiseLevels.size()); }
  bool operator==(const SimulationRun&) const = default;
};

// One cell with its three measures.
struct SimulationCell {
  uint32_t index = 0;
  int32_t restoringError = 0;     // lpErrors
  int32_t positionError = 0;      // lpFragmentErrors
  int32_t recognitionErrors = 0;  // lpRecognitionErrors
  bool operator==(const SimulationCell&) const = default;
};

struct SimulationResult {
  SimulationRun run;
  uint32_t shard = 1;  // K of K/N; a whole result is 1/1
  uint32_t shards = 1;
  std::vector<SimulationCell> cells;  // increasing cell index
  int64_t startTime = 0;              // calendar seconds of the run's start and end
  int64_t endTime = 0;
  // The etalon of the first pulse of the run's last trial (what the chart's energies line
  // reads); 0 when the file does not hold the last cell.
  uint16_t firstPulseEtalon = 0;
};

// Version of the file format written and read.
constexpr int kSimulationResultVersion = 1;
// Largest result file the reader accepts, in bytes.
constexpr uint64_t kMaxSimulationResultBytes = uint64_t{1} << 28;

// A short hex text that identifies the run: equal runs have equal fingerprints.
std::string simulationRunFingerprint(const SimulationRun& run);

// The shard K of N (both from 1) that computes the given cell. Cells are dealt in rounds, every
// other round backwards, so that each shard gets cells of every pulse count and the shards
// take about equal time.
uint32_t shardOfCell(uint32_t cell, uint32_t shards);

// The JSON document of a result, with the fingerprint of its run and a checksum of the whole.
std::string simulationResultJson(const SimulationResult& result);

// Reads a result from JSON text; name is the file name used in the messages. False with a
// one-line reason naming the file (and the field or position) when the text is not a complete,
// unedited result of this format.
bool parseSimulationResult(std::string_view text, const std::string& name, SimulationResult& result,
                           std::string& error);

// Reads the file at path as parseSimulationResult does, refusing files above the size limit.
bool readSimulationResult(const std::string& path, SimulationResult& result, std::string& error);

// The CSV of a whole result: noise_level,pulses,restoring_error,position_error,recognition_errors,
// noise levels outer, pulse counts inner. The cells must be every cell in order.
std::string simulationCsv(const SimulationResult& result);

// The cells of the error tables for which keep(cell) is true (all when keep is empty), in order.
std::vector<SimulationCell> cellsOfErrors(const RestErrHeader& errors,
                                          const std::function<bool(uint32_t cell)>& keep = {});

// Fills an error header with the grid, the description and the cells of a whole result, as a
// finished simulation leaves it. Returns the header (the given one reused or replaced), or null
// after a message when memory is short.
RestErrHeader* errorsOfResult(MessageSink& window, const SimulationResult& result, RestErrHeader* errors);

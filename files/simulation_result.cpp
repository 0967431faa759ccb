#include "files/simulation_result.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "files/input_file.h"
#include "platform/message_sink.h"
#include "simulation/rest_err_header.h"

using nlohmann::json;

namespace {

constexpr const char* kFormat = "detection-workbench simulation result";

std::string hex64(uint64_t v) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

// FNV-1a over the bytes of a text.
uint64_t fnv1a(std::string_view text) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

json runJson(const SimulationRun& r) {
  json j;
  j["task_type"] = r.taskType;
  j["effective_task_type"] = r.effectiveTaskType;
  j["series_type"] = r.seriesType;
  j["series_size"] = r.seriesSize;
  j["tmin"] = r.tmin;
  j["tmax"] = r.tmax;
  j["impulse_size"] = r.impulseSize;
  j["etalons"] = r.etalons;
  j["amplitude"] = r.amplitude;
  j["making_level"] = r.makingLevel;
  j["processing_level"] = r.processingLevel;
  j["required"] = r.required;
  j["subset"] = r.subset;
  j["subset_mode"] = r.subsetMode;
  j["subset_position"] = r.subsetPosition;
  j["subsets"] = r.subsets;
  j["proceeding"] = r.proceeding;
  j["pulse_values"] = r.pulseValues;
  j["noise_levels"] = r.noiseLevels;
  j["repeats"] = r.repeats;
  return j;
}

// The checksum covers everything but itself: of the document dumped without it.
std::string checksumOf(const json& documentWithoutChecksum) {
  return hex64(fnv1a(documentWithoutChecksum.dump()));
}

// Empties a document without allocating. The library's own destruction first moves the
// members of a container to a new list, and an allocation that fails there, inside a
// destructor, ends the program; a document read while memory runs short must go quietly.
// The recursion is as deep as the document, which is checked before it is read.
void dismantle(json& value) noexcept {
  if (value.is_array()) {
    auto& items = value.get_ref<json::array_t&>();
    while (!items.empty()) {
      dismantle(items.back());
      items.pop_back();
    }
  } else if (value.is_object()) {
    auto& members = value.get_ref<json::object_t&>();
    while (!members.empty()) {
      dismantle(members.begin()->second);
      members.erase(members.begin());
    }
  }
}

// Dismantles a document when the scope ends, however it ends.
class Dismantled {
 public:
  explicit Dismantled(json& document) : document_(document) {}
  ~Dismantled() { dismantle(document_); }
  Dismantled(const Dismantled&) = delete;
  Dismantled& operator=(const Dismantled&) = delete;

 private:
  json& document_;
};

// Deepest nesting a result has (the subsets: document, run, list, subset); deeper input is
// refused before it is parsed.
constexpr int kMaxDepth = 6;

// The position of the first bracket nested deeper than allowed, or npos.
size_t tooDeep(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxDepth) return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::string_view::npos;
}

struct Refusal {
  std::string text;
};

// Field readers: each refuses a missing field, a wrong type or a value outside its range.
const json& field(const json& object, const char* name, const std::string& where) {
  const auto it = object.find(name);
  if (it == object.end()) throw Refusal{where + "field \"" + name + "\" is missing"};
  return *it;
}

int64_t integer(const json& value, const std::string& what, int64_t lo, int64_t hi) {
  if (!value.is_number_integer()) throw Refusal{what + " is not an integer"};
  const int64_t v = value.is_number_unsigned() && value.get<uint64_t>() > uint64_t{INT64_MAX}
                        ? INT64_MAX
                        : value.get<int64_t>();
  if (v < lo || v > hi) {
    throw Refusal{what + " is " + std::to_string(v) + ", outside " + std::to_string(lo) + ".." +
                  std::to_string(hi)};
  }
  return v;
}

template <typename T>
T number(const json& object, const char* name, int64_t lo, int64_t hi) {
  return static_cast<T>(integer(field(object, name, "run: "), std::string("run: \"") + name + "\"", lo, hi));
}

template <typename T>
std::vector<T> list(const json& value, const std::string& what, size_t most, int64_t lo, int64_t hi) {
  if (!value.is_array()) throw Refusal{what + " is not a list"};
  if (value.size() > most) throw Refusal{what + " has more than " + std::to_string(most) + " entries"};
  std::vector<T> out;
  out.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i)
    out.push_back(static_cast<T>(integer(value[i], what + " entry " + std::to_string(i + 1), lo, hi)));
  return out;
}

SimulationRun readRun(const json& j) {
  if (!j.is_object()) throw Refusal{"\"run\" is not an object"};
  SimulationRun r;
  r.taskType = number<uint16_t>(j, "task_type", 0, 65535);
  r.effectiveTaskType = number<uint16_t>(j, "effective_task_type", 0, 65535);
  r.seriesType = number<uint16_t>(j, "series_type", 0, 65535);
  r.seriesSize = number<uint32_t>(j, "series_size", 1, 32767);
  r.tmin = number<uint16_t>(j, "tmin", 0, 65535);
  r.tmax = number<uint16_t>(j, "tmax", 0, 65535);
  r.impulseSize = number<uint16_t>(j, "impulse_size", 1, 65535);
  r.etalons = number<uint16_t>(j, "etalons", 1, 65535);
  r.amplitude = number<int16_t>(j, "amplitude", -32768, 32767);
  r.makingLevel = number<uint16_t>(j, "making_level", 0, 100);
  r.processingLevel = number<uint16_t>(j, "processing_level", 0, 100);
  r.required = list<uint16_t>(field(j, "required", "run: "), "run: \"required\"", 65535, 1, 65535);
  r.subset = list<int32_t>(field(j, "subset", "run: "), "run: \"subset\"", 65535, -32768, 32767);
  r.subsetMode = number<uint16_t>(j, "subset_mode", 0, 65535);
  r.subsetPosition = number<uint16_t>(j, "subset_position", 0, 65535);
  const json& subsets = field(j, "subsets", "run: ");
  if (!subsets.is_array() || subsets.size() > 65535) throw Refusal{"run: \"subsets\" is not a list of lists"};
  for (size_t i = 0; i < subsets.size(); ++i) {
    r.subsets.push_back(
        list<int32_t>(subsets[i], "run: \"subsets\" list " + std::to_string(i + 1), 65535, -32768, 32767));
  }
  r.proceeding = number<uint16_t>(j, "proceeding", 0, 65535);
  r.pulseValues = list<int16_t>(field(j, "pulse_values", "run: "), "run: \"pulse_values\"", 65535, 0, 32767);
  r.noiseLevels =
      list<int16_t>(field(j, "noise_levels", "run: "), "run: \"noise_levels\"", 65535, -32768, 32767);
  r.repeats = number<int32_t>(j, "repeats", 1, 65535);
  if (r.pulseValues.empty() || r.noiseLevels.empty()) throw Refusal{"run: the grid has no cells"};
  if (r.required.empty()) throw Refusal{"run: \"required\" is empty"};
  return r;
}

// The cells a shard holds: one in each full round of the dealing, and one more when the last,
// partial round reaches it (from the front in even rounds, from the back in odd ones).
uint64_t cellsOfShard(uint64_t cells, uint64_t shards, uint64_t shard) {
  const uint64_t rounds = cells / shards;
  const uint64_t rest = cells % shards;
  const bool reached = rounds % 2 == 0 ? shard <= rest : shard > shards - rest;
  return rounds + (reached ? 1 : 0);
}

SimulationResult readDocument(json& document) {
  if (!document.is_object()) throw Refusal{"not a simulation result (no JSON object)"};
  const auto format = document.find("format");
  if (format == document.end() || !format->is_string() || format->get<std::string>() != kFormat)
    throw Refusal{"not a simulation result (\"format\" is not \"" + std::string(kFormat) + "\")"};
  const int64_t version = integer(field(document, "version", ""), "\"version\"", 0, INT32_MAX);
  if (version != kSimulationResultVersion) {
    throw Refusal{"format version " + std::to_string(version) + " is not the supported version " +
                  std::to_string(kSimulationResultVersion)};
  }
  const json& checksum = field(document, "checksum", "");
  if (!checksum.is_string())
    throw Refusal{"the checksum does not match the contents: the file was edited or damaged"};
  const std::string given = checksum.get<std::string>();
  document.erase("checksum");
  if (given != checksumOf(document))
    throw Refusal{"the checksum does not match the contents: the file was edited or damaged"};
  SimulationResult result;
  result.run = readRun(field(document, "run", ""));
  const json& fingerprint = field(document, "fingerprint", "");
  if (!fingerprint.is_string() || fingerprint.get<std::string>() != simulationRunFingerprint(result.run))
    throw Refusal{"the fingerprint does not match the run description"};
  const json& shard = field(document, "shard", "");
  if (!shard.is_object()) throw Refusal{"\"shard\" is not an object"};
  result.shards =
      static_cast<uint32_t>(integer(field(shard, "count", "shard: "), "shard: \"count\"", 1, 1 << 24));
  result.shard =
      static_cast<uint32_t>(integer(field(shard, "index", "shard: "), "shard: \"index\"", 1, result.shards));
  result.startTime = integer(field(document, "start_time", ""), "\"start_time\"", 0, INT64_MAX);
  result.endTime = integer(field(document, "end_time", ""), "\"end_time\"", 0, INT64_MAX);
  result.firstPulseEtalon = static_cast<uint16_t>(
      integer(field(document, "first_pulse_etalon", ""), "\"first_pulse_etalon\"", 0, result.run.etalons));
  const json& cells = field(document, "cells", "");
  const uint32_t cellCount = result.run.cellCount();
  if (!cells.is_array()) throw Refusal{"\"cells\" is not a list"};
  // A shard holds exactly the cells dealt to it, so the grid it declares can be no larger than
  // its own size allows; everything sized by the grid is sized only after this.
  const uint64_t dealt = cellsOfShard(cellCount, result.shards, result.shard);
  if (cells.size() != dealt) {
    throw Refusal{"\"cells\" holds " + std::to_string(cells.size()) + " cells, but shard " +
                  std::to_string(result.shard) + " of " + std::to_string(result.shards) + " of a grid of " +
                  std::to_string(cellCount) + " cells (" + std::to_string(result.run.pulseValues.size()) +
                  " pulse counts x " + std::to_string(result.run.noiseLevels.size()) +
                  " noise levels) holds " + std::to_string(dealt)};
  }
  result.cells.reserve(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    const json& c = cells[i];
    const std::string where = "cell entry " + std::to_string(i + 1) + ": ";
    if (!c.is_object()) throw Refusal{where + "not an object"};
    SimulationCell cell;
    cell.index =
        static_cast<uint32_t>(integer(field(c, "cell", where), where + "\"cell\"", 0, cellCount - 1));
    const uint32_t levels = static_cast<uint32_t>(result.run.noiseLevels.size());
    const int64_t pulses = integer(field(c, "pulses", where), where + "\"pulses\"", 0, 32767);
    const int64_t level = integer(field(c, "noise_level", where), where + "\"noise_level\"", -32768, 32767);
    if (pulses != result.run.pulseValues[cell.index / levels] ||
        level != result.run.noiseLevels[cell.index % levels])
      throw Refusal{where + "pulses and noise level do not belong to cell " + std::to_string(cell.index)};
    cell.restoringError = static_cast<int32_t>(
        integer(field(c, "restoring_error", where), where + "\"restoring_error\"", INT32_MIN, INT32_MAX));
    cell.positionError = static_cast<int32_t>(
        integer(field(c, "position_error", where), where + "\"position_error\"", INT32_MIN, INT32_MAX));
    cell.recognitionErrors = static_cast<int32_t>(integer(
        field(c, "recognition_errors", where), where + "\"recognition_errors\"", INT32_MIN, INT32_MAX));
    if (!result.cells.empty() && cell.index <= result.cells.back().index)
      throw Refusal{where + "cell " + std::to_string(cell.index) + " is out of order or repeated"};
    result.cells.push_back(cell);
  }
  return result;
}

}  // namespace

std::string simulationRunFingerprint(const SimulationRun& run) { return hex64(fnv1a(runJson(run).dump())); }

uint32_t shardOfCell(uint32_t cell, uint32_t shards) {
  if (shards <= 1) return 1;
  const uint32_t round = cell / shards;
  const uint32_t place = cell % shards;
  return 1 + ((round % 2 == 0) ? place : shards - 1 - place);
}

std::string simulationResultJson(const SimulationResult& result) {
  json document;
  document["format"] = kFormat;
  document["version"] = kSimulationResultVersion;
  document["run"] = runJson(result.run);
  document["fingerprint"] = simulationRunFingerprint(result.run);
  document["shard"] = {{"index", result.shard}, {"count", result.shards}};
  document["start_time"] = result.startTime;
  document["end_time"] = result.endTime;
  document["first_pulse_etalon"] = result.firstPulseEtalon;
  json cells = json::array();
  const size_t levels = std::max<size_t>(result.run.noiseLevels.size(), 1);
  for (const SimulationCell& c : result.cells) {
    const size_t j = c.index / levels;
    const size_t k = c.index % levels;
    cells.push_back({{"cell", c.index},
                     {"pulses", j < result.run.pulseValues.size() ? result.run.pulseValues[j] : 0},
                     {"noise_level", k < result.run.noiseLevels.size() ? result.run.noiseLevels[k] : 0},
                     {"restoring_error", c.restoringError},
                     {"position_error", c.positionError},
                     {"recognition_errors", c.recognitionErrors}});
  }
  document["cells"] = std::move(cells);
  document["checksum"] = checksumOf(document);
  return document.dump(1) + "\n";
}

bool parseSimulationResult(std::string_view text, const std::string& name, SimulationResult& result,
                           std::string& error) {
  const std::string prefix = "\"" + name + "\": ";
  if (text.size() > kMaxSimulationResultBytes) {
    error = prefix + "larger than " + std::to_string(kMaxSimulationResultBytes) + " bytes";
    return false;
  }
  const size_t deep = tooDeep(text);
  if (deep != std::string_view::npos) {
    error = prefix + "nested deeper than a simulation result at byte " + std::to_string(deep + 1);
    return false;
  }
  try {
    json document;
    const Dismantled dismantled(document);
    nlohmann::detail::json_sax_dom_parser<json> builder(document, true);
    json::sax_parse(text.begin(), text.end(), &builder);
    result = readDocument(document);
    return true;
  } catch (const json::parse_error& e) {
    error = prefix + (text.empty()
                          ? std::string("empty file")
                          : "not complete JSON (truncated or damaged) at byte " + std::to_string(e.byte));
  } catch (const Refusal& r) {
    error = prefix + r.text;
  } catch (const std::bad_alloc&) {
    error = prefix + "not enough memory to read it";
  } catch (const std::exception& e) {
    error = prefix + e.what();
  }
  return false;
}

bool readSimulationResult(const std::string& path, SimulationResult& result, std::string& error) {
  // Read with read(2), never mapped; a folder, a missing file and a file cut short while read
  // each get their own message.
  InputFile file;
  if (!file.open(path, error)) {
    // A result that cannot be opened keeps the wording the window and the companion have shown.
    const std::string said = "\"" + path + "\": cannot open";
    if (error.compare(0, said.size(), said) == 0)
      error.replace(0, said.size(), "\"" + path + "\": cannot be opened");
    return false;
  }
  if (file.size() > kMaxSimulationResultBytes) {
    error = "\"" + path + "\": larger than " + std::to_string(kMaxSimulationResultBytes) + " bytes";
    return false;
  }
  std::string_view text;
  if (!file.read(0, static_cast<size_t>(file.size()), text, error)) return false;
  return parseSimulationResult(text, path, result, error);
}

std::string simulationCsv(const SimulationResult& result) {
  const SimulationRun& r = result.run;
  std::string out = "noise_level,pulses,restoring_error,position_error,recognition_errors\n";
  const size_t levels = r.noiseLevels.size();
  char line[96];
  for (size_t k = 0; k < levels; ++k) {
    for (size_t j = 0; j < r.pulseValues.size(); ++j) {
      const size_t index = j * levels + k;
      if (index >= result.cells.size()) continue;
      const SimulationCell& c = result.cells[index];
      std::snprintf(line, sizeof line, "%d,%d,%d,%d,%d\n", r.noiseLevels[k], r.pulseValues[j],
                    c.restoringError, c.positionError, c.recognitionErrors);
      out += line;
    }
  }
  return out;
}

std::vector<SimulationCell> cellsOfErrors(const RestErrHeader& errors,
                                          const std::function<bool(uint32_t)>& keep) {
  std::vector<SimulationCell> cells;
  for (uint16_t j = 0; j < errors.wVariousPulses; ++j) {
    for (uint16_t k = 0; k < errors.wNoiseLevels; ++k) {
      const uint32_t index = uint32_t{j} * errors.wNoiseLevels + k;
      if (keep && !keep(index)) continue;
      cells.push_back(SimulationCell{index, errors.lpErrors[k][j], errors.lpFragmentErrors[k][j],
                                     errors.lpRecognitionErrors[k][j]});
    }
  }
  return cells;
}

RestErrHeader* errorsOfResult(MessageSink& window, const SimulationResult& result, RestErrHeader* errors) {
  const SimulationRun& r = result.run;
  const uint16_t pulses = static_cast<uint16_t>(r.pulseValues.size());
  const uint16_t levels = static_cast<uint16_t>(r.noiseLevels.size());
  errors = getRestErrHeader(window, pulses, levels, r.repeats, errors);
  if (errors == nullptr) return nullptr;
  for (uint16_t j = 0; j < pulses; ++j) errors->wPulseValues[j] = r.pulseValues[j];
  for (uint16_t k = 0; k < levels; ++k) errors->lpNoiseLevel[k] = r.noiseLevels[k];
  addInitRestErrHeader(window, r.seriesType, r.effectiveTaskType, r.makingLevel, r.processingLevel, errors);
  for (const SimulationCell& c : result.cells) {
    const uint32_t j = c.index / levels;
    const uint32_t k = c.index % levels;
    errors->lpErrors[k][j] = c.restoringError;
    errors->lpFragmentErrors[k][j] = c.positionError;
    errors->lpRecognitionErrors[k][j] = c.recognitionErrors;
    errors->lpReservedErrors[k][j] = 0;
    errors->lpSpareErrors1[k][j] = 0;
    errors->lpSpareErrors2[k][j] = 0;
  }
  errors->ifComplete = result.cells.size() == r.cellCount() ? 1 : 0;
  return errors;
}

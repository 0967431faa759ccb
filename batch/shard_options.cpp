#include "batch/shard_options.h"

// The shard a simulate command computes: from --shard K/N or from a Slurm array task.
#include <cstdlib>
#include <string>

#include "batch/options.h"

namespace {

constexpr int64_t kMostShards = 1 << 20;

// A whole non-negative decimal number, or -1.
int64_t wholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 12) return -1;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

int64_t variable(const char* (*getenv)(const char*), const char* name, bool& present) {
  const char* value = getenv(name);
  present = value != nullptr && *value != '\0';
  if (!present) return 0;
  const int64_t v = wholeNumber(value);
  if (v < 0) throw OptionError(name, "\"" + std::string(value) + "\" is not a whole number");
  return v;
}

}  // namespace

void checkShard(const SimulateOptions& options, SimulateSettings& m, const char* (*getenv)(const char*)) {
  m.shard = 0;
  m.shards = 0;
  if (!options.shard.empty()) {
    const size_t slash = options.shard.find('/');
    const int64_t k = slash == std::string::npos ? -1 : wholeNumber(options.shard.substr(0, slash));
    const int64_t n = slash == std::string::npos ? -1 : wholeNumber(options.shard.substr(slash + 1));
    if (k < 0 || n < 0) throw OptionError("--shard", "\"" + options.shard + "\" is not K/N");
    if (n < 1 || n > kMostShards)
      throw OptionError("--shard", "N must lie in 1.." + std::to_string(kMostShards));
    if (k < 1 || k > n) throw OptionError("--shard", "K must lie in 1.." + std::to_string(n));
    if (options.output.empty())
      throw OptionError("--shard", "a shard needs --output FILE for its shard file");
    m.shard = static_cast<uint32_t>(k);
    m.shards = static_cast<uint32_t>(n);
  } else if (!options.output.empty()) {
    bool hasId = false, hasCount = false, hasMin = false, hasMax = false, hasStep = false;
    const int64_t id = variable(getenv, "SLURM_ARRAY_TASK_ID", hasId);
    const int64_t count = variable(getenv, "SLURM_ARRAY_TASK_COUNT", hasCount);
    const int64_t lo = variable(getenv, "SLURM_ARRAY_TASK_MIN", hasMin);
    const int64_t hi = variable(getenv, "SLURM_ARRAY_TASK_MAX", hasMax);
    const int64_t step = variable(getenv, "SLURM_ARRAY_TASK_STEP", hasStep);
    if (hasId && (hasCount || (hasMin && hasMax))) {
      const int64_t stride = hasStep && step > 0 ? step : 1;
      // Task ids run from MIN (0 when only the count is known) in steps of STEP.
      const int64_t first = hasMin ? lo : 0;
      const int64_t n = hasCount ? count : (hi - lo) / stride + 1;
      if (id < first || (id - first) % stride != 0)
        throw OptionError("SLURM_ARRAY_TASK_ID", std::to_string(id) + " is not a task of the array");
      const int64_t k = (id - first) / stride + 1;
      if (n < 1 || n > kMostShards)
        throw OptionError("SLURM_ARRAY_TASK_COUNT",
                          "the array must have 1.." + std::to_string(kMostShards) + " tasks");
      if (k > n)
        throw OptionError("SLURM_ARRAY_TASK_ID", std::to_string(id) + " lies beyond the " +
                                                     std::to_string(n) + " tasks of the array");
      m.shard = static_cast<uint32_t>(k);
      m.shards = static_cast<uint32_t>(n);
    }
  }
  if (m.shards == 0 && !options.output.empty()) {
    m.shard = 1;  // a whole grid written as one shard file
    m.shards = 1;
  }
  if (m.shards != 0 && !options.csv.empty())
    throw OptionError("--csv", "a shard writes no CSV; merge the shard files into one");
  if (m.shards != 0 && !options.json.empty())
    throw OptionError("--json", "a shard writes its shard file only; merge the shard files into one");
  m.output = options.output;
  m.json = options.json;
}

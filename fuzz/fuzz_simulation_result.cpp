// Feeds arbitrary text to the reader of simulation results and shard files. Whatever it
// accepts must write back to a document it reads again as the same result.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/simulation_result.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SimulationResult result;
  std::string error;
  if (!parseSimulationResult(text, "fuzz.json", result, error)) {
    if (error.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  SimulationResult again;
  if (!parseSimulationResult(simulationResultJson(result), "again.json", again, error)) __builtin_trap();
  if (!(again.run == result.run) || again.cells != result.cells) __builtin_trap();
  (void)simulationCsv(result);
  return 0;
}

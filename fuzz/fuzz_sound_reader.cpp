// Feeds arbitrary bytes to the sound reader (libsndfile over a memory buffer), each channel
// choice, a segment, and the reading of a file shorter than its header declares.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/sound_reader.h"
#include "processing/working_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  SeriesReadOptions options[4];
  options[1].channel = 2;
  options[2].channel = 1;
  options[2].from = 2;
  options[2].count = 3;
  options[3].acceptShort = true;
  for (const SeriesReadOptions& o : options) {
    SeriesValues values;
    if (parseSoundSeries(bytes, "f", o, values, error)) {
      if (values.values.size() > kMaxSolverSeriesSize + 1) __builtin_trap();
    } else if (error.empty()) {
      __builtin_trap();
    }
  }
  return 0;
}

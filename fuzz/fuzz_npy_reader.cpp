// Feeds arbitrary bytes to the .npy reader, as a series (column 1 and 2, a segment) and as
// etalons.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/npy_reader.h"
#include "processing/working_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  SeriesReadOptions options[3];
  options[1].column = 2;
  options[2].column = 1;
  options[2].from = 3;
  options[2].count = 2;
  for (const SeriesReadOptions& o : options) {
    SeriesValues values;
    if (parseNpySeries(bytes, "f", o, values, error)) {
      if (values.values.size() > kMaxSolverSeriesSize + 1 || values.totalSize < values.values.size())
        __builtin_trap();
    } else if (error.empty()) {
      __builtin_trap();
    }
  }
  EtalonValues etalons;
  if (parseNpyEtalons(bytes, "f", etalons, error) && etalons.rows.size() > kMaxUserEtalons + 1)
    __builtin_trap();
  return 0;
}

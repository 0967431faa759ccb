// Feeds arbitrary bytes to the reader of the workbench's JSON series and alphabet documents.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/json_series_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  SeriesValues values;
  SeriesReadOptions segment;
  segment.from = 1;
  segment.count = 4;
  if (!parseJsonSeries(bytes, "f", {}, values, error) && error.empty()) __builtin_trap();
  if (!parseJsonSeries(bytes, "f", segment, values, error) && error.empty()) __builtin_trap();
  EtalonValues etalons;
  if (parseJsonEtalons(bytes, "f", etalons, error) && etalons.rows.size() > kMaxUserEtalons + 1)
    __builtin_trap();
  return 0;
}

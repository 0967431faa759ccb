// Feeds arbitrary bytes to the text reader, as a series (with and without a column and a
// segment) and as etalons, then to the scaling.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/text_reader.h"
#include "processing/working_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string error;
  SeriesReadOptions options[3];
  options[1].column = 2;
  options[1].from = 1;
  options[1].count = 5;
  options[2].columnName = "b";
  for (const SeriesReadOptions& o : options) {
    SeriesValues values;
    if (parseTextSeries(bytes, "f", o, values, error)) {
      if (values.values.size() > kMaxSolverSeriesSize + 1 || values.lines.size() != values.values.size())
        __builtin_trap();
      ScalingRequest request;
      request.series = values.values;
      request.declaredSeriesSize = values.totalSize;
      request.seriesPosition = [&values](size_t i) { return values.position(i); };
      ScaledSamples scaled;
      scaleSamples(request, scaled, error);
    } else if (error.empty()) {
      __builtin_trap();
    }
  }
  EtalonValues etalons;
  if (parseTextEtalons(bytes, "f", etalons, error) && etalons.rows.size() > kMaxUserEtalons + 1)
    __builtin_trap();
  return 0;
}

#include "files/series_values.h"

std::string SeriesValues::position(size_t i) const {
  if (i < lines.size()) return "line " + std::to_string(lines[i]);
  return unit + " " + std::to_string(first + i + 1);
}

std::string EtalonValues::position(size_t k, size_t i) const {
  if (k < lines.size()) return "line " + std::to_string(lines[k]) + ", value " + std::to_string(i + 1);
  return "row " + std::to_string(k + 1) + ", column " + std::to_string(i + 1);
}

bool takeSegmentValue(const SeriesReadOptions& options, size_t index, SeriesValues& out) {
  if (index < options.from) return false;
  if (options.count && index - options.from >= *options.count) return false;
  if (out.totalSize == 0) out.first = index;
  ++out.totalSize;
  return out.values.size() <= options.keepAtMost;
}

std::string segmentStartProblem(const std::string& source, const SeriesReadOptions& options, size_t total,
                                const char* unit) {
  if (options.count && *options.count == 0)
    return "\"" + source + "\": a segment of 0 samples holds no samples";
  if (options.from == 0 || options.from < total) return {};
  return "\"" + source + "\": the segment starts after " + std::to_string(options.from) + " " + unit +
         "s, but the file holds " + std::to_string(total);
}

#include "files/json_series_reader.h"

#include <nlohmann/json.hpp>

namespace {

std::string name(const std::string& source) { return "\"" + source + "\": "; }

bool parse(std::string_view bytes, const std::string& source, nlohmann::json& doc, std::string& error) {
  doc = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
  if (doc.is_discarded() || !doc.is_object()) {
    error = name(source) + "not a JSON object";
    return false;
  }
  return true;
}

// Reads an array of numbers; false with the index of the first entry that is no number.
bool numbersOf(const nlohmann::json& array, std::vector<double>& out, size_t limit, size_t& bad) {
  out.clear();
  for (size_t i = 0; i < array.size() && i < limit; ++i) {
    if (!array[i].is_number()) {
      bad = i;
      return false;
    }
    out.push_back(array[i].get<double>());
  }
  return true;
}

}  // namespace

bool looksLikeJson(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);  // a UTF-8 byte order mark
  const size_t at = bytes.find_first_not_of(" \t\r\n");
  return at != std::string_view::npos && bytes[at] == '{';
}

bool parseJsonSeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                     SeriesValues& out, std::string& error) {
  nlohmann::json doc;
  if (!parse(bytes, source, doc, error)) return false;
  if (options.channel || options.column) {
    error = name(source) + "a JSON series is chosen by name (lpNoisyData, lpPureData), not by number";
    return false;
  }
  const std::string key = options.columnName.empty() ? "lpNoisyData" : options.columnName;
  const auto found = doc.find(key);
  if (found == doc.end() || !found->is_array()) {
    error = name(source) + "no array \"" + key + "\" in the document";
    return false;
  }
  const size_t total = found->size();
  if (const std::string problem = segmentStartProblem(source, options, total, "sample"); !problem.empty()) {
    error = problem;
    return false;
  }
  SeriesValues result;
  result.source = source;
  const size_t end =
      options.count && *options.count < total - options.from ? options.from + *options.count : total;
  for (size_t i = options.from; i < end; ++i) {
    if (!takeSegmentValue(options, i, result)) {
      result.totalSize += end - i - 1;
      break;
    }
    const auto& v = (*found)[i];
    if (!v.is_number()) {
      error = name(source) + key + " entry " + std::to_string(i + 1) + ": not a number";
      return false;
    }
    result.values.push_back(v.get<double>());
  }
  out = std::move(result);
  return true;
}

bool parseJsonEtalons(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error) {
  nlohmann::json doc;
  if (!parse(bytes, source, doc, error)) return false;
  const auto etalons = doc.find("etalons");
  if (etalons == doc.end() || !etalons->is_array() || etalons->empty()) {
    error = name(source) + "no array \"etalons\" in the document";
    return false;
  }
  EtalonValues result;
  result.source = source;
  result.totalRows = etalons->size();
  for (size_t k = 0; k < etalons->size() && k <= kMaxUserEtalons; ++k) {
    const auto& e = (*etalons)[k];
    const auto samples = e.is_object() ? e.find("samples") : e.end();
    if (!e.is_object() || samples == e.end() || !samples->is_array()) {
      error = name(source) + "etalon " + std::to_string(k + 1) + " has no array \"samples\"";
      return false;
    }
    if (samples->size() > kMaxUserEtalonLength) {
      error = name(source) + "etalon " + std::to_string(k + 1) + ": more than " +
              std::to_string(kMaxUserEtalonLength) + " samples";
      return false;
    }
    std::vector<double> row;
    size_t bad = 0;
    if (!numbersOf(*samples, row, kMaxUserEtalonLength, bad)) {
      error = name(source) + "etalon " + std::to_string(k + 1) + ", sample " + std::to_string(bad + 1) +
              ": not a number";
      return false;
    }
    result.rows.push_back(std::move(row));
  }
  out = std::move(result);
  return true;
}

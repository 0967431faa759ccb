#include "files/series_writers.h"

#include "files/atomic_file.h"

namespace {

bool consistent(const std::string& path, const SampleTable& table, std::string& error) {
  for (const auto& column : table.columns) {
    if (column.second.size() != table.columns[0].second.size()) {
      error = "\"" + path + "\": the columns differ in length";
      return false;
    }
  }
  if (table.columns.empty()) {
    error = "\"" + path + "\": nothing to write";
    return false;
  }
  return true;
}

}  // namespace

bool writeSampleTableCsv(const std::string& path, const SampleTable& table, std::string& error) {
  if (!consistent(path, table, error)) return false;
  std::string text;
  for (const auto& [name, note] : table.notes) text += "# " + name + ": " + note + "\n";
  for (size_t c = 0; c < table.columns.size(); ++c) text += (c ? "," : "") + table.columns[c].first;
  text += "\n";
  const size_t rows = table.columns[0].second.size();
  for (size_t r = 0; r < rows; ++r) {
    for (size_t c = 0; c < table.columns.size(); ++c) {
      if (c) text += ',';
      text += std::to_string(table.columns[c].second[r]);
    }
    text += '\n';
  }
  return writeFileAtomically(path, text, error);
}

bool writeSampleTableNpy(const std::string& path, const SampleTable& table, std::string& error) {
  if (!consistent(path, table, error)) return false;
  const size_t rows = table.columns[0].second.size();
  const size_t columns = table.columns.size();
  std::string header = "{'descr': '<i2', 'fortran_order': False, 'shape': (" + std::to_string(rows) + ", " +
                       std::to_string(columns) + "), }";
  // The data start at a multiple of 64 bytes; the header ends with a line break.
  while ((10 + header.size() + 1) % 64 != 0) header += ' ';
  header += '\n';
  std::string bytes("\x93NUMPY\x01\x00", 8);
  bytes += static_cast<char>(header.size() & 0xFF);
  bytes += static_cast<char>((header.size() >> 8) & 0xFF);
  bytes += header;
  bytes.reserve(bytes.size() + rows * columns * 2);
  for (size_t r = 0; r < rows; ++r) {
    for (size_t c = 0; c < columns; ++c) {
      const auto v = static_cast<uint16_t>(table.columns[c].second[r]);
      bytes += static_cast<char>(v & 0xFF);
      bytes += static_cast<char>(v >> 8);
    }
  }
  return writeFileAtomically(path, bytes, error);
}

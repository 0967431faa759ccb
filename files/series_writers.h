#pragma once
// Writers of a made series in forms the readers read back: CSV (one column per sample array,
// the per-pulse tables and sizes as "#" comment lines) and .npy (a 2-D int16 array, one
// column per sample array, in C order). Every file is written through AtomicFile.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Named columns of 16-bit samples, all of one length, and notes (name, text) that a CSV keeps
// as comment lines.
struct SampleTable {
  std::vector<std::pair<std::string, std::vector<int16_t>>> columns;
  std::vector<std::pair<std::string, std::string>> notes;
};

// Writes the table as CSV with a header line of the column names; false with a one-line
// reason (the target is then untouched).
bool writeSampleTableCsv(const std::string& path, const SampleTable& table, std::string& error);

// Writes the table's columns as a version 1.0 .npy file of little-endian int16, shape (N, C).
bool writeSampleTableNpy(const std::string& path, const SampleTable& table, std::string& error);

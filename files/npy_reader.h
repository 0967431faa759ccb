#pragma once
// Reader of NumPy .npy files: the magic "\x93NUMPY", version 1.0 or 2.0 (2- or 4-byte header
// length), an ASCII header {'descr': ..., 'fortran_order': ..., 'shape': (...)} and the raw
// data. Types int8/16/32/64, uint8/16, float32/64 in either byte order; 1-D arrays, or 2-D
// arrays in C order (a series takes one column, etalons are the rows). Everything declared is
// checked against the file's size before anything is allocated; a key given twice in the header
// is refused. From a ByteSource only the header and the values taken are read.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "files/byte_source.h"
#include "files/series_values.h"

// What the header declares.
struct NpyHeader {
  char kind = 0;        // 'i', 'u' or 'f'
  size_t itemSize = 0;  // bytes per value
  bool bigEndian = false;
  std::vector<size_t> shape;
  size_t dataOffset = 0;  // where the values start
};

// Parses and checks the header of a .npy file's bytes; false with a one-line message.
bool parseNpyHeader(std::string_view bytes, const std::string& source, NpyHeader& header, std::string& error);

// Reads the series: the values of a 1-D array, or one column (1-based; needed when the array
// has more than one) of a 2-D array.
bool parseNpySeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                    SeriesValues& out, std::string& error);

// Reads etalons: a 1-D array is one etalon, the rows of a 2-D array are etalons.
bool parseNpyEtalons(std::string_view bytes, const std::string& source, EtalonValues& out,
                     std::string& error);

bool parseNpyHeader(ByteSource& bytes, const std::string& source, NpyHeader& header, std::string& error);
bool parseNpySeries(ByteSource& bytes, const std::string& source, const SeriesReadOptions& options,
                    SeriesValues& out, std::string& error);
bool parseNpyEtalons(ByteSource& bytes, const std::string& source, EtalonValues& out, std::string& error);

#pragma once
// Reader of series and etalons in text: CSV, TSV, semicolon- or blank-separated columns, one
// value per line or a chosen column, an optional header line (a first line in which no field
// reads or starts like a number, so that a malformed first value such as "0x1F" is an error
// naming line 1, not a header), "#" comments to the end of a line, blank lines skipped. Numbers take a
// decimal point whatever the locale; "nan" and "inf" read as such and are refused by the
// scaling with their line. Bytes that are not UTF-8, NUL bytes, lines with another number
// of fields than the first, a missing column and a field that is no number are refused with
// the line.

#include <string>
#include <string_view>

#include "files/byte_source.h"
#include "files/series_values.h"

// Reads the series from text bytes. A file of several columns needs a column (by 1-based
// number or by header name). Returns false with a one-line message naming source and line.
bool parseTextSeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                     SeriesValues& out, std::string& error);

// Reads etalons from text bytes: one etalon per line, its values in the fields.
bool parseTextEtalons(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error);

// The same, reading the source only as far as the segment (from, count) needs.
bool parseTextSeries(ByteSource& bytes, const std::string& source, const SeriesReadOptions& options,
                     SeriesValues& out, std::string& error);
bool parseTextEtalons(ByteSource& bytes, const std::string& source, EtalonValues& out, std::string& error);

#pragma once
// The user's series and etalon files, whatever their format: the format is known from the
// first bytes (.npy magic, a sound file's header, a JSON object), text otherwise.

#include <string>
#include <string_view>

#include "files/byte_source.h"
#include "files/series_values.h"

enum class SeriesFormat { kText, kNpy, kSound, kJson };

SeriesFormat detectSeriesFormat(std::string_view bytes);

// Reads the series of the file at path, reading only what the format and the segment need ("-"
// is standard input; a FIFO or a device is read as a stream, see files/input_file.h); false
// with a one-line message naming the file and the position.
bool readSeriesFile(const std::string& path, const SeriesReadOptions& options, SeriesValues& out,
                    std::string& error);

// The same for bytes already in memory.
bool parseSeriesBytes(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                      SeriesValues& out, std::string& error);

// Reads etalons: rows of a text file, rows of a 2-D .npy (a 1-D one is one etalon), or the
// etalons of an alphabet JSON document.
bool readEtalonsFile(const std::string& path, EtalonValues& out, std::string& error);
bool parseEtalonBytes(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error);

// The same over any source of bytes.
bool parseSeries(ByteSource& bytes, const std::string& source, const SeriesReadOptions& options,
                 SeriesValues& out, std::string& error);
bool parseEtalons(ByteSource& bytes, const std::string& source, EtalonValues& out, std::string& error);

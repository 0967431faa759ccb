#include "files/series_files.h"

#include "files/json_series_reader.h"
#include "files/mapped_file.h"
#include "files/npy_reader.h"
#include "files/sound_reader.h"
#include "files/text_reader.h"

SeriesFormat detectSeriesFormat(std::string_view bytes) {
  if (bytes.substr(0, 6) == std::string_view("\x93NUMPY", 6)) return SeriesFormat::kNpy;
  if (looksLikeSound(bytes)) return SeriesFormat::kSound;
  if (looksLikeJson(bytes)) return SeriesFormat::kJson;
  return SeriesFormat::kText;
}

bool parseSeriesBytes(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                      SeriesValues& out, std::string& error) {
  switch (detectSeriesFormat(bytes)) {
    case SeriesFormat::kNpy:
      return parseNpySeries(bytes, source, options, out, error);
    case SeriesFormat::kSound:
      return parseSoundSeries(bytes, source, options, out, error);
    case SeriesFormat::kJson:
      return parseJsonSeries(bytes, source, options, out, error);
    case SeriesFormat::kText:
      break;
  }
  if (options.channel) {
    error = "\"" + source + "\": a text file has columns, not channels; choose a column";
    return false;
  }
  return parseTextSeries(bytes, source, options, out, error);
}

bool parseEtalonBytes(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error) {
  switch (detectSeriesFormat(bytes)) {
    case SeriesFormat::kNpy:
      return parseNpyEtalons(bytes, source, out, error);
    case SeriesFormat::kJson:
      return parseJsonEtalons(bytes, source, out, error);
    case SeriesFormat::kSound:
      error = "\"" + source + "\": etalons are read from text, .npy or JSON files, not from sound files";
      return false;
    case SeriesFormat::kText:
      break;
  }
  return parseTextEtalons(bytes, source, out, error);
}

bool readSeriesFile(const std::string& path, const SeriesReadOptions& options, SeriesValues& out,
                    std::string& error) {
  MappedFile file;
  return file.open(path, error) && parseSeriesBytes(file.bytes(), path, options, out, error);
}

bool readEtalonsFile(const std::string& path, EtalonValues& out, std::string& error) {
  MappedFile file;
  return file.open(path, error) && parseEtalonBytes(file.bytes(), path, out, error);
}

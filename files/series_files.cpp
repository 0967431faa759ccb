#include "files/series_files.h"

#include "files/input_file.h"
#include "files/json_series_reader.h"
#include "files/npy_reader.h"
#include "files/sound_reader.h"
#include "files/text_reader.h"

SeriesFormat detectSeriesFormat(std::string_view bytes) {
  if (bytes.substr(0, 6) == std::string_view("\x93NUMPY", 6)) return SeriesFormat::kNpy;
  if (looksLikeSound(bytes)) return SeriesFormat::kSound;
  if (looksLikeJson(bytes)) return SeriesFormat::kJson;
  return SeriesFormat::kText;
}

namespace {

// The most a JSON document may hold: it is read whole.
constexpr uint64_t kMaxJsonBytes = uint64_t{1} << 28;

// The first bytes, enough to tell the format.
bool headOf(ByteSource& bytes, std::string& head, std::string& error) {
  std::string_view view;
  if (!bytes.read(0, 64, view, error)) return false;
  head.assign(view);
  return true;
}

bool wholeJson(ByteSource& bytes, const std::string& source, std::string_view& text, std::string& error) {
  if (bytes.size() > kMaxJsonBytes) {
    error = "\"" + source + "\": a JSON document of " + std::to_string(bytes.size()) + " bytes; at most " +
            std::to_string(kMaxJsonBytes) + " are read";
    return false;
  }
  return bytes.read(0, static_cast<size_t>(bytes.size()), text, error);
}

}  // namespace

bool parseSeriesBytes(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                      SeriesValues& out, std::string& error) {
  MemoryBytes memory(bytes);
  return parseSeries(memory, source, options, out, error);
}

bool parseEtalonBytes(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error) {
  MemoryBytes memory(bytes);
  return parseEtalons(memory, source, out, error);
}

bool parseSeries(ByteSource& bytes, const std::string& source, const SeriesReadOptions& options,
                 SeriesValues& out, std::string& error) {
  std::string head;
  if (!headOf(bytes, head, error)) return false;
  std::string_view text;
  switch (detectSeriesFormat(head)) {
    case SeriesFormat::kNpy:
      return parseNpySeries(bytes, source, options, out, error);
    case SeriesFormat::kSound:
      return parseSoundSeries(bytes, source, options, out, error);
    case SeriesFormat::kJson:
      return wholeJson(bytes, source, text, error) && parseJsonSeries(text, source, options, out, error);
    case SeriesFormat::kText:
      break;
  }
  if (options.channel) {
    error = "\"" + source + "\": a text file has columns, not channels; choose a column";
    return false;
  }
  return parseTextSeries(bytes, source, options, out, error);
}

bool parseEtalons(ByteSource& bytes, const std::string& source, EtalonValues& out, std::string& error) {
  std::string head;
  if (!headOf(bytes, head, error)) return false;
  std::string_view text;
  switch (detectSeriesFormat(head)) {
    case SeriesFormat::kNpy:
      return parseNpyEtalons(bytes, source, out, error);
    case SeriesFormat::kJson:
      return wholeJson(bytes, source, text, error) && parseJsonEtalons(text, source, out, error);
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
  InputFile file;
  return file.open(path, error) && parseSeries(file, path, options, out, error);
}

bool readEtalonsFile(const std::string& path, EtalonValues& out, std::string& error) {
  InputFile file;
  return file.open(path, error) && parseEtalons(file, path, out, error);
}

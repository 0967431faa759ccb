#include "files/sound_reader.h"

#include <sndfile.h>

#include <cstring>
#include <vector>

namespace {

std::string name(const std::string& source) { return "\"" + source + "\": "; }

// A memory buffer as libsndfile's virtual file.
struct MemoryFile {
  std::string_view bytes;
  sf_count_t at = 0;
};

sf_count_t memLength(void* user) {
  return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}
sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
  auto* m = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(m->bytes.size());
  sf_count_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? m->at + offset : size + offset;
  if (to < 0) to = 0;
  if (to > size) to = size;
  m->at = to;
  return to;
}
sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
  auto* m = static_cast<MemoryFile*>(user);
  const auto size = static_cast<sf_count_t>(m->bytes.size());
  if (count < 0) return 0;
  const sf_count_t n = count < size - m->at ? count : size - m->at;
  if (n > 0) std::memcpy(ptr, m->bytes.data() + m->at, static_cast<size_t>(n));
  m->at += n;
  return n;
}
sf_count_t memWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t memTell(void* user) { return static_cast<MemoryFile*>(user)->at; }

bool readOpened(SNDFILE* file, const SF_INFO& info, const std::string& source,
                const SeriesReadOptions& options, SeriesValues& out, std::string& error) {
  const auto close = [&] { sf_close(file); };
  if (info.frames < 0 || info.channels <= 0) {
    error = name(source) + "the sound file declares no frames";
    close();
    return false;
  }
  const auto channels = static_cast<size_t>(info.channels);
  const auto frames = static_cast<size_t>(info.frames);
  if (options.column || !options.columnName.empty()) {
    error = name(source) + "a sound file has channels, not columns; choose a channel";
    close();
    return false;
  }
  size_t channel = 0;
  if (options.channel) {
    if (*options.channel == 0 || *options.channel > channels) {
      error = name(source) + "no channel " + std::to_string(*options.channel) + ": the file has " +
              std::to_string(channels) + (channels == 1 ? " channel" : " channels");
      close();
      return false;
    }
    channel = *options.channel - 1;
  } else if (channels > 1) {
    error = name(source) + "the file has " + std::to_string(channels) + " channels; choose one";
    close();
    return false;
  }
  if (const std::string problem = segmentStartProblem(source, options, frames, "frame"); !problem.empty()) {
    error = problem;
    close();
    return false;
  }
  SeriesValues result;
  result.source = source;
  result.unit = "frame";
  // Integer PCM as its integer values, not scaled to -1..1.
  sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
  const size_t end =
      options.count && *options.count < frames - options.from ? options.from + *options.count : frames;
  if (options.from > 0 && sf_seek(file, static_cast<sf_count_t>(options.from), SEEK_SET) < 0) {
    error =
        name(source) + "cannot seek to frame " + std::to_string(options.from + 1) + ": " + sf_strerror(file);
    close();
    return false;
  }
  const size_t keep = end - options.from <= options.keepAtMost ? end - options.from : options.keepAtMost + 1;
  constexpr size_t kBlockFrames = 4096;
  std::vector<double> block;
  if (channels > 64) {
    error = name(source) + std::to_string(channels) + " channels; at most 64 are read";
    close();
    return false;
  }
  block.resize(kBlockFrames * channels);
  size_t done = 0;
  while (done < keep) {
    const size_t want = keep - done < kBlockFrames ? keep - done : kBlockFrames;
    const sf_count_t got = sf_readf_double(file, block.data(), static_cast<sf_count_t>(want));
    if (got <= 0) break;
    for (sf_count_t f = 0; f < got; ++f)
      result.values.push_back(block[static_cast<size_t>(f) * channels + channel]);
    done += static_cast<size_t>(got);
  }
  const int code = sf_error(file);
  close();
  if (code != SF_ERR_NO_ERROR || done < keep) {
    error = name(source) + "the sound data end at frame " + std::to_string(options.from + done + 1) +
            " before the declared " + std::to_string(frames);
    return false;
  }
  result.first = options.from;
  result.totalSize = end - options.from;
  out = std::move(result);
  return true;
}

}  // namespace

bool parseSoundSeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                      SeriesValues& out, std::string& error) {
  SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
  MemoryFile memory{bytes, 0};
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
  if (file == nullptr) {
    error = name(source) + "not a sound file that can be read: " + sf_strerror(nullptr);
    return false;
  }
  return readOpened(file, info, source, options, out, error);
}

bool looksLikeSound(std::string_view b) {
  static constexpr std::string_view kStarts[] = {"RIFF", "RIFX", "RF64", "FORM", ".snd",  "dns.", "fLaC",
                                                 "OggS", "caff", "wvpk", "MThd", "#!AMR", "Crea"};
  for (std::string_view s : kStarts) {
    if (b.substr(0, s.size()) == s) return true;
  }
  return false;
}

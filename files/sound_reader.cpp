#include "files/sound_reader.h"

#include <sndfile.h>

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

std::string name(const std::string& source) { return "\"" + source + "\": "; }

// A ByteSource as libsndfile's virtual file. A failed read keeps its message for the reader.
struct VirtualFile {
  ByteSource* bytes = nullptr;
  sf_count_t at = 0;
  std::string error;
};

sf_count_t fileLength(void* user) {
  const uint64_t size = static_cast<VirtualFile*>(user)->bytes->size();
  return size > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<sf_count_t>(size);
}
// Offsets come from the file's own headers, so any sum may overflow: it is computed with a
// check and clamped to 0..size.
sf_count_t fileSeek(sf_count_t offset, int whence, void* user) {
  auto* v = static_cast<VirtualFile*>(user);
  const sf_count_t size = fileLength(user);
  const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? v->at : size;
  sf_count_t to = 0;
  if (__builtin_add_overflow(base, offset, &to)) to = offset < 0 ? 0 : size;
  v->at = to < 0 ? 0 : to > size ? size : to;
  return v->at;
}
sf_count_t fileRead(void* ptr, sf_count_t count, void* user) {
  auto* v = static_cast<VirtualFile*>(user);
  const sf_count_t size = fileLength(user);
  if (count <= 0 || v->at >= size) return 0;
  const sf_count_t n = count < size - v->at ? count : size - v->at;
  std::string_view piece;
  if (!v->bytes->read(static_cast<uint64_t>(v->at), static_cast<size_t>(n), piece, v->error)) return 0;
  std::memcpy(ptr, piece.data(), piece.size());
  v->at += static_cast<sf_count_t>(piece.size());
  return static_cast<sf_count_t>(piece.size());
}
sf_count_t fileWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t fileTell(void* user) { return static_cast<VirtualFile*>(user)->at; }

// Bytes per frame of uncompressed PCM and float data; 0 for compressed ones.
size_t frameBytes(const SF_INFO& info) {
  size_t sample = 0;
  switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
      sample = 1;
      break;
    case SF_FORMAT_PCM_16:
      sample = 2;
      break;
    case SF_FORMAT_PCM_24:
      sample = 3;
      break;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
      sample = 4;
      break;
    case SF_FORMAT_DOUBLE:
      sample = 8;
      break;
    default:
      return 0;
  }
  return sample * static_cast<size_t>(info.channels);
}

// The first whole number in text (0 when there is none, capped far above any real length).
uint64_t firstNumber(std::string_view text) {
  size_t k = text.find_first_of("0123456789");
  uint64_t value = 0;
  for (; k < text.size() && text[k] >= '0' && text[k] <= '9' && value < (uint64_t{1} << 60); ++k)
    value = value * 10 + static_cast<uint64_t>(text[k] - '0');
  return value;
}

// The frames the header declares when it declares more than the file holds, read from the
// library's log: it reads the data there are and notes the declared length as "data : 8000
// (should be 956)" (WAV), "data : 2024" beyond the file's end (Wave64, the chunk's size with
// its 24-byte header and up to 7 bytes of padding), "... value from 'ds64' chunk of 1000." (RF64) or "Frame
// count read from 'COMM' chunk (5000) ..." (AIFF). 0 when nothing is missing, when the length is the
// placeholder of a stream written without seeking back (0xFFFFFFFF or 0x7FFFF000), or for
// compressed data.
uint64_t declaredFrames(SNDFILE* file, const SF_INFO& info) {
  const size_t bytesPerFrame = frameBytes(info);
  if (bytesPerFrame == 0 || info.frames < 0) return 0;
  char log[16384] = {};
  sf_command(file, SFC_GET_LOG_INFO, log, sizeof log - 1);
  const bool wave64 = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_W64;
  uint64_t declared = 0;
  std::string_view text(log);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    uint64_t frames = 0;
    if (line.rfind("data : ", 0) == 0 && line.find("0x") == std::string_view::npos) {
      uint64_t bytes = firstNumber(line);
      // Lengths that writers to a pipe put in place of the unknown one.
      if (bytes == 0xFFFFFFFFu || bytes == 0x7FFFF000u) continue;
      if (line.find("(should be") != std::string_view::npos) {
        frames = bytes / bytesPerFrame;
      } else if (wave64 && bytes >= 24) {
        // Wave64 pads its chunks to 8 bytes and counts the padding in the size.
        const uint64_t held = static_cast<uint64_t>(info.frames) * bytesPerFrame;
        if (bytes - 24 > held + 7) frames = (bytes - 24) / bytesPerFrame;
      }
    } else {
      for (std::string_view phrase :
           {"value from 'ds64' chunk of ", "Frame count read from 'COMM' chunk ("}) {
        if (const size_t at = line.find(phrase); at != std::string_view::npos)
          frames = firstNumber(line.substr(at + phrase.size()));
      }
    }
    if (frames > declared) declared = frames;
  }
  return declared > static_cast<uint64_t>(info.frames) ? declared : 0;
}

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
  // A file cut short is not read as if it were whole, unless the caller accepts what is there.
  if (const uint64_t declared = declaredFrames(file, info); declared != 0 && !options.acceptShort) {
    error = name(source) + "the header declares " + std::to_string(declared) + " frames, the file holds " +
            std::to_string(frames) + " (cut short?)" + options.acceptShortHint;
    close();
    return false;
  }
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
  MemoryBytes memory(bytes);
  return parseSoundSeries(memory, source, options, out, error);
}

bool parseSoundSeries(ByteSource& bytes, const std::string& source, const SeriesReadOptions& options,
                      SeriesValues& out, std::string& error) {
  SF_VIRTUAL_IO io{fileLength, fileSeek, fileRead, fileWrite, fileTell};
  VirtualFile virtualFile{&bytes, 0, {}};
  SF_INFO info{};
  SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &virtualFile);
  if (file == nullptr) {
    error = virtualFile.error.empty()
                ? name(source) + "not a sound file that can be read: " + sf_strerror(nullptr)
                : virtualFile.error;
    return false;
  }
  const bool ok = readOpened(file, info, source, options, out, error);
  if (!ok && !virtualFile.error.empty()) error = virtualFile.error;
  return ok;
}

bool looksLikeSound(std::string_view b) {
  // Sony Wave64 starts with the GUID of its "riff" chunk.
  static constexpr std::string_view kStarts[] = {
      "RIFF",  "RIFX", "RF64",
      "BW64",  "FORM", ".snd",
      "dns.",  "fLaC", "OggS",
      "caff",  "wvpk", "MThd",
      "#!AMR", "Crea", std::string_view("riff\x2E\x91\xCF\x11\xA5\xD6\x28\xDB\x04\xC1\x00\x00", 16)};
  for (std::string_view s : kStarts) {
    if (b.substr(0, s.size()) == s) return true;
  }
  return false;
}

#pragma once
// An input file for the readers. A regular file is read with read(2) where a reader needs it,
// never mapped: a file cut short while it is read gives a message naming the byte where it
// ended. Standard input ("-"), a FIFO or a character device is a stream of unknown length: it
// is read whole at open, up to kMaxStreamBytes, and then served from memory.

#include <cstdint>
#include <string>

#include "files/byte_source.h"

// The most a stream may hold: 256 MiB.
constexpr uint64_t kMaxStreamBytes = uint64_t{1} << 28;

class InputFile final : public ByteSource {
 public:
  InputFile() = default;
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file, or reads the stream whole; false with a one-line message naming it
  // ("\"a.csv\": cannot open: No such file or directory", "\"rec\": a folder, not a file").
  bool open(const std::string& path, std::string& error);
  bool isStream() const { return stream_; }
  uint64_t size() const override { return size_; }
  bool read(uint64_t offset, size_t length, std::string_view& bytes, std::string& error) override;

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
  bool stream_ = false;
  std::string buffer_;  // a stream's bytes, or the last piece read from a file
};

#pragma once
// Where a reader takes its bytes from: an input file read piece by piece (files/input_file.h),
// or bytes already in memory. A reader asks only for the pieces it needs, so a long file costs
// the memory of those pieces, and a file cut short while it is read is a message.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The number of bytes the source holds.
  virtual uint64_t size() const = 0;
  // The bytes from offset on: length of them, fewer only where size() ends. The view stays
  // valid until the next call. False with a one-line message naming the file when they
  // cannot be read.
  virtual bool read(uint64_t offset, size_t length, std::string_view& bytes, std::string& error) = 0;
};

// Bytes in memory, which outlive the source.
class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  uint64_t size() const override { return bytes_.size(); }
  bool read(uint64_t offset, size_t length, std::string_view& bytes, std::string&) override {
    bytes = offset < bytes_.size() ? bytes_.substr(static_cast<size_t>(offset), length) : std::string_view();
    return true;
  }

 private:
  std::string_view bytes_;
};

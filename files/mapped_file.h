#pragma once
// A file's bytes, mapped read-only for the readers: nothing is copied, so a large recording
// costs no memory beyond the part a reader looks at.

#include <cstddef>
#include <string>
#include <string_view>

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps the file; false with a one-line reason naming the file ("\"a.csv\": cannot open:
  // No such file or directory") for a missing, unreadable or non-regular file.
  bool open(const std::string& path, std::string& error);
  // The bytes (empty for an empty file).
  std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

 private:
  void* data_ = nullptr;
  size_t size_ = 0;
};

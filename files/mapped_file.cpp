#include "files/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

MappedFile::~MappedFile() {
  if (data_ != nullptr) munmap(data_, size_);
}

bool MappedFile::open(const std::string& path, std::string& error) {
  const std::string name = "\"" + path + "\": ";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = name + "cannot open: " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = name + "not a regular file";
    ::close(fd);
    return false;
  }
  if (st.st_size > 0) {
    void* p = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      error = name + "cannot read: " + std::strerror(errno);
      ::close(fd);
      return false;
    }
    data_ = p;
    size_ = static_cast<size_t>(st.st_size);
  }
  ::close(fd);
  return true;
}

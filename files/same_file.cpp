#include "files/same_file.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace {

std::string resolved(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full =
      std::filesystem::weakly_canonical(std::filesystem::absolute(path), error);
  return error ? path : full.lexically_normal().string();
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  const bool hasA = ::stat(a.c_str(), &sa) == 0;
  const bool hasB = ::stat(b.c_str(), &sb) == 0;
  if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (hasA != hasB) return false;
  return resolved(a) == resolved(b);
}

bool isDeviceOrPipe(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

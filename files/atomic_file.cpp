#include "files/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "files/stop_signals.h"

namespace {

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a new file gets: that of the file it replaces, or 0666 less the umask.
mode_t modeFor(const std::string& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

// The file a chain of symbolic links ends in, for a link whose final target may not exist yet:
// each relative link is taken from the folder of the link. Gives `path` itself when it is no
// link, and an empty string for a loop or an unreadable link.
std::string finalTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = ::readlink(current.c_str(), buffer.data(), PATH_MAX);
    if (n <= 0) return {};
    std::string next(buffer.data(), static_cast<size_t>(n));
    current = next.front() == '/' ? next : folderOf(current) + "/" + next;
  }
  return {};
}

// The name of the temporary file beside `target`: the target's name with a marker and a random
// part, shortened where that would exceed the longest name the folder allows.
std::string temporaryPattern(const std::string& target) {
  const std::string folder = folderOf(target);
  std::string base = baseOf(target);
  long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  if (longest <= 0) longest = 255;
  const std::string suffix = ".tmp.XXXXXX";
  const size_t room = static_cast<size_t>(longest) - 1 - suffix.size();
  if (base.size() > room) base.resize(room);
  return folder + "/." + base + suffix;
}

// A seed for the names of one thread's temporary files: from the system's random source, or
// where it has none from the time, the process and the thread.
uint64_t seedOfNames() {
  try {
    return std::random_device{}();
  } catch (const std::exception&) {
    const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return now ^ (static_cast<uint64_t>(::getpid()) << 32) ^
           std::hash<std::thread::id>{}(std::this_thread::get_id());
  }
}

// The pattern with its closing XXXXXX replaced by letters and digits drawn at random.
std::string withRandomPart(std::string pattern) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 draw{seedOfNames()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kDigits - 2);
  for (size_t i = pattern.size() - 6; i < pattern.size(); ++i) pattern[i] = kDigits[pick(draw)];
  return pattern;
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::fail(const char* what, int code) {
  failed_ = true;
  if (error_.empty()) {
    error_ = std::string(what) + " \"" + target_ + "\"";
    if (code != 0) error_ += std::string(": ") + std::strerror(code);
  }
  return false;
}

bool AtomicFile::open() {
  discard();
  failed_ = false;
  error_.clear();
  const std::string base = baseOf(target_);
  if (base.empty() || base == "." || base == "..") {
    failed_ = true;
    error_ =
        target_.empty() ? "an empty file name cannot be written" : "not a file name: \"" + target_ + "\"";
    return false;
  }
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return fail("cannot write", EISDIR);
    // A device, a pipe or a socket (also behind a link such as /proc/self/fd/1) is written
    // through: replacing it would put a regular file where the system expects the device.
    if (!S_ISREG(st.st_mode)) return openDirect();
  }
  // A link to a regular file keeps being a link: the file it points to is replaced.
  replaced_ = finalTarget(target_);
  if (replaced_.empty()) return fail("cannot write", ELOOP);
  // Listed before it is made, so that SIGINT or SIGTERM removes it too: a signal between the
  // two finds nothing yet, where one after making it and before listing it would leave it.
  const std::string pattern = temporaryPattern(replaced_);
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    const std::string name = withRandomPart(pattern);
    listed_ = listTemporaryFile(name.c_str());
    fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      temporary_ = name;
      break;
    }
    const int code = errno;
    unlistTemporaryFile(listed_);
    listed_ = -1;
    if (code != EEXIST || attempt == 99) return fail("cannot write", code);
  }
  ::fchmod(fd, modeFor(replaced_));
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int code = errno;
    ::close(fd);
    discard();
    return fail("cannot write", code);
  }
  return true;
}

bool AtomicFile::openDirect() {
  const int fd = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return fail("cannot write", errno);
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int code = errno;
    ::close(fd);
    return fail("cannot write", code);
  }
  direct_ = true;
  return true;
}

bool AtomicFile::write(const void* data, size_t size) {
  if (file_ == nullptr) return fail("cannot write", EBADF);
  if (failed_) return false;
  if (size != 0 && std::fwrite(data, 1, size, file_) != size) return fail("cannot write", errno);
  return true;
}

bool AtomicFile::commit() {
  if (file_ == nullptr) return fail("cannot write", EBADF);
  if (failed_) {
    discard();
    return false;
  }
  if (std::fflush(file_) != 0 || std::ferror(file_)) {
    const int code = errno;
    discard();
    return fail("cannot write", code);
  }
  if (direct_) {
    std::FILE* f = file_;
    file_ = nullptr;
    direct_ = false;
    if (std::fclose(f) != 0) return fail("cannot write", errno);
    return true;
  }
  if (::fsync(::fileno(file_)) != 0 && errno != EINVAL && errno != EROFS) {
    const int code = errno;
    discard();
    return fail("cannot write", code);
  }
  std::FILE* f = file_;
  file_ = nullptr;
  if (std::fclose(f) != 0) {
    const int code = errno;
    discard();
    return fail("cannot write", code);
  }
  if (::rename(temporary_.c_str(), replaced_.c_str()) != 0) {
    const int code = errno;
    discard();
    return fail("cannot replace", code);
  }
  temporary_.clear();
  unlistTemporaryFile(listed_);
  listed_ = -1;
  // Make the rename itself durable; a failure here does not lose data already in place.
  const int dir = ::open(folderOf(replaced_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

void AtomicFile::discard() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  direct_ = false;
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  unlistTemporaryFile(listed_);
  listed_ = -1;
}

bool writeFileAtomically(const std::string& target, std::string_view contents, std::string& error) {
  AtomicFile file(target);
  if (!file.open() || !file.write(contents) || !file.commit()) {
    error = file.error();
    return false;
  }
  return true;
}

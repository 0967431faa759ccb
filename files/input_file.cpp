#include "files/input_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <new>

#include "files/stop_signals.h"

namespace {

// Waits until a stream has bytes or has ended; false (errno EINTR) once a run was asked to
// stop. SIGINT and SIGTERM are held back but while it waits, so that one coming just before the
// wait ends it too instead of being recorded while the stream is waited on for ever.
bool awaitStream(int fd) {
#if defined(__linux__)
  sigset_t stops, previous;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  if (pthread_sigmask(SIG_BLOCK, &stops, &previous) != 0) return true;
  bool ready = true;
  while (true) {
    if (requestedStopSignal() != 0) {
      ready = false;
      break;
    }
    pollfd wanted{fd, POLLIN, 0};
    if (ppoll(&wanted, 1, nullptr, &previous) >= 0 || errno != EINTR) break;  // read(2) tells the rest
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (!ready) errno = EINTR;
  return ready;
#else
  (void)fd;
  return true;
#endif
}

// Reads up to length bytes into out, retrying where read(2) was interrupted or gave less; a
// stream (at null) is waited on first, each time. Returns the bytes read (fewer at the end of
// the data), or -1 with errno (EINTR: a run was asked to stop while the stream was waited on).
ssize_t readFully(int fd, char* out, size_t length, const off_t* at) {
  size_t done = 0;
  while (done < length) {
    if (at == nullptr && !awaitStream(fd)) return -1;
    const ssize_t n = at != nullptr ? ::pread(fd, out + done, length - done, *at + static_cast<off_t>(done))
                                    : ::read(fd, out + done, length - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputFile::open(const std::string& path, std::string& error) {
  path_ = path;
  const std::string name = "\"" + path + "\": ";
  // A FIFO is opened without waiting for its writer (the wait is the reads', which a stop ends),
  // then read as any stream.
  const int fd = path == "-" ? ::dup(STDIN_FILENO) : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = name + "cannot open: " + std::strerror(errno);
    return false;
  }
  fd_ = fd;
  if (path != "-") {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
      error = name + "cannot read: " + std::strerror(errno);
      return false;
    }
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error = name + "cannot read: " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    error = name + "a folder, not a file";
    return false;
  }
  if (S_ISREG(st.st_mode)) {
    size_ = static_cast<uint64_t>(st.st_size);
    return true;
  }
  if (!S_ISFIFO(st.st_mode) && !S_ISCHR(st.st_mode) && !S_ISSOCK(st.st_mode)) {
    error = name + "neither a file nor a stream";
    return false;
  }
  // A stream: its length is known only at its end, so it is read now, in growing pieces.
  stream_ = true;
  try {
    size_t piece = 1 << 16;
    while (true) {
      const size_t at = buffer_.size();
      buffer_.resize(at + piece);
      const ssize_t n = readFully(fd, buffer_.data() + at, piece, nullptr);
      if (n < 0) {
        error = name + (errno == EINTR && requestedStopSignal() != 0
                            ? std::string("the run was asked to stop")
                            : "cannot read: " + std::string(std::strerror(errno)));
        return false;
      }
      buffer_.resize(at + static_cast<size_t>(n));
      if (buffer_.size() > kMaxStreamBytes) {
        error = name + "the stream holds more than " + std::to_string(kMaxStreamBytes) +
                " bytes, the most a stream may hold; save it to a file, which is read only as far as needed";
        return false;
      }
      if (static_cast<size_t>(n) < piece) break;
      if (piece < (size_t{1} << 24)) piece *= 2;
    }
  } catch (const std::bad_alloc&) {
    error = name + "not enough memory for the stream's " + std::to_string(buffer_.size()) + " bytes";
    return false;
  }
  size_ = buffer_.size();
  return true;
}

bool InputFile::read(uint64_t offset, size_t length, std::string_view& bytes, std::string& error) {
  if (offset >= size_) {
    bytes = {};
    return true;
  }
  if (length > size_ - offset) length = static_cast<size_t>(size_ - offset);
  if (stream_) {
    bytes = std::string_view(buffer_).substr(static_cast<size_t>(offset), length);
    return true;
  }
  const std::string name = "\"" + path_ + "\": ";
  try {
    buffer_.resize(length);
  } catch (const std::bad_alloc&) {
    error = name + "not enough memory to read " + std::to_string(length) + " bytes";
    return false;
  }
  const auto at = static_cast<off_t>(offset);
  const ssize_t n = readFully(fd_, buffer_.data(), length, &at);
  if (n < 0) {
    error = name + "cannot read at byte " + std::to_string(offset) + ": " + std::strerror(errno);
    return false;
  }
  if (static_cast<size_t>(n) < length) {
    error = name + "the file ends at byte " + std::to_string(offset + static_cast<uint64_t>(n)) +
            " though it held " + std::to_string(size_) +
            " bytes when it was opened; it was cut short while being read";
    return false;
  }
  bytes = std::string_view(buffer_).substr(0, length);
  return true;
}

// Preloaded into a program (LD_PRELOAD), this reports the program's address space once every
// shared library is mapped and before the program's own main runs: its constructor runs after
// the loader has mapped everything and before the executable's initialisers. It writes the
// VmSize and VmPeak lines of /proc/self/status to the file named by ADDRESS_SPACE_REPORT.
// Plain system calls only, so that the probe itself adds next to nothing.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

void writeAll(int fd, const char* text, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, text, size);
    if (n <= 0) return;
    text += n;
    size -= static_cast<size_t>(n);
  }
}

__attribute__((constructor)) void reportAddressSpace() {
  const char* target = std::getenv("ADDRESS_SPACE_REPORT");
  if (target == nullptr) return;
  char status[8192];
  const int in = ::open("/proc/self/status", O_RDONLY);
  if (in < 0) return;
  const ssize_t got = ::read(in, status, sizeof status - 1);
  ::close(in);
  if (got <= 0) return;
  status[got] = '\0';
  const int out = ::open(target, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (out < 0) return;
  for (const char* key : {"VmPeak:", "VmSize:"}) {
    const char* line = std::strstr(status, key);
    if (line == nullptr) continue;
    const char* end = std::strchr(line, '\n');
    writeAll(out, line, end != nullptr ? static_cast<size_t>(end - line + 1) : std::strlen(line));
  }
  ::close(out);
}

}  // namespace

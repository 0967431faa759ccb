#pragma once
// A file that appears whole or not at all. Everything is written to a temporary file in the
// target's folder; commit() flushes and syncs it and renames it over the target. A file that is
// never committed (a failed write, an exception, a stopped run) is removed by the destructor,
// and whatever the target held before stays untouched.
//
// A target that is not a regular file (a device such as /dev/null, a FIFO, a terminal, also behind
// a link like /proc/self/fd/1) is written through directly and never replaced. A symbolic link to
// a regular file stays a link: the file it points to is replaced.
//
// The temporary file is listed with files/stop_signals.h while it exists, so that a program that
// installed its stop signals removes it when SIGINT or SIGTERM ends it.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file; false (with error()) for an empty name, a missing folder or no
  // permission. The target is not touched.
  bool open();
  // Appends bytes; false (with error()) once any write has failed.
  bool write(const void* data, size_t size);
  bool write(std::string_view text) { return write(text.data(), text.size()); }
  // Flushes, syncs, closes and renames over the target; false (with error()) when any of these,
  // or an earlier write, failed. The temporary file is then removed.
  bool commit();
  // Removes the temporary file without touching the target.
  void discard();

  bool isOpen() const { return file_ != nullptr; }
  const std::string& target() const { return target_; }
  // The path of the temporary file while it exists; empty while writing straight into a device.
  const std::string& temporaryPath() const { return temporary_; }
  // One line saying what failed and why, naming the target: "cannot write \"a.csv\": No space
  // left on device".
  const std::string& error() const { return error_; }

 private:
  bool fail(const char* what, int code);
  bool openDirect();

  std::string target_;
  std::string temporary_;
  // The regular file that commit() replaces: the target, or the end of its chain of links.
  std::string replaced_;
  std::string error_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  // Writing straight into a device or pipe: no temporary file, nothing to rename.
  bool direct_ = false;
  // The temporary file's slot in the list of files removed on a stop signal (-1: none).
  int listed_ = -1;
};

// Writes contents to target through an AtomicFile; false with a one-line reason in error.
bool writeFileAtomically(const std::string& target, std::string_view contents, std::string& error);

#include "batch/checked_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "files/atomic_file.h"

namespace {

void escapeInto(std::string& out, std::string_view text, bool escapeQuotes) {
  static const char* hex = "0123456789ABCDEF";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (u < 0x20 || u == 0x7F) {
      out += "\\x";
      out += hex[u >> 4];
      out += hex[u & 0xF];
    } else if (escapeQuotes && (c == '"' || c == '\\')) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
}

// Whether standard output has failed; the message is given once.
bool outputFailed = false;

bool standardOutputFailed(int code) {
  if (!outputFailed) {
    outputFailed = true;
    std::fprintf(stderr, "detection-batch: cannot write standard output: %s\n",
                 code != 0 ? std::strerror(code) : "write error");
    std::fflush(stderr);
  }
  return false;
}

}  // namespace

std::string quotedValue(std::string_view value) {
  std::string out = "\"";
  escapeInto(out, value, true);
  return out + "\"";
}

std::string oneLine(std::string_view text) {
  std::string out;
  escapeInto(out, text, false);
  return out;
}

bool writeStandardOutput(std::string_view text) {
  if (outputFailed) return false;
  errno = 0;
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
    return standardOutputFailed(errno);
  return true;
}

bool finishStandardOutput() {
  if (outputFailed) return false;
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return standardOutputFailed(errno);
  return true;
}

void reportFileError(const std::string& option, const AtomicFile& file) {
  std::fprintf(stderr, "detection-batch: %s: %s\n", option.c_str(), oneLine(file.error()).c_str());
}

bool openOutputFile(const std::string& option, AtomicFile& file) {
  if (file.open()) return true;
  reportFileError(option, file);
  return false;
}

bool commitOutputFile(const std::string& option, AtomicFile& file, std::string_view text) {
  if (file.write(text) && file.commit()) return true;
  reportFileError(option, file);
  return false;
}

bool writeOutputFile(const std::string& option, const std::string& fileName, std::string_view text) {
  if (fileName.empty()) return writeStandardOutput(text) && finishStandardOutput();
  AtomicFile file(fileName);
  if (!file.open()) {
    reportFileError(option, file);
    return false;
  }
  return commitOutputFile(option, file, text);
}

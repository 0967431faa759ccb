#pragma once
// Test files written by an independent writer: Debian's Python 3 with numpy, csv and wave,
// run at test time into a fresh folder.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/detection-files-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "";
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

  // Runs the Python program in the folder (as its working directory); true when it exited 0.
  bool python(const std::string& program) const {
    const std::string script = file("writer.py");
    std::ofstream(script) << "import os\nos.chdir(" << quotedPython(path_) << ")\n" << program;
    return std::system(("/usr/bin/python3 " + script + " 2>" + file("writer.err")).c_str()) == 0;
  }
  std::string pythonErrors() const {
    std::ifstream in(file("writer.err"));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static std::string quotedPython(const std::string& s) { return "r'" + s + "'"; }
  std::string path_;
};

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

#include "batch/drawing_plugin.h"

#include <dlfcn.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef DETECTION_DRAWING_PLUGIN_DIR
#define DETECTION_DRAWING_PLUGIN_DIR "../lib/detection-workbench"
#endif
#ifndef DETECTION_DRAWING_PLUGIN_INSTALLED
#define DETECTION_DRAWING_PLUGIN_INSTALLED "/usr/lib/detection-workbench"
#endif

namespace {

// The folder of the running program, from the kernel's link to its file.
std::string programFolder() {
  char path[PATH_MAX + 1];
  const ssize_t n = ::readlink("/proc/self/exe", path, PATH_MAX);
  if (n <= 0) return {};
  std::string program(path, static_cast<size_t>(n));
  const size_t slash = program.rfind('/');
  return slash == std::string::npos ? std::string(".") : program.substr(0, slash == 0 ? 1 : slash);
}

bool isFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

const DrawingPlugin* drawingPluginAt(const std::vector<std::string>& candidates, std::string& problem) {
  // A second dlopen of a loaded plug-in only counts a reference: no state of our own is kept.
  for (const std::string& path : candidates) {
    if (!isFile(path)) continue;
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = ::dlerror();
      problem = "the drawing plug-in " + path + " could not be loaded: " + (why != nullptr ? why : "unknown");
      return nullptr;
    }
    // The plug-in stays loaded until the process ends: the window system it brings keeps state.
    using Entry = const DrawingPlugin* (*)();
    const auto entry = reinterpret_cast<Entry>(::dlsym(handle, kDrawingPluginEntry));
    const DrawingPlugin* table = entry != nullptr ? entry() : nullptr;
    if (table == nullptr || table->version != kDrawingPluginVersion || table->drawChart == nullptr ||
        table->drawAnswerPlot == nullptr) {
      problem = "the drawing plug-in " + path + " belongs to another version of detection-batch";
      return nullptr;
    }
    return table;
  }
  problem = "the drawing plug-in " + std::string(kDrawingPluginFile) + " is missing (looked for";
  for (size_t i = 0; i < candidates.size(); ++i) problem += (i == 0 ? " " : " and ") + candidates[i];
  problem += "); reinstall the package, or build the target detection-batch-drawing";
  return nullptr;
}

std::vector<std::string> drawingPluginCandidates(const std::string& folder) {
  const std::string file = kDrawingPluginFile;
  return {folder + "/" + file, folder + "/" DETECTION_DRAWING_PLUGIN_DIR "/" + file};
}

std::string installedDrawingPlugin() {
  return DETECTION_DRAWING_PLUGIN_INSTALLED "/" + std::string(kDrawingPluginFile);
}

const DrawingPlugin* drawingPlugin(std::string& problem) {
  const std::string folder = programFolder();
  if (folder.empty()) {
    problem = "the drawing plug-in " + std::string(kDrawingPluginFile) +
              " cannot be found: the program's own path is unknown (/proc/self/exe)";
    return nullptr;
  }
  return drawingPluginAt(drawingPluginCandidates(folder), problem);
}

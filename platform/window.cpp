#include "platform/window.h"

std::string withDefaultExtension(const std::string& name, const std::string& extension) {
  if (extension.empty() || name.empty()) return name;
  const size_t slash = name.find_last_of("/\\");
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  if (name.find('.', base) != std::string::npos) return name;
  return name + "." + extension;
}

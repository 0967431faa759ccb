#include "processing/tuple_dump.h"

#include <cstdarg>
#include <cstdio>

#include "processing/interval_set.h"

namespace {

// Appends formatted text while the dump is below its limit (the compiler checks every format).
__attribute__((format(printf, 2, 3))) void append(std::string& text, const char* format, ...) {
  if (text.size() >= kTupleDumpLimit) return;
  char piece[64];
  va_list args;
  va_start(args, format);
  const int w = std::vsnprintf(piece, sizeof piece, format, args);
  va_end(args);
  if (w > 0)
    text.append(piece, static_cast<size_t>(w) < sizeof piece ? static_cast<size_t>(w) : sizeof piece - 1);
}

}  // namespace

std::string tupleDumpText(const char* title, const IntervalSet& set, int32_t layers, const int32_t* const* g,
                          const int32_t* const* pred, bool layerHeaders) {
  std::string text = title;
  for (uint16_t i = 0; i < set.count; ++i) append(text, " [%d..%d] ", int{set.starts[i]}, int{set.ends[i]});
  append(text, "\n");
  for (int32_t l = 0; l < layers && text.size() < kTupleDumpLimit; ++l) {
    if (layerHeaders) append(text, "l=%d\n ", l + 1);
    const int32_t* gl = g[l];
    const int32_t* pl = pred[l];
    int32_t smallest = 0;
    bool any = false;
    for (uint16_t i = 0; i < set.count; ++i)
      for (int32_t p = set.starts[i]; p <= set.ends[i]; ++p)
        if (!any || gl[p] < smallest) {
          smallest = gl[p];
          any = true;
        }
    for (uint16_t i = 0; i < set.count && text.size() < kTupleDumpLimit; ++i)
      for (int32_t p = set.starts[i]; p <= set.ends[i] && text.size() < kTupleDumpLimit; ++p) {
        if (gl[p] < 0 && gl[p] == smallest)
          append(text, " %d", gl[p]);
        else if (gl[p] < 0)
          append(text, " -");
        else
          append(text, " +");
        if (pl[p] >= 0) append(text, "[%d]", pl[p]);
      }
    append(text, "\n ");
  }
  if (text.size() > kTupleDumpLimit) text.resize(kTupleDumpLimit);
  return text;
}

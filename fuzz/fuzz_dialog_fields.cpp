// Feeds arbitrary text to the readers of dialog fields: integers, reals and lists.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/dialog_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = limitDialogText(std::string(reinterpret_cast<const char*>(data), size));
  size_t consumed = 0;
  const int32_t value = parseDialogInt(text, &consumed);
  if (consumed > text.size()) __builtin_trap();
  (void)value;
  const double real = parseDialogReal(text);
  if (real != real) __builtin_trap();  // never NaN: text that is no number reads as 0
  (void)formatDialogReal(real);
  uint16_t list[25] = {};
  parseDialogList(text, list, 25);
  (void)formatDialogList(list, 25);
  return 0;
}

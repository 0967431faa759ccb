#include "signal/required_list.h"

#include <new>

#include "platform/message_sink.h"

uint16_t* getRequiredList(MessageSink& window, uint16_t count, uint16_t* oldList) {
  freeRequiredList(oldList);
  uint16_t* list = new (std::nothrow) uint16_t[count == 0 ? 1 : count];
  if (list == nullptr) {
    window.messageBox("Нет памяти для newList!", " getRequiredList ", kMbOk);
    return nullptr;
  }
  for (uint16_t i = 0; i < count; ++i) list[i] = static_cast<uint16_t>(i + 1);
  return list;
}

void freeRequiredList(uint16_t* list) { delete[] list; }

void requiredFlagsFromList(const uint16_t* list, uint16_t count, uint16_t* flags, uint16_t flagsCount) {
  for (uint16_t i = 0; i < flagsCount; ++i) flags[i] = 0;
  if (list == nullptr) return;
  for (uint16_t k = 0; k < count; ++k) {
    const uint16_t n = list[k];
    if (n >= 1 && n <= flagsCount) flags[n - 1] = 1;
  }
}

uint16_t requiredListFromFlags(const uint16_t* flags, uint16_t flagsCount, uint16_t* list,
                               uint16_t capacity) {
  uint16_t count = 0;
  for (uint16_t i = 0; i < flagsCount; ++i) {
    if (flags[i] != 1) continue;
    if (list == nullptr || count >= capacity) break;
    list[count++] = static_cast<uint16_t>(i + 1);
  }
  return count;
}

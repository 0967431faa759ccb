#include "shell/sequence_growth.h"

#include <new>

bool growSequence(uint16_t*& array, uint16_t& capacity, uint16_t needed) {
  if (array != nullptr && capacity >= needed) return true;
  uint16_t* grown = new (std::nothrow) uint16_t[needed > 0 ? needed : 1]();
  if (grown == nullptr) return false;
  delete[] array;
  array = grown;
  capacity = needed;
  return true;
}

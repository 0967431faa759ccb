#pragma once
#include <cstdint>

// Grows an owned etalon-number array (allocated with new[]) to hold at least `needed`
// entries: a new array replaces the old one, which is released. The contents are not
// kept (every caller refills the array). Returns false, array unchanged, when memory
// runs out.
bool growSequence(uint16_t*& array, uint16_t& capacity, uint16_t needed);

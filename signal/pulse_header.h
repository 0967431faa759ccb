#pragma once
#include <cstdint>

// One etalon of the alphabet. The record owns lpData (allocated with new[]);
// freePulses releases it.
struct PulseHeader {
  uint16_t wReservedSize = 0;  // samples allocated for lpData
  uint16_t wSize = 0;          // samples of the etalon
  uint16_t wNumber = 0;        // etalon number, 1-based
  int16_t* lpData = nullptr;   // the samples; null while nothing is allocated
};

// Level of the constant etalon and base of the full-sine etalon's amplitude.
constexpr uint16_t constantPulseLevel = 60;

// Number of records of the alphabet array.
constexpr uint16_t kAlphabetRecords = 20;

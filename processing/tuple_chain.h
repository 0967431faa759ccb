#pragma once
#include <cstdint>
#include <vector>

struct ChainsHeader;
struct SeriesHeader;

// One chain found by a tuple solver: its criterion value, its pulses (etalon number,
// start position, kept part) and its cut into tuples (1-based first and last pulse).
struct TupleChain {
  int32_t value = 0;
  uint16_t count = 0;
  uint16_t tuples = 0;
  std::vector<int32_t> etalons;
  std::vector<int32_t> positions;
  std::vector<int32_t> begins;
  std::vector<int32_t> ends;
  std::vector<int16_t> firsts;
  std::vector<int16_t> lasts;
};

// Gives every list of the chain room for `pulses` pulses. May throw std::bad_alloc.
void reserveTupleChain(TupleChain& chain, uint16_t pulses);

// Writes the chain and its tuples into the restored fields of the series; a null chain
// writes zero pulses and zero tuples (no chain was found). The series' tables must hold
// the chain.
void writeTupleChain(SeriesHeader& series, const TupleChain* chain);

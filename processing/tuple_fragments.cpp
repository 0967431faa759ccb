#include "processing/tuple_fragments.h"

#include <cstddef>

#include "processing/matching_step.h"
#include "signal/pulse_header.h"

bool tupleListUsable(const PulseHeader* alphabet, uint16_t etalonsQuantity, int32_t count,
                     const int32_t* sizes, const int32_t* const* subsets, uint16_t n) {
  const int32_t numbers = etalonsQuantity < kAlphabetRecords ? etalonsQuantity : kAlphabetRecords;
  if (alphabet == nullptr || count < 1 || sizes == nullptr || subsets == nullptr) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (sizes[i] < 1 || subsets[i] == nullptr) return false;
    for (int32_t j = 0; j < sizes[i]; ++j) {
      const int32_t number = subsets[i][j];
      if (number < 1 || number > numbers) return false;
      const PulseHeader& pulse = alphabet[number - 1];
      if (pulse.lpData == nullptr || pulse.wSize < n) return false;
    }
  }
  return true;
}

int32_t tupleDistinctEtalons(int32_t count, const int32_t* sizes, const int32_t* const* subsets) {
  bool used[kAlphabetRecords] = {};
  int32_t distinct = 0;
  for (int32_t i = 0; i < count; ++i)
    for (int32_t j = 0; j < sizes[i]; ++j) {
      bool& u = used[subsets[i][j] - 1];
      if (!u) ++distinct;
      u = true;
    }
  return distinct;
}

uint64_t tupleFragmentValues(int32_t distinctEtalons, int32_t positions) {
  return uint64_t{3} * static_cast<uint64_t>(distinctEtalons) * static_cast<uint64_t>(positions);
}

void computeTupleFragments(TupleFragments& f, const PulseHeader* alphabet, int32_t count,
                           const int32_t* sizes, const int32_t* const* subsets, uint16_t n, uint16_t level,
                           const int16_t* x, uint32_t size) {
  f.positions = static_cast<int32_t>(size) - n + 1;
  f.rowOf.assign(kAlphabetRecords, -1);
  f.score.clear();
  f.begin.clear();
  f.end.clear();
  FragmentMatcher matcher;
  std::vector<FragmentChoice> choices(static_cast<std::size_t>(f.positions));
  for (int32_t i = 0; i < count; ++i)
    for (int32_t j = 0; j < sizes[i]; ++j) {
      const int32_t index = subsets[i][j] - 1;
      if (f.rowOf[index] >= 0) continue;
      const uint16_t number = static_cast<uint16_t>(index + 1);
      prepareFragmentMatcher(matcher, alphabet, kAlphabetRecords, 1, &number, n, level, x, size);
      bestFragmentsOver(matcher, x, 0, f.positions - 1, choices.data());
      f.rowOf[index] = static_cast<int32_t>(f.score.size());
      f.score.emplace_back(f.positions);
      f.begin.emplace_back(f.positions);
      f.end.emplace_back(f.positions);
      std::vector<int32_t>& s = f.score.back();
      std::vector<int32_t>& b = f.begin.back();
      std::vector<int32_t>& e = f.end.back();
      for (int32_t p = 0; p < f.positions; ++p) {
        s[p] = choices[p].score;
        b[p] = choices[p].begin;
        e[p] = choices[p].end;
      }
    }
}

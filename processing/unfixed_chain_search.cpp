#include "processing/unfixed_chain_search.h"

#include <cstddef>

void prepareUnfixedWork(UnfixedWork& work, uint32_t positionsCount) {
  work.value.assign(positionsCount, kUnfixedInfinity);
  work.pred.assign(positionsCount, kUnfixedInfinity);
}

std::vector<PositionRange> rangesOf(const IntervalSet& set) {
  std::vector<PositionRange> ranges(set.count);
  for (uint16_t k = 0; k < set.count; ++k) ranges[k] = PositionRange{set.starts[k], set.ends[k]};
  return ranges;
}

namespace {

// One role set, ascending, through the shared kernel with the 32-bit criteria.
void extendOver(UnfixedWork& work, const IntervalSet& set, const int32_t* score, int32_t tmin, int32_t tmax,
                int32_t start) {
  work.extension.begin(tmin, tmax, start);
  for (uint16_t k = 0; k < set.count; ++k)
    work.extension.extend(work.value.data(), work.pred.data(), set.starts[k], set.ends[k],
                          score + set.starts[k]);
}

}  // namespace

void computeUnfixedValues(UnfixedWork& work, const UnfixedRoles& roles, const int32_t* score, int32_t tmin,
                          int32_t tmax) {
  // Positions that can only continue a chain are computed last: until then they count with
  // their initial value, also when the work served an earlier run.
  const IntervalSet& laterOnly = *roles.laterOnly;
  for (uint16_t k = 0; k < laterOnly.count; ++k)
    for (int32_t p = laterOnly.starts[k]; p <= laterOnly.ends[k]; ++p)
      work.value[static_cast<uint32_t>(p)] = kUnfixedInfinity;
  const IntervalSet& firstOnly = *roles.firstOnly;
  for (uint16_t k = 0; k < firstOnly.count; ++k)
    startChains<WrappingCriteria>(work.value.data(), work.pred.data(), firstOnly.starts[k], firstOnly.ends[k],
                                  score + firstOnly.starts[k]);
  extendOver(work, *roles.firstAndLater, score, tmin, tmax, 0);
  extendOver(work, laterOnly, score, tmin, tmax, kUnfixedInfinity);
}

bool pickChainEnd(const UnfixedWork& work, const IntervalSet& lastSet, int32_t start, int32_t& position,
                  int32_t& value) {
  const std::vector<PositionRange> ranges = rangesOf(lastSet);
  int64_t at = 0;
  if (!pickLowestEnd<WrappingCriteria>(work.value.data(), static_cast<int64_t>(work.value.size()), ranges,
                                       start, at, value))
    return false;
  position = static_cast<int32_t>(at);
  return true;
}

uint32_t traceUnfixedChain(const UnfixedWork& work, int32_t end, int32_t* positions) {
  // A link that names no position (a position outside every role keeps 99,999,999 as its
  // predecessor) ends the chain like a negative one.
  const int64_t size = static_cast<int64_t>(work.pred.size());
  const auto count =
      static_cast<uint32_t>(traceLinks<WrappingCriteria>(work.pred.data(), size, end, nullptr));
  if (positions != nullptr) {
    std::vector<int64_t> wide(count);
    traceLinks<WrappingCriteria>(work.pred.data(), size, end, wide.data());
    for (uint32_t k = 0; k < count; ++k) positions[k] = static_cast<int32_t>(wide[k]);
  }
  return count;
}

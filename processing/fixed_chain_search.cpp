#include "processing/fixed_chain_search.h"

uint64_t fixedChainWorkValues(uint16_t q, const int32_t* lo, const int32_t* hi) {
  return fixedChainWorkValuesOf<int32_t>(q, lo, hi);
}

bool searchFixedChain(FixedChainWork& work, uint16_t q, const int32_t* lo, const int32_t* hi, int32_t tmin,
                      int32_t tmax, const int32_t* const* scoreOfPulse, const FixedChainStarts& starts,
                      int32_t* positions, int32_t& value) {
  return searchFixedChainOf<WrappingCriteria, int32_t>(work, q, lo, hi, tmin, tmax, scoreOfPulse, starts,
                                                       positions, value);
}

#pragma once
#include <cstddef>
#include <cstdint>

struct FragmentMatcher;
struct FragmentChoice;

// The best-fragment search of one prepared etalon, matcher.etalons[t], at every position
// first .. last at once (position-parallel, so that the compiler can vectorise it): offers
// the whole pulse (unconditionally when t is 0, else when strictly lower) and then each
// qualifying kept part, by ascending begin and end, to out[q] for position first + q -
// exactly what bestFragmentAt's step for that etalon does at each position. Requires
// matcher.exactShortcut (no running value can leave 32 bits) and positions within the
// series (last + n <= series size). May throw std::bad_alloc.
void offerKeptPartsOver(FragmentMatcher& matcher, std::size_t t, const int16_t* x, int32_t first,
                        int32_t last, FragmentChoice* out);

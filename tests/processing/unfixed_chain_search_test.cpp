#include "processing/unfixed_chain_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "processing/position_sets.h"
#include "tests/support/test_scale.h"

namespace {

struct Roles {
  PositionSets sets;
  UnfixedRoles roles;
  ~Roles() {
    freeIntervalSet(roles.firstOnly);
    freeIntervalSet(roles.firstAndLater);
    freeIntervalSet(roles.laterOnly);
    freePositionSets(sets);
  }
};

// The values as the text defines them: every window scanned position by position, the
// three roles in turn, values not computed yet counting as 99,999,999.
void literalValues(const UnfixedRoles& r, const std::vector<int32_t>& score, int32_t tmin, int32_t tmax,
                   std::vector<int32_t>& value, std::vector<int32_t>& pred) {
  value.assign(score.size(), kUnfixedInfinity);
  pred.assign(score.size(), kUnfixedInfinity);
  auto walk = [](const IntervalSet* s, auto f) {
    for (int k = 0; k < s->count; ++k)
      for (int32_t p = s->starts[k]; p <= s->ends[k]; ++p) f(p);
  };
  walk(r.firstOnly, [&](int32_t p) {
    value[p] = score[p];
    pred[p] = kStartsChain;
  });
  for (const auto& [set, start] : {std::pair{r.firstAndLater, 0}, std::pair{r.laterOnly, kUnfixedInfinity}})
    walk(set, [&, start = start](int32_t p) {
      int32_t m = start, at = kNoPredecessor;
      for (int32_t l = p - tmax; l <= p - tmin; ++l)
        if (l >= 0 && value[l] < m) {
          m = value[l];
          at = l;
        }
      value[p] = static_cast<int32_t>(static_cast<uint32_t>(m) + static_cast<uint32_t>(score[p]));
      pred[p] = at;
    });
}

// Values and links over random sets and scores with many ties equal the literal ones, also
// when the working storage served a run with other scores before (as for every etalon of a
// recognition).
TEST(UnfixedChainSearchTest, ValuesEqualTheLiteralWindowsAndSurviveReuse) {
  std::mt19937 rng(8);
  for (int trial = 0; trial < scaledCount(400); ++trial) {
    const int n = std::uniform_int_distribution<int>(1, 20)(rng);
    const int tmin = std::uniform_int_distribution<int>(n, 50)(rng);
    const int tmax = tmin + std::uniform_int_distribution<int>(0, trial % 3 == 0 ? 4 : 120)(rng);
    const int size = std::uniform_int_distribution<int>(n, 900)(rng);
    const int jmin = std::max(1, (size + n - 1) / tmax);
    const int jmax = std::max(jmin, (size - n + tmin) / tmin);
    Roles r;
    ASSERT_TRUE(buildPositionSets(r.sets, static_cast<uint32_t>(size), static_cast<uint16_t>(n),
                                  static_cast<uint16_t>(tmin), static_cast<uint16_t>(tmax),
                                  static_cast<uint16_t>(jmin), static_cast<uint16_t>(jmax)));
    ASSERT_TRUE(splitPositionSets(r.sets, r.roles.firstOnly, r.roles.firstAndLater, r.roles.laterOnly));
    const uint32_t positions = static_cast<uint32_t>(size - n + 1);
    const int spread = trial % 2 == 0 ? 3 : 1000;
    std::uniform_int_distribution<int32_t> draw(-spread, spread / 2);
    std::vector<int32_t> earlier(positions), score(positions);
    for (int32_t& s : earlier) s = draw(rng);
    for (int32_t& s : score) s = draw(rng);

    UnfixedWork reused, fresh;
    prepareUnfixedWork(reused, positions);
    prepareUnfixedWork(fresh, positions);
    computeUnfixedValues(reused, r.roles, earlier.data(), tmin, tmax);
    computeUnfixedValues(reused, r.roles, score.data(), tmin, tmax);
    computeUnfixedValues(fresh, r.roles, score.data(), tmin, tmax);
    std::vector<int32_t> value, pred;
    literalValues(r.roles, score, tmin, tmax, value, pred);
    ASSERT_EQ(fresh.value, value) << "trial " << trial;
    ASSERT_EQ(fresh.pred, pred) << "trial " << trial;
    ASSERT_EQ(reused.value, value) << "trial " << trial;
    ASSERT_EQ(reused.pred, pred) << "trial " << trial;
  }
}

}  // namespace

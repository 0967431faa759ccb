#include "processing/matching_step.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "signal/pulse_header.h"
#include "tests/support/reference_detection.h"

namespace {

// An alphabet of hand-made etalons over caller-owned sample vectors.
struct HandAlphabet {
  std::vector<std::vector<int16_t>> samples;
  PulseHeader pulses[kAlphabetRecords];
  void set(int number, std::vector<int16_t> s) {
    samples.push_back(std::move(s));
    PulseHeader& p = pulses[number - 1];
    p.lpData = samples.back().data();
    p.wSize = p.wReservedSize = static_cast<uint16_t>(samples.back().size());
    p.wNumber = static_cast<uint16_t>(number);
  }
  HandAlphabet() { samples.reserve(kAlphabetRecords); }
};

TEST(MatchingStepTest, EnergiesThresholdAndScoresOfAWorkedExample) {
  const int16_t s[] = {10, 20, 30, 20, 10};
  int32_t pe[6];
  etalonsPartialEnergy(s, 5, pe);
  EXPECT_EQ(pe[0], 0);
  EXPECT_EQ(pe[3], 1400);
  EXPECT_EQ(pe[5], 1900);
  EXPECT_EQ(energyThreshold(50, 1900), 950);
  EXPECT_EQ(energyThreshold(75, 1901), 1425);  // truncated
  const int16_t x[] = {7, 0, 0, 30, 20, 0};
  EXPECT_EQ(fragmentScore(s, x, 1, 0, 4), -700);
  EXPECT_EQ(fragmentScore(s, x, 1, 2, 3), -1300);
  EXPECT_EQ(fragmentScore(s, x, 1, 2, 2), -900);

  HandAlphabet a;
  a.set(1, {10, 20, 30, 20, 10});
  FragmentMatcher m;
  const uint16_t list[] = {1};
  ASSERT_TRUE(prepareFragmentMatcher(m, a.pulses, 1, 1, list, 5, 50, x, 6));
  EXPECT_EQ(m.etalons[0].firstNoStart, 3);  // parts may start at 0, 1 or 2 only
  const FragmentChoice best = bestFragmentAt(m, x, 1);
  EXPECT_EQ(best.score, -1300);
  EXPECT_EQ(best.begin, 2);
  EXPECT_EQ(best.end, 3);
  EXPECT_EQ(best.etalonIndex, 0);

  // Level 100 admits whole pulses only.
  ASSERT_TRUE(prepareFragmentMatcher(m, a.pulses, 1, 1, list, 5, 100, x, 6));
  const FragmentChoice whole = bestFragmentAt(m, x, 1);
  EXPECT_EQ(whole.score, -700);
  EXPECT_EQ(whole.begin, 0);
  EXPECT_EQ(whole.end, 4);
}

TEST(MatchingStepTest, TiesKeepTheEarlierEtalonAndTheWholePulse) {
  HandAlphabet a;
  a.set(3, {5, 5, 5, 5});
  a.set(4, {5, 5, 5, 5});
  a.set(5, {0, 0, 0, 0});  // no energy: only the whole pulse
  const int16_t x[] = {5, 5, 5, 5};
  FragmentMatcher m;
  const uint16_t list[] = {4, 3, 5};
  ASSERT_TRUE(prepareFragmentMatcher(m, a.pulses, 5, 3, list, 4, 0, x, 4));
  const FragmentChoice best = bestFragmentAt(m, x, 0);
  EXPECT_EQ(best.etalonIndex, 3);  // etalon 4, first of the list
  EXPECT_EQ(best.score, -100);
  EXPECT_EQ(best.begin, 0);
  EXPECT_EQ(best.end, 3);
  // The zero etalon alone scores 0 at every level.
  const uint16_t zero[] = {5};
  ASSERT_TRUE(prepareFragmentMatcher(m, a.pulses, 5, 1, zero, 4, 0, x, 4));
  EXPECT_EQ(bestFragmentAt(m, x, 0).score, 0);
}

TEST(MatchingStepTest, RefusesListsItCannotMatch) {
  HandAlphabet a;
  a.set(1, {1, 2, 3});
  const int16_t x[] = {0, 0, 0};
  FragmentMatcher m;
  const uint16_t zero[] = {0};
  const uint16_t beyond[] = {2};
  const uint16_t one[] = {1};
  EXPECT_FALSE(prepareFragmentMatcher(m, a.pulses, 20, 1, zero, 3, 50, x, 3));
  EXPECT_FALSE(prepareFragmentMatcher(m, a.pulses, 1, 1, beyond, 3, 50, x, 3));
  EXPECT_FALSE(prepareFragmentMatcher(m, a.pulses, 20, 1, beyond, 3, 50, x, 3));  // no samples
  EXPECT_FALSE(prepareFragmentMatcher(m, a.pulses, 1, 1, one, 4, 50, x, 3));      // too short
  EXPECT_FALSE(prepareFragmentMatcher(m, a.pulses, 1, 0, one, 3, 50, x, 3));
  EXPECT_TRUE(prepareFragmentMatcher(m, a.pulses, 1, 1, one, 3, 50, x, 3));
}

// The fast search against the literal one, over random etalons, levels and samples, with
// small amplitudes (the suffix-minimum path) and huge ones (scores that wrap in 32 bits).
TEST(MatchingStepTest, FastSearchEqualsTheLiteralSearch) {
  std::mt19937 rng(77);
  const uint16_t levels[] = {0, 1, 25, 50, 75, 99, 100, 150};
  for (int round = 0; round < 600; ++round) {
    const bool huge = round % 4 == 3;
    const int amp = huge ? 32767 : std::uniform_int_distribution<int>(0, 200)(rng);
    std::uniform_int_distribution<int> sample(-amp, amp);
    const uint16_t n = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 24)(rng));
    HandAlphabet a;
    const int etalons = std::uniform_int_distribution<int>(1, 4)(rng);
    std::vector<uint16_t> list;
    for (int e = 1; e <= etalons; ++e) {
      std::vector<int16_t> s(n);
      for (int16_t& v : s) v = static_cast<int16_t>(round % 7 == 0 ? 3 : sample(rng));
      a.set(e, s);
      list.push_back(static_cast<uint16_t>(std::uniform_int_distribution<int>(1, e)(rng)));
    }
    std::vector<int16_t> x(static_cast<size_t>(n) + 40);
    for (int16_t& v : x) v = static_cast<int16_t>(sample(rng));
    const uint16_t level = levels[round % 8];
    FragmentMatcher m;
    ASSERT_TRUE(prepareFragmentMatcher(m, a.pulses, static_cast<uint16_t>(etalons),
                                       static_cast<uint16_t>(list.size()), list.data(), n, level, x.data(),
                                       static_cast<uint32_t>(x.size())));
    std::vector<FragmentChoice> range(41);
    bestFragmentsOver(m, x.data(), 0, 40, range.data());
    for (int p = 0; p <= 40; ++p) {
      const ReferenceFragment r = referenceBestFragment(a.pulses, static_cast<uint16_t>(list.size()),
                                                        list.data(), n, level, x.data(), p);
      const FragmentChoice f = bestFragmentAt(m, x.data(), p);
      ASSERT_EQ(f.score, r.score) << "round " << round << " p " << p;
      ASSERT_EQ(f.etalonIndex, r.etalonIndex);
      ASSERT_EQ(f.begin, r.begin);
      ASSERT_EQ(f.end, r.end);
      ASSERT_EQ(range[p].score, r.score);
      ASSERT_EQ(range[p].etalonIndex, r.etalonIndex);
      ASSERT_EQ(range[p].begin, r.begin);
      ASSERT_EQ(range[p].end, r.end);
    }
  }
}

}  // namespace

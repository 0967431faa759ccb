#include "tests/support/series_factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "signal/task_codes.h"

// The random series other subsystems test against must be admissible for every type.
TEST(SeriesFactory, MakesAdmissibleSeriesOfEveryType) {
  TestAlphabet a;
  std::mt19937 rng(7);
  RandomSeeds seeds = randomSeeds(rng);
  for (uint16_t type : {1, 2, 4, 8, 16, 32, 36, 40}) {
    for (int round = 0; round < 40; ++round) {
      RandomSeriesOptions o;
      o.seriesType = type;
      o.required = {2, 5, 11};
      o.singleEtalon = type == 1 && round % 2 == 0;
      RandomSeriesParams p;
      SeriesPtr s = makeRandomSeries(rng, a, seeds, o, &p);
      ASSERT_TRUE(s);
      const SeriesHeader& h = *s;
      ASSERT_GE(h.wImpulseQuantity, h.wMinPulses);
      ASSERT_LE(h.wImpulseQuantity, h.wMaxPulses);
      ASSERT_EQ(h.wImpulseQuantity, p.pulses);
      ASSERT_EQ(h.wNoiseLevel, p.noiseLevel);
      ASSERT_GE(h.wTmin, a.length);
      for (int k = 0; k < h.wImpulseQuantity; ++k) {
        const int16_t e = h.lpEtalonNumbers[k];
        ASSERT_TRUE(e == 2 || e == 5 || e == 11) << e;
        if (o.singleEtalon) {
          ASSERT_EQ(e, h.lpEtalonNumbers[0]);
        }
      }
      const bool whole = std::all_of(h.lpCutEnd, h.lpCutEnd + h.wImpulseQuantity,
                                     [&](int16_t v) { return v == a.length - 1; });
      if (!isCutOffSeries(type)) {
        ASSERT_TRUE(whole);
      }
      ASSERT_EQ(isTupleSeries(type), h.wSubsetSize > 0);
    }
  }
}

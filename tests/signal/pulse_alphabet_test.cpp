#include "signal/pulse_alphabet.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/message_recorder.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"
#include "signal/random_source.h"
#include "tests/support/series_factory.h"

namespace {

std::vector<int16_t> samples(const PulseHeader& p) {
  return std::vector<int16_t>(p.lpData, p.lpData + p.wSize);
}

std::vector<int16_t> negated(std::vector<int16_t> v) {
  for (int16_t& x : v) x = static_cast<int16_t>(-x);
  return v;
}

}  // namespace

TEST(MakePulses, DefaultDeterministicEtalonsHaveTheirExactSamples) {
  TestAlphabet a;
  for (uint16_t i = 0; i < 20; ++i) {
    EXPECT_EQ(a.pulses[i].wNumber, i + 1);
    EXPECT_EQ(a.pulses[i].wSize, 20);
    EXPECT_EQ(a.pulses[i].wReservedSize, 20);
  }
  const std::vector<int16_t> constant(20, 60);
  // Values computed independently from the shape formulas in double precision.
  const std::vector<int16_t> halfSine = {12, 24, 36, 47, 57, 65, 72, 78, 81, 83,
                                         83, 81, 78, 72, 65, 57, 47, 36, 24, 12};
  const std::vector<int16_t> fullSine = {24,  47,  65,  78,  83,  81,  72,  57,  36,  12,
                                         -12, -36, -57, -72, -81, -83, -78, -65, -47, -24};
  const std::vector<int16_t> damped = {0, 117, 87, -90, -147, 0, 112, 53, -40, -50,
                                       0, 29,  14, -10, -13,  0, 7,   3,  -2,  -3};
  const std::vector<int16_t> envelope = {0,  102, 115, 117, 118, 91, 71, 55, 43, 33,
                                         26, 20,  15,  12,  9,   7,  5,  4,  3,  2};
  EXPECT_EQ(samples(a.pulses[0]), constant);
  EXPECT_EQ(samples(a.pulses[1]), negated(constant));
  EXPECT_EQ(samples(a.pulses[2]), halfSine);
  EXPECT_EQ(samples(a.pulses[3]), negated(halfSine));
  EXPECT_EQ(samples(a.pulses[4]), fullSine);
  EXPECT_EQ(samples(a.pulses[5]), negated(fullSine));
  EXPECT_EQ(samples(a.pulses[6]), damped);
  EXPECT_EQ(samples(a.pulses[7]), negated(damped));
  EXPECT_EQ(samples(a.pulses[8]), envelope);
  EXPECT_EQ(samples(a.pulses[9]), negated(envelope));
}

TEST(MakePulses, AmplitudeScalesAllShapesButTheConstantAndTheFullSine) {
  TestAlphabet small(10, 20, 64);
  TestAlphabet normal(10, 20, 128);
  EXPECT_EQ(samples(small.pulses[0]), samples(normal.pulses[0]));
  EXPECT_EQ(samples(small.pulses[4]), samples(normal.pulses[4]));
  // Half sine amplitude 2a/3 - 1 = 41 for a = 64: its peak is below that of a = 128.
  EXPECT_EQ(small.pulses[2].lpData[9], 40);  // trunc(sin(10 pi / 21) * 41)
}

TEST(MakePulses, NoiseEtalonsAreClippedGaussianDrawsFromTheirSeed) {
  RandomSeeds seeds;
  TestAlphabet a(20, 20, 128, &seeds);
  uint16_t replay = 123;
  for (uint16_t e = 10; e < 20; ++e) {
    for (uint16_t i = 0; i < 20; ++i) {
      int32_t v = gaussRandomStepwise(replay, 0, 64);
      v = v > 127 ? 127 : (v < -128 ? -128 : v);
      ASSERT_EQ(a.pulses[e].lpData[i], v) << "etalon " << e + 1 << " sample " << i;
    }
  }
  EXPECT_EQ(seeds.seedNoisePulses, replay);
}

TEST(MakePulses, NoiseNeverLeavesMinusAToAMinusOne) {
  // A small amplitude makes clipping frequent: sigma 1 draws reach +-6.
  RandomSeeds seeds;
  for (int round = 0; round < 20; ++round) {
    TestAlphabet a(20, 200, 3, &seeds);
    for (uint16_t e = 10; e < 20; ++e)
      for (uint16_t i = 0; i < 200; ++i) {
        ASSERT_GE(a.pulses[e].lpData[i], -3);
        ASSERT_LE(a.pulses[e].lpData[i], 2);
      }
  }
}

TEST(MakePulses, RebuildKeepsShapesRedrawsNoiseAndReportsGrowth) {
  MessageRecorder w;
  RandomSeeds seeds;
  PulseHeader alphabet[kAlphabetRecords];
  ASSERT_EQ(makePulses(w, 128, 20, 20, alphabet, seeds), 1);
  const std::vector<int16_t> damped = samples(alphabet[6]);
  const std::vector<int16_t> noise = samples(alphabet[12]);
  const int16_t* storage = alphabet[0].lpData;

  ASSERT_EQ(makePulses(w, 128, 20, 20, alphabet, seeds), 1);
  EXPECT_TRUE(w.messages().empty());
  EXPECT_EQ(alphabet[0].lpData, storage);
  EXPECT_EQ(samples(alphabet[6]), damped);
  EXPECT_NE(samples(alphabet[12]), noise);

  // A shorter etalon keeps its storage; a longer one replaces it with a notice, once.
  ASSERT_EQ(makePulses(w, 128, 20, 10, alphabet, seeds), 1);
  EXPECT_EQ(alphabet[0].wSize, 10);
  EXPECT_EQ(alphabet[0].wReservedSize, 20);
  EXPECT_TRUE(w.messages().empty());
  ASSERT_EQ(makePulses(w, 128, 20, 30, alphabet, seeds), 1);
  ASSERT_EQ(w.messages().size(), 1u);
  EXPECT_EQ(w.messages()[0].text, "Предварительное освобождение памяти!");
  EXPECT_EQ(w.messages()[0].caption, "Отладка");
  EXPECT_EQ(w.messages()[0].style & kMbIconMask, kMbIconWarning);
  EXPECT_EQ(alphabet[19].wReservedSize, 30);
  EXPECT_EQ(samples(alphabet[1]), std::vector<int16_t>(30, -60));
  freePulses(alphabet, 20);
  EXPECT_EQ(alphabet[3].lpData, nullptr);
}

TEST(MakePulses, ShortEtalonsTakeOnlyTheDecayBranch) {
  // Length 5: the envelope's rise is (2*5+4)/8 - 1 = 0, the damped sine's (14)/8 = 1.
  TestAlphabet a(10, 5, 128);
  EXPECT_EQ(samples(a.pulses[8]), (std::vector<int16_t>{118, 53, 23, 10, 4}));
  // Damped sine with rise 1: sample 0 rises (envelope 0), the rest decay.
  EXPECT_EQ(a.pulses[6].lpData[0], 0);
  TestAlphabet one(10, 1, 128);
  EXPECT_EQ(one.pulses[0].lpData[0], 60);
  EXPECT_EQ(one.pulses[1].lpData[0], -60);
}

TEST(ResamplePulse, InterpolatesLinearlyAndTruncatesTowardZero) {
  const int16_t up[] = {0, 10, 20};
  int16_t out5[5];
  resamplePulse(3, up, 5, out5);
  EXPECT_EQ(std::vector<int16_t>(out5, out5 + 5), (std::vector<int16_t>{0, 5, 10, 15, 20}));

  const int16_t down[] = {0, 10, 20, 30, 40};
  int16_t out3[3];
  resamplePulse(5, down, 3, out3);
  EXPECT_EQ(std::vector<int16_t>(out3, out3 + 3), (std::vector<int16_t>{0, 20, 40}));

  const int16_t neg[] = {0, -3};
  resamplePulse(2, neg, 3, out3);
  EXPECT_EQ(std::vector<int16_t>(out3, out3 + 3), (std::vector<int16_t>{0, -1, -3}));

  const int16_t wide[] = {-32768, 32767};
  resamplePulse(2, wide, 3, out3);
  EXPECT_EQ(out3[1], -1);  // -32768 + 65535 / 2, without overflow

  const int16_t same[] = {5, -7, 9, 11};
  int16_t copy[4];
  resamplePulse(4, same, 4, copy);
  EXPECT_EQ(std::vector<int16_t>(copy, copy + 4), std::vector<int16_t>(same, same + 4));
  makeMirrorPulse(4, same, 4, copy);
  EXPECT_EQ(std::vector<int16_t>(copy, copy + 4), (std::vector<int16_t>{-5, 7, -9, -11}));

  int16_t single[1];
  resamplePulse(4, same, 1, single);
  EXPECT_EQ(single[0], 11);
}

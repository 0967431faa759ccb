#include "signal/random_source.h"

#include <array>

namespace {

constexpr uint32_t kGaussSteps = 12;
constexpr int32_t kGaussCentre = 196608;  // 12 * 16384, the mean of the 12-value sum

// Twelve generator steps compose to one affine map seed -> (a * seed + c) mod 32768.
struct Affine {
  uint32_t a;
  uint32_t c;
};

constexpr Affine twelveSteps() {
  Affine m{1, 0};
  for (uint32_t k = 0; k < kGaussSteps; ++k)
    m = Affine{(m.a * 12869u) & 0x7FFFu, (m.c * 12869u + 6925u) & 0x7FFFu};
  return m;
}

constexpr Affine kTwelveSteps = twelveSteps();

// For every 15-bit seed, the sum of the next 12 generator values. The seed itself moves
// on by the composed map, so the chain of seeds never waits for a table load.
const std::array<int32_t, 32768>& gaussTable() {
  static const std::array<int32_t, 32768> table = [] {
    std::array<int32_t, 32768> t{};
    for (uint32_t s = 0; s < 32768; ++s) {
      uint16_t seed = static_cast<uint16_t>(s);
      int32_t sum = 0;
      for (uint32_t k = 0; k < kGaussSteps; ++k) sum += uniformRandom(seed);
      t[s] = sum;
    }
    return t;
  }();
  return table;
}

int32_t scaleGauss(int32_t sum, int16_t mean, int16_t sigma) {
  // The product of the original fits 32 bits for every realistic sigma; it is formed in
  // 64 bits so that no sigma can overflow, with the same result where 32 bits suffice.
  const int64_t product = static_cast<int64_t>(sum - kGaussCentre) * sigma;
  return static_cast<int32_t>((product >> 15) + mean);
}

}  // namespace

uint16_t uniformRandom(uint16_t& seed) {
  seed = static_cast<uint16_t>((static_cast<uint32_t>(seed) * 12869u + 6925u) & 0x7FFFu);
  return seed;
}

UniformJump::UniformJump(uint64_t steps) : none_(steps == 0) {
  // Invariant: the map done so far is (a_, c_); (a, c) is the step raised to the current power of two.
  uint32_t a = 12869u;
  uint32_t c = 6925u;
  while (steps != 0) {
    if ((steps & 1u) != 0) {
      a_ = (a * a_) & 0x7FFFu;
      c_ = (a * c_ + c) & 0x7FFFu;
    }
    c = (a * c + c) & 0x7FFFu;
    a = (a * a) & 0x7FFFu;
    steps >>= 1;
  }
}

uint16_t uniformRandomJump(uint16_t seed, uint64_t steps) { return UniformJump(steps)(seed); }

int32_t gaussRandom(uint16_t& seed, int16_t mean, int16_t sigma) {
  // The generator only depends on the low 15 bits of the seed.
  const uint32_t s = seed & 0x7FFFu;
  const int32_t sum = gaussTable()[s];
  seed = static_cast<uint16_t>((kTwelveSteps.a * s + kTwelveSteps.c) & 0x7FFFu);
  return scaleGauss(sum, mean, sigma);
}

int32_t gaussRandomStepwise(uint16_t& seed, int16_t mean, int16_t sigma) {
  int32_t sum = 0;
  for (uint32_t k = 0; k < kGaussSteps; ++k) sum += uniformRandom(seed);
  return scaleGauss(sum, mean, sigma);
}

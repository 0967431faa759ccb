#pragma once
#include <cstdint>

// The 15-bit linear congruential generator: advances the seed one step,
// seed = (seed * 12869 + 6925) mod 32768, and returns the new seed (0..32767).
uint16_t uniformRandom(uint16_t& seed);

// The seed after the given number of uniformRandom steps, in O(log steps): the affine step is
// composed with itself by repeated squaring. Gives exactly what stepping one at a time gives.
uint16_t uniformRandomJump(uint16_t seed, uint64_t steps);

// A fixed number of generator steps composed into one affine map, applied in O(1).
class UniformJump {
 public:
  explicit UniformJump(uint64_t steps = 0);
  // The seed after the map's steps (the generator only reads the seed's low 15 bits).
  uint16_t operator()(uint16_t seed) const {
    if (none_) return seed;
    return static_cast<uint16_t>((a_ * (seed & 0x7FFFu) + c_) & 0x7FFFu);
  }

 private:
  bool none_ = true;
  uint32_t a_ = 1;
  uint32_t c_ = 0;
};

// Approximate Gaussian draw: the sum of the next 12 uniformRandom values of the seed,
// centred, scaled by sigma and shifted right by 15 bits (toward minus infinity), plus mean.
// Advances the seed by exactly 12 steps. Uses a lookup table built once (thread-safe).
int32_t gaussRandom(uint16_t& seed, int16_t mean, int16_t sigma);

// The same draw computed by twelve literal generator steps (no table).
int32_t gaussRandomStepwise(uint16_t& seed, int16_t mean, int16_t sigma);

#pragma once
#include <cstdint>

// The 15-bit linear congruential generator: advances the seed one step,
// seed = (seed * 12869 + 6925) mod 32768, and returns the new seed (0..32767).
uint16_t uniformRandom(uint16_t& seed);

// Approximate Gaussian draw: the sum of the next 12 uniformRandom values of the seed,
// centred, scaled by sigma and shifted right by 15 bits (toward minus infinity), plus mean.
// Advances the seed by exactly 12 steps. Uses a lookup table built once (thread-safe).
int32_t gaussRandom(uint16_t& seed, int16_t mean, int16_t sigma);

// The same draw computed by twelve literal generator steps (no table).
int32_t gaussRandomStepwise(uint16_t& seed, int16_t mean, int16_t sigma);

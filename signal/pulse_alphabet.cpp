#include "signal/pulse_alphabet.h"

#include <cmath>
#include <new>

#include "platform/message_sink.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"
#include "signal/random_source.h"

namespace {

// The rounded angle constants the shapes were tuned with (not full-precision pi).
constexpr double kPi = 3.141592654;
constexpr double kTwoPi = 6.283185308;

// Converts a double to a sample by truncation toward zero; values beyond 32 bits saturate
// there first, so that no conversion is undefined.
int16_t truncSample(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) v = 2147483647.0;
  if (v <= -2147483648.0) v = -2147483648.0;
  return static_cast<int16_t>(static_cast<int32_t>(v));
}

// Envelope of the damped shapes at sample i: rises as 1 - exp(i * h) over the first
// rise samples, then decays as exp(-g * (i - rise)).
double dampedEnvelope(int32_t i, int32_t rise, int32_t length) {
  if (i < rise) return 1.0 - std::exp(static_cast<double>(i) * (-8.0 / rise));
  const double g = 4.0 / static_cast<double>(length - rise);
  return std::exp(-g * static_cast<double>(i - rise));
}

void makeSineShape(int16_t amplitude, int16_t length, double angle, int16_t* out) {
  if (length <= 0) return;
  const double increment = angle / static_cast<double>(length + 1);
  double phase = 0.0;
  for (int32_t i = 0; i < length; ++i) {
    phase += increment;
    out[i] = truncSample(std::sin(phase) * amplitude);
  }
}

}  // namespace

void makeHalfSinePulse(int16_t amplitude, int16_t length, int16_t* out) {
  makeSineShape(amplitude, length, kPi, out);
}

void makeSinePulse(int16_t amplitude, int16_t length, int16_t* out) {
  makeSineShape(amplitude, length, kTwoPi, out);
}

void makeDampedSinePulse(int16_t amplitude, int16_t rise, int16_t cycles, int16_t length, int16_t* out) {
  if (length <= 0) return;
  const double step = cycles * kTwoPi / length;
  double phase = 0.0;
  for (int32_t i = 0; i < length; ++i) {
    const double envelope = dampedEnvelope(i, rise, length);
    out[i] = truncSample(std::sin(phase) * (amplitude * envelope));
    phase += step;
  }
}

void makeEnvelopePulse(int16_t amplitude, int16_t rise, int16_t /*cycles*/, int16_t length, int16_t* out) {
  for (int32_t i = 0; i < length; ++i) out[i] = truncSample(amplitude * dampedEnvelope(i, rise, length));
}

void resamplePulse(int16_t sourceLength, const int16_t* source, int16_t length, int16_t* out) {
  if (length <= 0) return;
  if (sourceLength <= 0) {
    for (int32_t j = 0; j < length; ++j) out[j] = 0;
    return;
  }
  const int32_t m1 = sourceLength - 1;
  const int32_t n1 = length - 1;
  int32_t q = 0;
  int32_t r = 0;
  for (int32_t j = 0; j < n1; ++j) {
    const int32_t next = q + 1 < sourceLength ? source[q + 1] : source[q];
    out[j] = static_cast<int16_t>(source[q] + (static_cast<int64_t>(r) * (next - source[q])) / n1);
    r += m1;
    while (r >= n1) {
      r -= n1;
      ++q;
    }
  }
  out[n1] = source[m1];
}

void makeMirrorPulse(int16_t sourceLength, const int16_t* source, int16_t length, int16_t* out) {
  resamplePulse(sourceLength, source, length, out);
  for (int32_t i = 0; i < length; ++i) out[i] = static_cast<int16_t>(-static_cast<int32_t>(out[i]));
}

void freePulses(PulseHeader* alphabet, uint16_t count) {
  if (alphabet == nullptr) return;
  for (uint16_t i = 0; i < count; ++i) {
    delete[] alphabet[i].lpData;
    alphabet[i].lpData = nullptr;
    alphabet[i].wReservedSize = 0;
  }
}

int makePulses(MessageSink& window, int16_t amplitude, uint16_t count, uint16_t length, PulseHeader* alphabet,
               RandomSeeds& seeds) {
  // Shapes take signed 16-bit lengths; a longer etalon cannot be built.
  if (length > 32767u) {
    window.messageBox("Не могу выделить память!", "", kMbIconWarning);
    return 0;
  }
  for (uint16_t i = 0; i < count; ++i) {
    PulseHeader& p = alphabet[i];
    if (p.lpData != nullptr && p.wReservedSize < length) {
      if (i == 0) window.messageBox("Предварительное освобождение памяти!", "Отладка", kMbIconWarning);
      delete[] p.lpData;
      p.lpData = nullptr;
    }
    if (p.lpData == nullptr) {
      p.lpData = new (std::nothrow) int16_t[length == 0 ? 1 : length];
      if (p.lpData == nullptr) {
        window.messageBox("Не могу выделить память!", "", kMbIconWarning);
        freePulses(alphabet, i);
        return 0;
      }
      p.wReservedSize = length;
    }
    p.wSize = length;
    p.wNumber = static_cast<uint16_t>(i + 1);
  }

  const int32_t a = amplitude;
  const int16_t n = static_cast<int16_t>(length);
  for (uint16_t j = 0; j < count; ++j) {
    int16_t* out = alphabet[j].lpData;
    const int16_t* previous = j > 0 ? alphabet[j - 1].lpData : nullptr;
    switch (j + 1) {
      case 1:
        for (int32_t i = 0; i < n; ++i) out[i] = static_cast<int16_t>(constantPulseLevel);
        break;
      case 3:
        makeHalfSinePulse(static_cast<int16_t>(2 * a / 3 - 1), n, out);
        break;
      case 5:
        makeSinePulse(static_cast<int16_t>(constantPulseLevel * 1414 / 1000), n, out);
        break;
      case 7:
        makeDampedSinePulse(static_cast<int16_t>(6 * a / 5 + 2), static_cast<int16_t>((2 * n + 4) / 8), 4, n,
                            out);
        break;
      case 9:
        makeEnvelopePulse(static_cast<int16_t>((7 * a + 4) / 8 + 6),
                          static_cast<int16_t>((2 * n + 4) / 8 - 1), 4, n, out);
        break;
      case 2:
      case 4:
      case 6:
      case 8:
      case 10:
        makeMirrorPulse(n, previous, n, out);
        break;
      default: {
        const int16_t sigma = static_cast<int16_t>(a / 2);
        for (int32_t i = 0; i < n; ++i) {
          int32_t e = gaussRandom(seeds.seedNoisePulses, 0, sigma);
          if (e > a - 1) e = a - 1;
          if (e < -a) e = -a;
          out[i] = static_cast<int16_t>(e);
        }
        break;
      }
    }
  }
  return 1;
}

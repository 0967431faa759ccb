#include "signal/series_maker.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "signal/memory_failure.h"
#include "signal/pulse_bounds.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"
#include "signal/random_source.h"
#include "signal/series_header.h"

namespace {

std::string formatLine(const char* format, int64_t a, int64_t b) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, format, static_cast<int>(a), static_cast<int>(b));
  return buffer;
}

// The "incompatible parameters" text: the requested values with the header's in brackets.
// Refusals beyond the pulse count also list the distances.
std::string incompatibleText(const SeriesHeader* header, uint32_t n, uint16_t l, uint16_t wMin, uint16_t wMax,
                             uint16_t q, uint16_t tmin, uint16_t tmax, bool withDistances) {
  const SeriesHeader h = header != nullptr ? *header : SeriesHeader{};
  std::string text = "Несовместимые входные параметры!\n\n";
  text +=
      formatLine("dwSeriesSize: %d [%d]\n", static_cast<int32_t>(n), static_cast<int32_t>(h.dwSeriesSize));
  text += formatLine("wImpulseSize: %d [%d]\n", l, h.wImpulseSize);
  text += formatLine("wMinPulses: %d [%d]\n", wMin, h.wMinPulses);
  text += formatLine("wMaxPulses: %d [%d]\n", wMax, h.wMaxPulses);
  text += formatLine("wImpulseQuantity: %d\n", q, 0);
  if (withDistances) {
    text += formatLine("wTmin: %d [%d]\n", tmin, h.wTmin);
    text += formatLine("wTmax: %d [%d]\n", tmax, h.wTmax);
  }
  text += "\n";
  return text;
}

// Whether every pulse can be placed whatever the draws: the distances are ordered, the
// header holds the series, and every pulse's admissible range is non-empty and lies
// where 16-bit positions reach. Given these, every placement window is non-empty.
bool placementPossible(const SeriesHeader& h, uint16_t etalonsQuantity, uint32_t n, uint16_t l, uint16_t tmin,
                       uint16_t tmax, uint16_t q) {
  if (etalonsQuantity == 0 || l == 0 || tmin == 0 || tmin > tmax) return false;
  if (h.dwReservedSize < n || h.wPulsesCapacity < q || h.wReservedEtalons < etalonsQuantity) return false;
  if (h.lpPureData == nullptr || h.lpPulsesList == nullptr) return false;
  for (int64_t k = 0; k < q; ++k) {
    const int64_t lo = pulseLowBound(k, n, tmin, tmax, q);
    const int64_t hi = pulseHighBound(k, n, l, tmin, tmax, q);
    if (lo > hi || lo < 0 || hi > 32767) return false;
  }
  return true;
}

// Sample i of an etalon; samples the record does not hold count as 0.
int32_t etalonSample(const PulseHeader* pulse, int32_t i) {
  if (pulse == nullptr || pulse->lpData == nullptr || i >= pulse->wSize) return 0;
  return pulse->lpData[i];
}

// Writes the subset into the sequence from position p on, while entries and room remain.
void copySubset(const int16_t* subset, int32_t from, int32_t k, int32_t& p, int32_t q, uint16_t* sequence) {
  for (int32_t j = from; j < k && p < q; ++j) sequence[p++] = static_cast<uint16_t>(subset[j]);
}

void imposeSubset(const SeriesHeader& h, uint16_t q, uint16_t* sequence, RandomSeeds& seeds) {
  const int32_t k = std::min(h.wSubsetSize, h.wPulsesCapacity);
  if (k == 0 || h.lpSubset == nullptr) return;
  // Position 0 would point before the sequence; it is taken as the first position.
  int32_t p = h.wSubsetPosition > 0 ? h.wSubsetPosition - 1 : 0;
  const int32_t qq = q;
  const int32_t range = qq - p - k + 1;
  switch (h.wSubsetMode) {
    case kSubsetSingleRandom:
      if (range > 0) p += (uniformRandom(seeds.seedSubsetSingle) >> 1) % range;
      copySubset(h.lpSubset, 0, k, p, qq, sequence);
      break;
    case kSubsetSingleFixed:
      copySubset(h.lpSubset, 0, k, p, qq, sequence);
      break;
    case kSubsetMultipleRandom:
      do {
        if (range > 0) p += (uniformRandom(seeds.seedSubsetMultiple) >> 1) % range;
        copySubset(h.lpSubset, 0, k, p, qq, sequence);
      } while (p < qq);
      break;
    case kSubsetComplete:
      while (p < qq) copySubset(h.lpSubset, 0, k, p, qq, sequence);
      break;
    case kSubsetShiftedComplete: {
      const int32_t phase = (uniformRandom(seeds.seedSubsetSingle) >> 1) % k;
      copySubset(h.lpSubset, phase, k, p, qq, sequence);
      while (p < qq) copySubset(h.lpSubset, 0, k, p, qq, sequence);
      break;
    }
    default:
      break;
  }
}

// The first and last kept samples of a placed pulse.
struct KeptPart {
  int32_t first;
  int32_t last;
};

// The kept part [first, last] of an etalon of l samples cut to the saved energy level: the
// first kept sample drawn from seedCutBegin, the last from seedCutEnd. e is scratch for the
// l + 1 running energies.
KeptPart drawKeptPart(const PulseHeader* pulse, int32_t l, uint16_t savedLevel, std::vector<int64_t>& e,
                      RandomSeeds& seeds) {
  e[0] = 0;
  for (int32_t i = 0; i < l; ++i) {
    const int64_t s = etalonSample(pulse, i);
    e[i + 1] = e[i] + s * s;
  }
  const int64_t total = e[l];
  const int64_t threshold = (static_cast<int64_t>(savedLevel) * total) / 100;
  int32_t latestStart = l - 1;
  for (int32_t i = 0; i < l; ++i) {
    if (total - e[i + 1] <= threshold) {
      latestStart = i;
      break;
    }
  }
  const int32_t first = uniformRandom(seeds.seedCutBegin) % (latestStart + 1);
  int32_t m = l - 1;
  while (m > first && e[m] - e[first] > threshold) --m;
  const int32_t last = m + uniformRandom(seeds.seedCutEnd) % (l - m);
  return KeptPart{first, last};
}

}  // namespace

void prepareEtalonSequence(const SeriesHeader& header, uint16_t etalonsQuantity, uint16_t pulseCount,
                           uint16_t* etalonSequence, RandomSeeds& seeds) {
  imposeSubset(header, pulseCount, etalonSequence, seeds);
  for (uint16_t k = 0; k < pulseCount; ++k) {
    const int16_t e = static_cast<int16_t>(etalonSequence[k]);
    if (e < 1 || e > etalonsQuantity) etalonSequence[k] = 1;
  }
}

void skipSeriesDraws(uint16_t pulseCount, RandomSeeds& seeds) {
  // Must follow the draws of makeExtSeries below: the anchor, then per pulse its origin and cuts.
  seeds.seedPositions = uniformRandomJump(seeds.seedPositions, uint64_t{pulseCount} + 1);
  seeds.seedCutBegin = uniformRandomJump(seeds.seedCutBegin, pulseCount);
  seeds.seedCutEnd = uniformRandomJump(seeds.seedCutEnd, pulseCount);
}

int makeExtSeries(MessageSink& window, uint16_t etalonsQuantity, PulseHeader* alphabet, uint16_t impulseSize,
                  uint16_t tmin, uint16_t tmax, uint32_t seriesSize, uint16_t pulseCount,
                  uint16_t* etalonSequence, int16_t amplitude, uint16_t savedLevel, SeriesHeader* header,
                  RandomSeeds& seeds) {
  if (header == nullptr || alphabet == nullptr || etalonSequence == nullptr) return 0;
  SeriesHeader& h = *header;
  const uint16_t wMin = seriesMinPulses(seriesSize, impulseSize, tmax);
  const uint16_t wMax = maxPulsesFor(seriesSize, impulseSize, tmin);
  const uint16_t q = pulseCount;
  const int32_t l = impulseSize;
  if (q < wMin || q > wMax) {
    window.messageBox(incompatibleText(&h, seriesSize, impulseSize, wMin, wMax, q, tmin, tmax, false),
                      " makeExtSeries ", kMbIconWarning);
    return 0;
  }
  if (!placementPossible(h, etalonsQuantity, seriesSize, impulseSize, tmin, tmax, q)) {
    window.messageBox(incompatibleText(&h, seriesSize, impulseSize, wMin, wMax, q, tmin, tmax, true),
                      " makeExtSeries ", kMbIconWarning);
    return 0;
  }

  h.dwSeriesSize = seriesSize;
  h.wMaxPulses = wMax;
  h.wMinPulses = wMin;
  h.wNoiseLevel = 0;
  h.wAmplitude = amplitude;
  h.wFirstKeptDefault = 0;
  h.wLastKeptDefault = static_cast<int16_t>(l - 1);

  prepareEtalonSequence(h, etalonsQuantity, q, etalonSequence, seeds);

  for (uint16_t k = 0; k < q; ++k) {
    h.lpEtalonNumbers[k] = static_cast<int16_t>(etalonSequence[k]);
    h.lpRestoredEtalons[k] = 0;
    h.lpRestoredCutBegin[k] = 0;
    h.lpRestoredCutEnd[k] = 0;
    h.lpCutBegin[k] = 0;
    h.lpCutEnd[k] = static_cast<int16_t>(l - 1);
  }

  h.wEtalonsQuantity = etalonsQuantity;
  for (uint16_t i = 0; i < etalonsQuantity; ++i) h.lpPulsesList[i] = &alphabet[i];
  std::fill(h.lpPureData, h.lpPureData + seriesSize, int16_t{0});

  // Partial energies of the etalon being placed. Sums of squares are carried in 64 bits:
  // for the alphabet's amplitudes they equal the 32-bit sums, and no etalon can overflow them.
  std::vector<int64_t> partialEnergy;
  if (!allocatedOrSaid(window, "Нет памяти для PartialEnergy!", "", kMbOk,
                       [&] { partialEnergy.resize(static_cast<size_t>(l) + 1); }))
    return 0;

  const int64_t n = seriesSize;
  const int32_t k0 = (uniformRandom(seeds.seedPositions) >> 2) % q;
  auto place = [&](int32_t k) {
    const PulseHeader* pulse = h.lpPulsesList[etalonSequence[k] - 1];
    const int32_t lo = static_cast<int32_t>(pulseLowBound(k, n, tmin, tmax, q));
    const int32_t hi = static_cast<int32_t>(pulseHighBound(k, n, l, tmin, tmax, q));
    h.lpLowBounds[k] = static_cast<int16_t>(lo);
    h.lpHighBounds[k] = static_cast<int16_t>(hi);
    int32_t from = lo;
    int32_t to = hi;
    if (k > k0) {
      const int32_t p = h.lpPositions[k - 1];
      from = std::max(lo, p + tmin);
      to = std::min(hi, p + tmax);
    } else if (k < k0) {
      const int32_t p = h.lpPositions[k + 1];
      from = std::max(lo, p - tmax);
      to = std::min(hi, p - tmin);
    }
    const int32_t origin = from + (uniformRandom(seeds.seedPositions) >> 2) % (to - from + 1);

    const auto [first, last] = drawKeptPart(pulse, l, savedLevel, partialEnergy, seeds);

    for (int32_t i = first; i <= last; ++i)
      h.lpPureData[origin + i] = static_cast<int16_t>(etalonSample(pulse, i));
    h.lpPositions[k] = static_cast<int16_t>(origin);
    h.lpRestoredPositions[k] = -1;
    h.lpCutBegin[k] = static_cast<int16_t>(first);
    h.lpCutEnd[k] = static_cast<int16_t>(last);
  };
  for (int32_t k = k0; k < q; ++k) place(k);
  for (int32_t k = k0 - 1; k >= 0; --k) place(k);

  h.wTmin = tmin;
  h.wTmax = tmax;
  h.wImpulseSize = impulseSize;
  h.wImpulseQuantity = q;
  std::copy(h.lpPureData, h.lpPureData + seriesSize, h.lpNoisyData);
  h.lpFirstPulse = h.lpPulsesList[etalonSequence[0] - 1];
  return 1;
}

int setGivenSeries(MessageSink& window, const int16_t* samples, uint32_t seriesSize, uint16_t etalonsQuantity,
                   PulseHeader* alphabet, uint16_t impulseSize, uint16_t tmin, uint16_t tmax,
                   uint16_t pulseCount, SeriesHeader* header) {
  if (header == nullptr || alphabet == nullptr || (samples == nullptr && seriesSize > 0)) return 0;
  SeriesHeader& h = *header;
  const uint16_t wMin = seriesMinPulses(seriesSize, impulseSize, tmax);
  const uint16_t wMax = maxPulsesFor(seriesSize, impulseSize, tmin);
  const uint16_t q = pulseCount;
  // An unknown number is checked as the fewest admissible pulses: the ranges then only need
  // room for the header's tables.
  const uint16_t checked = q == 0 ? wMin : q;
  if (wMax < wMin || checked < wMin || checked > wMax) {
    window.messageBox(incompatibleText(&h, seriesSize, impulseSize, wMin, wMax, q, tmin, tmax, false),
                      " makeExtSeries ", kMbIconWarning);
    return 0;
  }
  if (!placementPossible(h, etalonsQuantity, seriesSize, impulseSize, tmin, tmax, checked) ||
      h.wPulsesCapacity < wMax) {
    window.messageBox(incompatibleText(&h, seriesSize, impulseSize, wMin, wMax, q, tmin, tmax, true),
                      " makeExtSeries ", kMbIconWarning);
    return 0;
  }
  h.dwSeriesSize = seriesSize;
  h.wTmin = tmin;
  h.wTmax = tmax;
  h.wImpulseSize = impulseSize;
  h.wImpulseQuantity = q;
  h.wMaxPulses = wMax;
  h.wMinPulses = wMin;
  h.wNoiseLevel = 0;
  h.wFirstKeptDefault = 0;
  h.wLastKeptDefault = static_cast<int16_t>(impulseSize - 1);
  h.wRestoredQuantity = 0;
  h.wRestoredTuples = 0;
  h.wRecognizedSubset = 0;
  for (uint16_t k = 0; k < h.wPulsesCapacity; ++k) {
    const bool counted = k < q;
    h.lpPositions[k] = -1;
    h.lpRestoredPositions[k] = -1;
    h.lpEtalonNumbers[k] = 0;
    h.lpRestoredEtalons[k] = 0;
    h.lpLowBounds[k] =
        counted ? static_cast<int16_t>(pulseLowBound(k, seriesSize, tmin, tmax, q)) : int16_t{0};
    h.lpHighBounds[k] = counted
                            ? static_cast<int16_t>(pulseHighBound(k, seriesSize, impulseSize, tmin, tmax, q))
                            : int16_t{0};
    h.lpCutBegin[k] = 0;
    h.lpCutEnd[k] = static_cast<int16_t>(impulseSize - 1);
    h.lpRestoredCutBegin[k] = 0;
    h.lpRestoredCutEnd[k] = 0;
  }
  h.wEtalonsQuantity = etalonsQuantity;
  for (uint16_t i = 0; i < etalonsQuantity; ++i) h.lpPulsesList[i] = &alphabet[i];
  h.lpFirstPulse = &alphabet[0];
  std::copy(samples, samples + seriesSize, h.lpPureData);
  std::copy(samples, samples + seriesSize, h.lpNoisyData);
  return 1;
}

SeriesHeader* getCutOffSeries(MessageSink& window, uint16_t etalonsQuantity, PulseHeader* alphabet,
                              uint16_t impulseSize, uint16_t tmin, uint16_t tmax, uint32_t seriesSize,
                              uint16_t pulseCount, uint16_t* etalonSequence, int16_t amplitude,
                              uint16_t savedLevel, SeriesHeader* header, RandomSeeds& seeds) {
  header = getCutOffSeriesHeader(window, etalonsQuantity, impulseSize, tmin, tmax, seriesSize, header);
  if (header == nullptr) {
    window.messageBox("Не могу выделить память для lpSeriesHeader!", " getCutOffSeries ", kMbIconWarning);
    return nullptr;
  }
  makeExtSeries(window, etalonsQuantity, alphabet, impulseSize, tmin, tmax, seriesSize, pulseCount,
                etalonSequence, amplitude, savedLevel, header, seeds);
  return header;
}

SeriesHeader* getRandomCountSeries(MessageSink& window, uint16_t etalonsQuantity, PulseHeader* alphabet,
                                   uint16_t impulseSize, uint16_t tmin, uint16_t tmax, uint32_t seriesSize,
                                   uint16_t* etalonSequence, int16_t amplitude, uint16_t savedLevel,
                                   SeriesHeader* header, RandomSeeds& seeds) {
  const uint16_t wMin = seriesMinPulses(seriesSize, impulseSize, tmax);
  const uint16_t wMax = maxPulsesFor(seriesSize, impulseSize, tmin);
  if (wMax < wMin) {
    // No count is admissible. The caller replaces its pointer with the result, so the
    // header it gave is released rather than lost.
    window.messageBox(incompatibleText(header, seriesSize, impulseSize, wMin, wMax, 0, tmin, tmax, true),
                      " getRandomCountSeries ", kMbIconWarning);
    freeSeriesHeader(window, header);
    return nullptr;
  }
  const uint32_t span = static_cast<uint32_t>(wMax) - wMin + 1u;
  const uint16_t q = static_cast<uint16_t>(wMin + (uniformRandom(seeds.seedPulseCount) >> 2) % span);
  return getCutOffSeries(window, etalonsQuantity, alphabet, impulseSize, tmin, tmax, seriesSize, q,
                         etalonSequence, amplitude, savedLevel, header, seeds);
}

void addNoise(MessageSink& /*window*/, int16_t noiseLevel, int16_t /*amplitude*/, SeriesHeader* header,
              uint16_t& seed) {
  if (header == nullptr || header->lpPureData == nullptr) return;
  for (uint32_t i = 0; i < header->dwSeriesSize; ++i) {
    const int32_t v = header->lpPureData[i] + gaussRandom(seed, 0, noiseLevel);
    header->lpNoisyData[i] = static_cast<int16_t>(v);
  }
  header->wNoiseLevel = noiseLevel;
}

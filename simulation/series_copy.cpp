#include "simulation/series_copy.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "signal/selected_subsets.h"
#include "signal/series_header.h"

static void copyTable(const int16_t* from, int16_t* to, size_t count) {
  if (count != 0 && from != nullptr && to != nullptr) std::memcpy(to, from, count * sizeof(int16_t));
}

bool copySeriesContents(const SeriesHeader& s, SeriesHeader& t) {
  if (t.dwReservedSize < s.dwSeriesSize || t.wReservedEtalons < s.wEtalonsQuantity) return false;
  if (s.wEtalonsQuantity != 0 && (t.lpPulsesList == nullptr || s.lpPulsesList == nullptr)) return false;
  t.dwSeriesSize = s.dwSeriesSize;
  t.wTmin = s.wTmin;
  t.wTmax = s.wTmax;
  t.wImpulseSize = s.wImpulseSize;
  t.wImpulseQuantity = s.wImpulseQuantity;
  t.wMaxPulses = s.wMaxPulses;
  t.wMinPulses = s.wMinPulses;
  t.wNoiseLevel = s.wNoiseLevel;
  t.wAmplitude = s.wAmplitude;
  t.lpFirstPulse = s.lpFirstPulse;
  t.wEtalonsQuantity = s.wEtalonsQuantity;
  for (uint16_t i = 0; i < s.wEtalonsQuantity; ++i) t.lpPulsesList[i] = s.lpPulsesList[i];
  t.wRestoredQuantity = s.wRestoredQuantity;
  t.wFirstKeptDefault = s.wFirstKeptDefault;
  t.wLastKeptDefault = s.wLastKeptDefault;
  t.wSubsetSize = std::min(s.wSubsetSize, t.wPulsesCapacity);
  t.wSubsetMode = s.wSubsetMode;
  t.wSubsetPosition = s.wSubsetPosition;
  t.wRestoredTuples = s.wRestoredTuples;
  t.wRecognizedSubset = s.wRecognizedSubset;

  copyTable(s.lpPureData, t.lpPureData, s.dwSeriesSize);
  copyTable(s.lpNoisyData, t.lpNoisyData, s.dwSeriesSize);
  const size_t entries = std::min(s.wPulsesCapacity, t.wPulsesCapacity);
  copyTable(s.lpPositions, t.lpPositions, entries);
  copyTable(s.lpRestoredPositions, t.lpRestoredPositions, entries);
  copyTable(s.lpLowBounds, t.lpLowBounds, entries);
  copyTable(s.lpHighBounds, t.lpHighBounds, entries);
  copyTable(s.lpEtalonNumbers, t.lpEtalonNumbers, entries);
  copyTable(s.lpRestoredEtalons, t.lpRestoredEtalons, entries);
  copyTable(s.lpCutBegin, t.lpCutBegin, entries);
  copyTable(s.lpCutEnd, t.lpCutEnd, entries);
  copyTable(s.lpRestoredCutBegin, t.lpRestoredCutBegin, entries);
  copyTable(s.lpRestoredCutEnd, t.lpRestoredCutEnd, entries);
  copyTable(s.lpSubset, t.lpSubset, entries);
  copyTable(s.lpRestoredTupleFirst, t.lpRestoredTupleFirst, entries);
  copyTable(s.lpRestoredTupleLast, t.lpRestoredTupleLast, entries);
  return true;
}

SeriesHeader* duplicateSeries(MessageSink& window, const SeriesHeader& s) {
  SeriesHeader* t = getCutOffSeriesHeader(window, s.wEtalonsQuantity, s.wImpulseSize, s.wTmin, s.wTmax,
                                          s.dwSeriesSize, nullptr);
  if (t == nullptr) return nullptr;
  bool stored = true;
  if (s.wSelectedSubsets > 0 && s.selectedSubsetList != nullptr && s.selectedSubsetSize != nullptr) {
    std::vector<std::vector<int32_t>> rows(s.wSelectedSubsets);
    std::vector<int32_t> sizes(s.wSelectedSubsets);
    std::vector<const int32_t*> rowStarts(s.wSelectedSubsets);
    int32_t longest = 1;
    for (uint16_t i = 0; i < s.wSelectedSubsets; ++i) {
      const int32_t size = std::max<int32_t>(s.selectedSubsetSize[i], 0);
      rows[i].assign(s.selectedSubsetList[i], s.selectedSubsetList[i] + size);
      sizes[i] = size;
      rowStarts[i] = rows[i].data();
      longest = std::max(longest, size);
    }
    const auto count = static_cast<int32_t>(s.wSelectedSubsets);
    stored = addSomeSelectedSubsetToSeriesHeader(window, sizes.data(), rowStarts.data(), count, count,
                                                 longest, 1, s.wSubsetMode, s.wSubsetPosition, t) == 1;
  }
  if (!stored || !copySeriesContents(s, *t)) {
    freeSeriesHeader(window, t);
    return nullptr;
  }
  return t;
}

#include "simulation/series_copy.h"

#include <algorithm>
#include <cstring>

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

#include "signal/series_header.h"

#include <new>
#include <vector>

#include "platform/message_sink.h"
#include "signal/memory_failure.h"
#include "signal/pulse_bounds.h"

namespace {

constexpr uint32_t kPerPulseTables = 13;

// Points the fields of the header into a block of 2 * seriesCapacity + 13 * pulses samples.
void layOutBlock(SeriesHeader& h, int16_t* block, uint32_t seriesCapacity, uint16_t pulses) {
  h.lpPureData = block;
  h.lpNoisyData = block + seriesCapacity;
  int16_t* t = block + 2 * static_cast<uint64_t>(seriesCapacity);
  int16_t** tables[kPerPulseTables] = {&h.lpEtalonNumbers,     &h.lpRestoredEtalons, &h.lpPositions,
                                       &h.lpRestoredPositions, &h.lpLowBounds,       &h.lpHighBounds,
                                       &h.lpCutBegin,          &h.lpCutEnd,          &h.lpRestoredCutBegin,
                                       &h.lpRestoredCutEnd,    &h.lpSubset,          &h.lpRestoredTupleFirst,
                                       &h.lpRestoredTupleLast};
  for (int16_t** table : tables) {
    *table = t;
    t += pulses;
  }
}

void releaseBlock(SeriesHeader& h) {
  delete[] h.lpPureData;
  layOutBlock(h, nullptr, 0, 0);
  h.dwReservedSize = 0;
  h.wPulsesCapacity = 0;
}

}  // namespace

SeriesHeader* getCutOffSeriesHeader(MessageSink& window, uint16_t etalonsQuantity, uint16_t impulseSize,
                                    uint16_t tmin, uint16_t tmax, uint32_t seriesSize, SeriesHeader* header) {
  const uint16_t wMin = seriesMinPulses(seriesSize, impulseSize, tmax);
  const uint16_t wMax = maxPulsesFor(seriesSize, impulseSize, tmin);

  if (header == nullptr) {
    header = new (std::nothrow) SeriesHeader{};
    if (header == nullptr) {
      window.messageBox("Нет памяти для newSeriesHeader!", " getCutOffSeriesHeader ", kMbOk);
      return nullptr;
    }
  }

  if (header->dwReservedSize < seriesSize || header->wPulsesCapacity < wMax) {
    // The current subset moves into the new block when it still fits there.
    std::vector<int16_t> keptSubset;
    const bool keep = header->wSubsetSize != 0 && header->wSubsetSize <= wMax && header->lpSubset != nullptr;
    const uint64_t samples = 2 * static_cast<uint64_t>(seriesSize) + kPerPulseTables * uint64_t{wMax};
    int16_t* block = nullptr;
    if (samples <= kMaxSeriesBlockSamples) {
      allocated([&] {
        if (keep) keptSubset.assign(header->lpSubset, header->lpSubset + header->wSubsetSize);
        block = new int16_t[samples == 0 ? 1 : samples]();
      });
    }
    if (block == nullptr) {
      freeSeriesHeader(window, header);
      window.messageBox("Нет памяти для newSeriesHeader->lpPureData!", " getExtSeriesHeader ", kMbOk);
      return nullptr;
    }
    releaseBlock(*header);
    layOutBlock(*header, block, seriesSize, wMax);
    header->dwReservedSize = seriesSize;
    header->wPulsesCapacity = wMax;
    if (keep) {
      for (uint16_t j = 0; j < keptSubset.size(); ++j) header->lpSubset[j] = keptSubset[j];
    } else {
      // A subset longer than the new tables cannot be held: it is dropped.
      header->wSubsetSize = 0;
    }
  }

  if (header->wReservedEtalons < etalonsQuantity) {
    delete[] header->lpPulsesList;
    header->lpPulsesList = new (std::nothrow) PulseHeader*[etalonsQuantity];
    header->wReservedEtalons = header->lpPulsesList == nullptr ? uint16_t{0} : etalonsQuantity;
    if (header->lpPulsesList == nullptr) {
      freeSeriesHeader(window, header);
      window.messageBox("Нет памяти для newSeriesHeader->lpPulsesList!", " getExtSeriesHeader ", kMbOk);
      return nullptr;
    }
  }

  header->wEtalonsQuantity = etalonsQuantity;
  header->dwSeriesSize = seriesSize;
  header->wMaxPulses = wMax;
  header->wMinPulses = wMin;
  header->wTmin = tmin;
  header->wTmax = tmax;
  for (uint16_t i = 0; i < header->wReservedEtalons; ++i) header->lpPulsesList[i] = nullptr;
  return header;
}

int freeSeriesHeader(MessageSink& /*window*/, SeriesHeader* header) {
  if (header == nullptr) return 1;
  delete[] header->lpPulsesList;
  delete[] header->lpPureData;
  delete[] header->selectedSubsetSize;
  delete[] header->selectedSubsetList;
  delete header;
  return 1;
}

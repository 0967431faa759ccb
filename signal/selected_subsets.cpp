#include "signal/selected_subsets.h"

#include <algorithm>
#include <new>

#include "platform/message_sink.h"
#include "signal/series_header.h"

namespace {

// Largest selected-subset block (values) that is ever allocated.
constexpr int64_t kMaxSubsetBlockValues = int64_t{1} << 24;

void copyCurrentSubset(const int32_t* entries, int32_t count, uint16_t mode, uint16_t position,
                       SeriesHeader& h) {
  // lpSubset holds wPulsesCapacity entries; the subset is cut to wMaxPulses of them.
  const int32_t limit = std::min<int32_t>(h.wMaxPulses, h.lpSubset == nullptr ? 0 : h.wPulsesCapacity);
  int32_t copied = 0;
  for (; copied < count && copied < limit; ++copied)
    h.lpSubset[copied] = static_cast<int16_t>(entries[copied]);
  h.wSubsetSize = static_cast<uint16_t>(copied);
  h.wSubsetMode = mode;
  h.wSubsetPosition = position;
}

void releaseSelectedSubsets(SeriesHeader& h) {
  delete[] h.selectedSubsetSize;
  delete[] h.selectedSubsetList;
  h.selectedSubsetSize = nullptr;
  h.selectedSubsetList = nullptr;
  // Without storage no subset is stored: readers must not walk rows that are gone.
  h.wSelectedSubsets = 0;
  h.wReservedSubsets = 0;
  h.wReservedSubsetItems = 0;
}

}  // namespace

int setSubset(MessageSink& /*window*/, const int32_t* entries, int32_t count, uint16_t mode,
              uint16_t position, SeriesHeader* header) {
  if (header == nullptr) return 1;
  copyCurrentSubset(entries, entries == nullptr ? 0 : count, mode, position, *header);
  return 1;
}

int addSomeSelectedSubsetToSeriesHeader(MessageSink& window, const int32_t* sizes, const int32_t* const* rows,
                                        int32_t count, int32_t reservedRows, int32_t reservedItems,
                                        int32_t chosen, uint16_t mode, uint16_t position,
                                        SeriesHeader* header) {
  if (count <= 0) return 0;
  if (header == nullptr) return 1;
  // Subsets that do not fit the reserved rows are refused before anything changes.
  if (sizes == nullptr || rows == nullptr || count > reservedRows || reservedItems < 0 ||
      reservedRows > 0xFFFF || reservedItems > 0xFFFF)
    return 0;
  for (int32_t i = 0; i < count; ++i) {
    if (sizes[i] < 0 || sizes[i] > reservedItems || (sizes[i] > 0 && rows[i] == nullptr)) return 0;
  }

  SeriesHeader& h = *header;
  if (h.wReservedSubsets < reservedRows || h.wReservedSubsetItems < reservedItems) releaseSelectedSubsets(h);

  const char* caption = " addSomeSelectedSubsetToSeriesHeader ";
  if (h.selectedSubsetSize == nullptr) {
    const int64_t values = static_cast<int64_t>(reservedRows) * (reservedItems + 1);
    if (values <= kMaxSubsetBlockValues) h.selectedSubsetSize = new (std::nothrow) int16_t[values]();
    if (h.selectedSubsetSize == nullptr) {
      releaseSelectedSubsets(h);
      window.messageBox("Нет памяти для lpSeriesHeader->selectedSubsetSize!", caption, kMbOk);
      return 0;
    }
  }
  if (h.selectedSubsetList == nullptr) {
    h.selectedSubsetList = new (std::nothrow) int16_t*[reservedRows];
    if (h.selectedSubsetList == nullptr) {
      releaseSelectedSubsets(h);
      window.messageBox("Нет памяти для lpSeriesHeader->selectedSubsetList!", caption, kMbOk);
      return 0;
    }
    int16_t* row0 = h.selectedSubsetSize + reservedRows;
    for (int32_t i = 0; i < reservedRows; ++i)
      h.selectedSubsetList[i] = row0 + static_cast<int64_t>(i) * reservedItems;
    h.wReservedSubsets = static_cast<uint16_t>(reservedRows);
    h.wReservedSubsetItems = static_cast<uint16_t>(reservedItems);
  }

  h.wSelectedSubsets = static_cast<uint16_t>(count);
  for (int32_t i = 0; i < count; ++i) {
    h.selectedSubsetSize[i] = static_cast<int16_t>(sizes[i]);
    for (int32_t j = 0; j < sizes[i]; ++j) h.selectedSubsetList[i][j] = static_cast<int16_t>(rows[i][j]);
  }

  int32_t idx = chosen - 1;
  if (idx < 0 || idx >= count) idx = count - 1;
  copyCurrentSubset(rows[idx], sizes[idx], mode, position, h);
  return 1;
}

#include "processing/chains_header.h"

#include <cstdio>
#include <new>
#include <stdexcept>

#include "platform/message_sink.h"
#include "processing/run_description.h"
#include "signal/memory_failure.h"
#include "signal/task_codes.h"

namespace {

// Largest storage block (chains x pulses x 4 values) a header may ask for; larger requests
// are treated as an allocation failure.
constexpr uint64_t kMaxChainValues = uint64_t{1} << 27;

constexpr const char* kCaption = " getChainsHeader ";

template <typename T>
T* allocateArray(uint64_t count) {
  if (count > kMaxChainValues) return nullptr;
  T* array = nullptr;
  allocated([&] { array = new T[static_cast<size_t>(count)]; });
  return array;
}

void releaseRows(ChainsHeader& h) {
  if (h.pulsesList != nullptr) {
    delete[] h.pulsesList[0];
    delete[] h.pulsesList;
  }
  h.pulsesList = nullptr;
  h.positionsList = nullptr;
  h.cutOffBeginList = nullptr;
  h.cutOffEndList = nullptr;
}

void releaseDistance(ChainsHeader& h) {
  delete[] h.distance;
  h.distance = nullptr;
  h.chainLength = nullptr;
}

// Copies one chain slot to another over `count` entries of each of the four rows.
void moveSlot(ChainsHeader& h, int from, int to, int count) {
  h.distance[to] = h.distance[from];
  h.chainLength[to] = h.chainLength[from];
  int16_t** rows[4] = {h.pulsesList, h.positionsList, h.cutOffBeginList, h.cutOffEndList};
  for (int16_t** r : rows)
    for (int j = 0; j < count; ++j) r[to][j] = r[from][j];
}

}  // namespace

ChainsHeader* getChainsHeader(MessageSink& window, uint16_t maxChains, uint16_t maxPulses,
                              ChainsHeader* header) {
  if (header == nullptr) {
    if (!allocatedOrSaid(window, "Нет памяти для newChainsHeader!", kCaption, kMbOk,
                         [&] { header = new ChainsHeader(); }))
      return nullptr;
  }
  const uint16_t s = maxChains;
  const uint16_t m = maxPulses;
  if (s > header->wMaxSize || m > header->wMaxPulses) {
    releaseDistance(*header);
    header->distance = allocateArray<int32_t>(2ull * s);
    if (header->distance == nullptr) {
      window.messageBox("Нет памяти для newChainsHeader->distance!", kCaption, kMbOk);
      releaseRows(*header);
      delete header;
      return nullptr;
    }
    header->chainLength = header->distance + s;
    releaseRows(*header);
    // The row table has at least one entry, so that pulsesList[0] always holds the block.
    header->pulsesList = allocateArray<int16_t*>(s == 0 ? 1ull : 4ull * s);
    if (header->pulsesList == nullptr) {
      window.messageBox("Нет памяти для newChainsHeader->pulsesList!", kCaption, kMbOk);
      releaseDistance(*header);
      delete header;
      return nullptr;
    }
    int16_t* block = allocateArray<int16_t>(4ull * s * m);
    if (block == nullptr) {
      window.messageBox("Нет памяти для newChainsHeader->pulsesList[0]!", kCaption, kMbOk);
      delete[] header->pulsesList;
      header->pulsesList = nullptr;
      releaseDistance(*header);
      delete header;
      return nullptr;
    }
    header->pulsesList[0] = block;
    for (uint32_t r = 0; r < 4u * s; ++r) header->pulsesList[r] = block + static_cast<size_t>(r) * m;
    header->positionsList = header->pulsesList + s;
    header->cutOffBeginList = header->pulsesList + 2 * s;
    header->cutOffEndList = header->pulsesList + 3 * s;
    header->wMaxSize = s;
    header->wMaxPulses = m;
  }
  header->wPretenders = 0;
  header->wQuanPulses = 0;
  header->wSeekingPulsesQuantity = 0;
  // Zero the first 2 x S and 4 x S x M values of the blocks, laid out for the current
  // capacities (the same values as the block's start when it was just built).
  if (header->distance != nullptr)
    for (uint32_t i = 0; i < 2u * s; ++i) header->distance[i] = 0;
  if (header->pulsesList != nullptr) {
    int16_t* block = header->pulsesList[0];
    const uint64_t values = 4ull * s * m;
    for (uint64_t i = 0; i < values; ++i) block[i] = 0;
  }
  return header;
}

int addToChainsHeader(MessageSink& window, uint16_t seriesType, uint16_t taskType, uint16_t makingEnergyLevel,
                      uint16_t processingEnergyLevel, ChainsHeader* header) {
  if (header == nullptr) {
    window.messageBox("Не определен lpChainsHeader!", " addToChainsHeader ", kMbOk);
    return 0;
  }
  fillRunDescription(*header, seriesType, taskType, chainsTaskText(taskType), makingEnergyLevel,
                     processingEnergyLevel);
  return 1;
}

int freeChainsHeader(MessageSink&, ChainsHeader* header) {
  if (header == nullptr) return 1;
  releaseDistance(*header);
  releaseRows(*header);
  delete header;
  return 1;
}

std::string chainsHeaderText(const ChainsHeader& h) {
  // The text of a 2,500-character buffer: at most 2,499 characters and its terminator.
  constexpr size_t kLimit = 2499;
  std::string text;
  char piece[96];
  auto add = [&text](const char* s) { text += s; };
  add("ChainsHeader:\n");
  std::snprintf(piece, sizeof piece, "wMaxSize: %d\n", h.wMaxSize);
  add(piece);
  std::snprintf(piece, sizeof piece, "wPretenders: %d\n", h.wPretenders);
  add(piece);
  std::snprintf(piece, sizeof piece, "wMaxPulses: %d\n", h.wMaxPulses);
  add(piece);
  std::snprintf(piece, sizeof piece, "wQuanPulses: %d\n", h.wQuanPulses);
  add(piece);
  std::snprintf(piece, sizeof piece, "wSeekingPulsesQuantity: %d\n", h.wSeekingPulsesQuantity);
  add(piece);
  const int kept = h.wPretenders < h.wMaxSize ? h.wPretenders : h.wMaxSize;
  for (int i = 0; i < kept && text.size() < kLimit; ++i) {
    std::snprintf(piece, sizeof piece, " %d.", i + 1);
    add(piece);
    std::snprintf(piece, sizeof piece, " %d", h.distance[i]);
    add(piece);
    int length = h.chainLength[i];
    if (length > h.wMaxPulses) length = h.wMaxPulses;
    for (int j = 0; j < length && text.size() < kLimit; ++j) {
      std::snprintf(piece, sizeof piece, " %d (%d) [%d %d]", h.positionsList[i][j], h.pulsesList[i][j],
                    h.cutOffBeginList[i][j], h.cutOffEndList[i][j]);
      add(piece);
    }
    add("\n");
  }
  if (text.size() > kLimit) text.resize(kLimit);
  return text;
}

int aboutChainsHeader(MessageSink& window, const ChainsHeader* header) {
  if (header == nullptr) return 0;
  return window.messageBox(chainsHeaderText(*header), "aboutChainsHeader Info", kMbOk);
}

int insertChain(ChainsHeader& h, int32_t value, uint16_t count, const int32_t* etalons,
                const int32_t* positions, const int32_t* begins, const int32_t* ends, ChainRowCopy rowCopy) {
  if (count > h.wMaxPulses) return -1;
  int k = 0;
  while (k < h.wPretenders && h.distance[k] <= value) ++k;
  if (k < h.wPretenders) {
    const int last = h.wPretenders < h.wMaxSize ? h.wPretenders : h.wPretenders - 1;
    for (int l = last; l > k; --l) {
      int moved = rowCopy == ChainRowCopy::kNewChainLength ? count : h.chainLength[l - 1];
      // A stale or foreign length never reaches past the rows.
      if (moved < 0) moved = 0;
      if (moved > h.wMaxPulses) moved = h.wMaxPulses;
      moveSlot(h, l - 1, l, moved);
    }
  }
  if (k >= h.wMaxSize) return -1;
  h.distance[k] = value;
  h.chainLength[k] = count;
  for (int j = 0; j < count; ++j) {
    h.pulsesList[k][j] = static_cast<int16_t>(etalons[j]);
    h.positionsList[k][j] = static_cast<int16_t>(positions[j]);
    h.cutOffBeginList[k][j] = static_cast<int16_t>(begins[j]);
    h.cutOffEndList[k][j] = static_cast<int16_t>(ends[j]);
  }
  if (h.wPretenders < h.wMaxSize) ++h.wPretenders;
  return k;
}

bool clearChainsForRun(ChainsHeader& h, uint16_t quanPulses, uint16_t seekingPulses, uint16_t rowEntries) {
  if (rowEntries > h.wMaxPulses) return false;
  h.wPretenders = 0;
  h.wQuanPulses = quanPulses;
  h.wSeekingPulsesQuantity = seekingPulses;
  for (int i = 0; i < h.wMaxSize; ++i) {
    h.distance[i] = 0;
    for (int j = 0; j < rowEntries; ++j) {
      h.pulsesList[i][j] = 0;
      h.positionsList[i][j] = 0;
      h.cutOffBeginList[i][j] = 0;
      h.cutOffEndList[i][j] = 0;
    }
  }
  return true;
}

#include "simulation/rest_err_header.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/message_sink.h"
#include "processing/run_description.h"
#include "signal/memory_failure.h"
#include "signal/task_codes.h"

static const char* const kGetCaption = " getRestErrHeader ";

// Allocates count elements, or gives null when memory is short or count exceeds limit.
template <typename T>
static std::unique_ptr<T[]> allocateArray(uint64_t count, uint64_t limit) {
  if (count > limit) return nullptr;
  std::unique_ptr<T[]> array;
  allocated([&] { array.reset(new T[static_cast<size_t>(count)]()); });
  return array;
}

static void setTableFields(RestErrHeader& h, uint16_t levels) {
  int32_t*** tables[kRestErrTables] = {&h.lpErrors,         &h.lpFragmentErrors,
                                       &h.lpReservedErrors, &h.lpRecognitionErrors,
                                       &h.lpSpareErrors1,   &h.lpSpareErrors2};
  for (int t = 0; t < kRestErrTables; ++t) {
    *tables[t] = h.rowBlock ? h.rowBlock.get() + static_cast<size_t>(t) * levels : nullptr;
  }
}

static RestErrHeader* failGet(MessageSink& window, RestErrHeader* header, const char* text) {
  delete header;
  window.messageBox(text, kGetCaption, kMbOk);
  return nullptr;
}

RestErrHeader* getRestErrHeader(MessageSink& window, uint16_t pulses, uint16_t levels, int32_t repeats,
                                RestErrHeader* header) {
  if (header == nullptr) {
    if (!allocatedOrSaid(window, "Нет памяти для newRestErrorHeader!", kGetCaption, kMbOk,
                         [&] { header = new RestErrHeader(); }))
      return nullptr;
  }
  RestErrHeader& h = *header;
  const uint64_t p = pulses;
  const uint64_t m = levels;
  const uint64_t reservedP = h.wReservedPulses;
  const uint64_t reservedM = h.wReservedLevels;

  if (reservedP * reservedM < p * m && h.cellBlock) h.cellBlock.reset();
  if (reservedP + reservedM < p + m && h.valueBlock) h.valueBlock.reset();
  if (reservedM < m || reservedP < p) {
    h.valueBlock.reset();
    h.cellBlock.reset();
    h.rowBlock.reset();
  }

  if (!h.valueBlock) {
    h.valueBlock = allocateArray<int16_t>(p + m, UINT64_MAX);
    if (!h.valueBlock) return failGet(window, header, "Нет памяти для newRestErrorHeader->lpNoiseLevel!");
    h.lpNoiseLevel = h.valueBlock.get();
    h.wPulseValues = h.valueBlock.get() + levels;
    h.wReservedLevels = levels;
    h.wReservedPulses = pulses;
  }
  if (!h.rowBlock) {
    h.rowBlock = allocateArray<int32_t*>(kRestErrTables * m, UINT64_MAX);
    if (!h.rowBlock) return failGet(window, header, "Нет памяти для newRestErrorHeader->lpErrors!");
    setTableFields(h, h.wReservedLevels);
  }
  if (!h.cellBlock) {
    const uint64_t rp = h.wReservedPulses;
    const uint64_t rm = h.wReservedLevels;
    h.cellBlock = allocateArray<int32_t>(kRestErrTables * rp * rm, kMaxRestErrCells);
    if (!h.cellBlock) return failGet(window, header, "Нет памяти для newRestErrorHeader->lpErrors[]!");
    for (uint64_t r = 0; r < kRestErrTables * rm; ++r) h.rowBlock[r] = h.cellBlock.get() + r * rp;
  }

  h.wNoiseLevels = levels;
  h.wVariousPulses = pulses;
  h.repeats = repeats;
  std::memset(h.valueBlock.get(), 0, static_cast<size_t>(p + m) * sizeof(int16_t));
  std::memset(h.cellBlock.get(), 0, static_cast<size_t>(kRestErrTables * p * m) * sizeof(int32_t));
  return header;
}

int initRestErrHeader(MessageSink& window, uint16_t pulses, uint16_t firstPulses, uint16_t pulsesStep,
                      uint16_t levels, uint16_t firstLevel, uint16_t levelStep, int32_t repeats,
                      RestErrHeader* header) {
  const char* const caption = " initRestErrHeader ";
  if (header == nullptr) {
    window.messageBox("Не определен lpErrorHeader!", caption, kMbOk);
    return 0;
  }
  if (header->wReservedPulses < pulses) {
    window.messageBox("Неверно задан wVariousPulsesNumber!", caption, kMbOk);
    return 0;
  }
  if (header->wReservedLevels < levels) {
    window.messageBox("Неверно задан wNoiseLevels!", caption, kMbOk);
    return 0;
  }
  RestErrHeader& h = *header;
  h.wVariousPulses = pulses;
  h.wNoiseLevels = levels;
  h.repeats = repeats;
  h.ifComplete = 0;
  // The grid values are 16-bit: wider products wrap like the stored type does.
  for (uint32_t i = 0; i < pulses; ++i) {
    h.wPulseValues[i] = static_cast<int16_t>(static_cast<uint16_t>(firstPulses + i * pulsesStep));
  }
  for (uint32_t l = 0; l < levels; ++l) {
    h.lpNoiseLevel[l] = static_cast<int16_t>(static_cast<uint16_t>(firstLevel + l * levelStep));
    for (uint32_t j = 0; j < pulses; ++j) h.lpErrors[l][j] = 0;
  }
  return 1;
}

int addInitRestErrHeader(MessageSink& window, uint16_t seriesType, uint16_t taskType, uint16_t makingLevel,
                         uint16_t processingLevel, RestErrHeader* header) {
  if (header == nullptr) {
    window.messageBox("Не определен lpErrorHeader!", " addInitRestErrHeader ", kMbOk);
    return 0;
  }
  fillRunDescription(*header, seriesType, taskType, restErrTaskText(taskType), makingLevel, processingLevel);
  return 1;
}

int freeRestErrHeader(MessageSink&, RestErrHeader* header) {
  delete header;
  return 1;
}

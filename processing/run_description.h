#pragma once
#include <cstdint>

#include "signal/task_codes.h"

// The run description that the chains header and the error header both carry: the series and
// task codes with their names, the two energy levels, and wInfoLevel 2 (described). taskName is
// the record's own name of the task (chainsTaskText, restErrTaskText).
template <class Record>
void fillRunDescription(Record& record, uint16_t seriesType, uint16_t taskType, const char* taskName,
                        uint16_t makingLevel, uint16_t processingLevel) {
  record.wInfoLevel = 2;
  record.wSeriesType = seriesType;
  record.seriesTypeName = seriesTypeText(seriesType);
  record.wTaskType = taskType;
  record.taskName = taskName;
  record.wMakingEnergyLevel = makingLevel;
  record.wProcessingEnergyLevel = processingLevel;
}

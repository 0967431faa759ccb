#pragma once
#include <cstdint>

#include "display/internal_commands.h"

// Menu commands of resource 104 served by the dispatcher itself.
enum : uint16_t {
  kMenuExit = 40004,
  kMenuDetection = 40005,
  kMenuRecognition = 40006,
  kMenuJointDetection = 40007,
  kMenuFixedWhole = 40008,
  kMenuUnfixedWhole = 40009,
  kMenuFixedCutOff = 40010,
  kMenuUnfixedCutOff = 40011,
  kMenuElseCreateSeries = 40014,
  kMenuProcessingSameData = 40017,
  kMenuProcessingNextData = 40018,
  kMenuMoreDetails = 40019,
  kMenuTypeMoreDetails = 40020,
  kMenuFixedCase = 40021,
  kMenuUnfixedCase = 40022,
  kMenuRepeatDetection = 40023,
  kMenuRepeatRecognition = 40024,
  kMenuRepeatJoint = 40025,
  kMenuRepeatSeriesProcessing = 40026,
  kMenuSeriesProcessing = 40027,
  kMenuFixedTuples = 40028,
  kMenuUnfixedTuples = 40032,
  kMenuDebuggingRepeat = 40033,
};

#pragma once
// The one symbol the drawing plug-in exports: its table of functions (batch/drawing_plugin.h).
#include "batch/drawing_plugin.h"

extern "C" __attribute__((visibility("default"))) const DrawingPlugin* detectionDrawingPlugin();

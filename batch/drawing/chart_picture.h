#pragma once
// The chart of detection-batch chart, drawn in the drawing plug-in.
#include <string>

#include "batch/drawing_plugin.h"

// Opens the result in a headless workbench window of the requested size through File > "Open
// simulation result...", chooses the errors in the chart dialog, and gives the view (the chart
// with its frame and the caption above it) as the bytes of a PNG or BMP file. False after the
// window's messages and the reason were printed on standard error.
bool drawChartPicture(const ChartDrawing& request, std::string& bytes);

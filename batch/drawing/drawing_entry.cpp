#include "batch/drawing/drawing_entry.h"

#include "batch/drawing/answer_plot_picture.h"
#include "batch/drawing/chart_picture.h"

const DrawingPlugin* detectionDrawingPlugin() {
  static const DrawingPlugin table{kDrawingPluginVersion, &drawChartPicture, &drawAnswerPlotPicture};
  return &table;
}

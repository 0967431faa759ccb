#pragma once
// The companion's pictures (the chart of a simulation result, the picture of an answer) are
// drawn by a plug-in that is loaded only when a picture is asked for, so that the companion
// itself links no window system and starts as fast as a plain program. The plug-in is
// detection-batch-drawing.so beside the program (the build tree) or in the package's library
// folder (an installed package); both are found from the program's own path.
#include <cstdint>
#include <string>
#include <vector>

#include "display/answer_plot.h"

// What the plug-in needs to draw the chart of a result whose options were checked.
struct ChartDrawing {
  std::string input;          // the whole result, known to be readable
  uint16_t errorsChoice = 0;  // the chart dialog's control for the errors charted
  bool aggregate = false;
  bool bounds = false;
  bool recognition = false;  // the result is of a recognition run (chart dialog 114, not 113)
  int32_t width = 0;         // client size of the window the chart is laid out in
  int32_t height = 0;
  bool png = true;  // PNG, else BMP
};

// Raised whenever the table below changes, so that a program never calls a plug-in of another
// build.
constexpr int32_t kDrawingPluginVersion = 2;

struct DrawingPlugin {
  int32_t version = 0;
  // The chart as the bytes of its file. False after the reason was printed on standard error.
  bool (*drawChart)(const ChartDrawing& request, std::string& bytes) = nullptr;
  // The picture of the answer (kAnswerPlotWidth x kAnswerPlotHeight) as the bytes of a PNG file.
  // False with the reason in problem.
  bool (*drawAnswerPlot)(const AnswerPlot& plot, std::string& bytes, std::string& problem) = nullptr;
};

// The plug-in's file name and the C name of its one entry point, which returns its table.
constexpr const char* kDrawingPluginFile = "detection-batch-drawing.so";
constexpr const char* kDrawingPluginEntry = "detectionDrawingPlugin";

// The paths the plug-in is looked for at, in order: in the program's own folder, then in the
// library folder of the installed package, reached from the program's folder.
std::vector<std::string> drawingPluginCandidates(const std::string& programFolder);

// Loads the plug-in (it stays loaded) from the first candidate path that is a file and gives
// its table; null with the reason in problem (which names the places looked in).
const DrawingPlugin* drawingPluginAt(const std::vector<std::string>& candidates, std::string& problem);

// The plug-in of the running program: drawingPluginAt(drawingPluginCandidates(its folder)).
const DrawingPlugin* drawingPlugin(std::string& problem);

// The absolute path the package installs the plug-in at (for callers that are not the program,
// such as the Python module).
std::string installedDrawingPlugin();

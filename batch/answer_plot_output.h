#pragma once
// process --plot FILE.png [--plot-range FROM:TO]: the picture of the answer, drawn by the drawing
// plug-in and written through an AtomicFile.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "batch/json_output.h"
#include "display/answer_plot.h"

namespace CLI {
class App;
}
class AtomicFile;
struct DrawingPlugin;

struct PlotRequest {
  std::string file;   // empty: no picture
  std::string range;  // FROM:TO as typed; empty: the whole series
  bool wanted() const { return !file.empty(); }
};

// Adds --plot and --plot-range (which needs --plot) to the process command.
void addPlotOptions(CLI::App& command, PlotRequest& request);

// The stretch FROM:TO (samples FROM..TO-1, counted from 0; either number may be left out for
// the start or the end) of a series of `length` samples. Throws OptionError naming
// --plot-range for a text that is no such range and for a stretch that is empty or runs past
// the series, with both numbers.
struct PlotStretch {
  uint64_t from = 0;
  uint64_t to = 0;
};
PlotStretch plotStretch(const std::string& range, uint64_t length);

// The pulses found of a process document (lpRestoredPositions, each wImpulseSize long), with
// `truth` its true pulses (lpPositions), and a title naming the solver, the source and the counts.
void describeAnswer(AnswerPlot& plot, const OrderedJson& doc, bool truth, const std::string& source);

// The picture of one run. Made before the run, so that a name that cannot be written or a
// missing plug-in is reported before any work: ready() says whether it can be written.
class PlotOutput {
 public:
  explicit PlotOutput(const PlotRequest& request);
  ~PlotOutput();
  // False after a message on standard error; throws OptionError for a name not ending in .png.
  bool ready();
  // Draws and writes the picture; false after a message on standard error.
  bool write(const AnswerPlot& plot);
  bool wanted() const { return request_.wanted(); }

 private:
  PlotRequest request_;
  std::unique_ptr<AtomicFile> file_;
  const DrawingPlugin* drawing_ = nullptr;
};

#include "python/py_plot.h"

#include <dlfcn.h>
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/answer_plot_output.h"
#include "batch/drawing_plugin.h"
#include "files/atomic_file.h"
#include "python/py_messages.h"

namespace {

// The folder of this module's shared object.
std::string moduleFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&addPlotFunction), &info) == 0 || info.dli_fname == nullptr)
    return ".";
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The samples as int16: every value must be a whole number of that range.
std::vector<int16_t> sampleValues(const py::object& samples) {
  const auto array = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(samples);
  if (!array || array.ndim() != 1) throw py::type_error("plot(): samples: expected a 1-D numeric array");
  std::vector<int16_t> out;
  out.reserve(static_cast<size_t>(array.size()));
  const double* values = array.data();
  for (py::ssize_t i = 0; i < array.size(); ++i) {
    const double v = values[i];
    if (!(v >= -32768.0 && v <= 32767.0) || v != std::floor(v)) {
      throw py::value_error("plot(): samples: sample " + std::to_string(i) + " is " +
                            py::repr(py::float_(v)).cast<std::string>() +
                            ", not a whole number of -32768..32767 (plot the series the solver worked on, "
                            "the values times the answer's factor)");
    }
    out.push_back(static_cast<int16_t>(v));
  }
  return out;
}

std::vector<PulseSpan> spans(const std::vector<int64_t>& positions, int64_t length) {
  std::vector<PulseSpan> out;
  out.reserve(positions.size());
  for (const int64_t p : positions) out.push_back(PulseSpan{p, length});
  return out;
}

void plot(const std::string& path, const py::object& samples, const std::vector<int64_t>& found,
          int64_t length, const std::optional<std::vector<int64_t>>& truth,
          const std::optional<std::pair<int64_t, int64_t>>& plotRange, const std::string& title) {
  if (length < 1)
    throw py::value_error("plot(): length: " + std::to_string(length) + " is not a pulse length");
  const std::vector<int16_t> values = sampleValues(samples);
  AnswerPlot answer;
  answer.samples = values;
  answer.found = spans(found, length);
  if (truth) {
    answer.truth = spans(*truth, length);
    answer.hasTruth = true;
  }
  answer.title = title;
  try {
    const std::string range = plotRange
                                  ? std::to_string(plotRange->first) + ":" + std::to_string(plotRange->second)
                                  : std::string();
    const PlotStretch stretch = plotStretch(range, values.size());
    answer.from = stretch.from;
    answer.to = stretch.to;
  } catch (const OptionError& e) {
    raiseOptionError(e);
  }
  if (path.size() < 4 || path.substr(path.size() - 4) != ".png")
    throw py::value_error("plot(): path: the file must end in .png");

  std::string problem, bytes;
  const std::string folder = moduleFolder();
  const DrawingPlugin* drawing =
      drawingPluginAt({folder + "/" + kDrawingPluginFile, folder + "/../batch/" + kDrawingPluginFile,
                       installedDrawingPlugin()},
                      problem);
  if (drawing == nullptr) throw std::runtime_error("plot(): " + problem);
  {
    const py::gil_scoped_release unlocked;
    if (!drawing->drawAnswerPlot(answer, bytes, problem)) problem = "plot(): " + problem;
  }
  if (bytes.empty()) throw std::runtime_error(problem);
  std::string error;
  if (!writeFileAtomically(path, bytes, error)) throw std::runtime_error("plot(): " + error);
}

}  // namespace

void addPlotFunction(py::module_& module) {
  module.def("plot", &plot, py::arg("path"), py::arg("samples"), py::arg("found"), py::arg("length"),
             py::kw_only(), py::arg("truth") = py::none(), py::arg("plot_range") = py::none(),
             py::arg("title") = "",
             R"(plot(path, samples, found, length, *, truth=None, plot_range=None, title="") -> None

Draws the picture `detection-batch process --plot` draws into the PNG file `path` (written
whole or not at all): the samples (whole numbers of -32768..32767, such as a result's
lpNoisyData, or the values given to solve() times its factor) in blue, every pulse found
(positions `found`, each `length` samples long, such as lpRestoredPositions and wImpulseSize)
in a dotted box and, with `truth`, the true pulses shaded. plot_range=(FROM, TO) draws samples
FROM..TO-1 only. A stretch longer than the picture is wide is drawn with the least and
greatest sample of each pixel column. Raises OptionError for a bad range, ValueError for
samples that are no 16-bit values, RuntimeError when the drawing plug-in is missing.)");
}

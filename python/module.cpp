// detection_workbench: the workbench's generators, solvers and simulations on numpy arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "batch/options.h"
#include "processing/working_limits.h"
#include "python/py_messages.h"
#include "python/py_plot.h"
#include "python/py_workbench.h"
#include "settings/start_values.h"

namespace py = pybind11;

namespace {

// Binds a method of Workbench and a module function of the same name that runs it on a fresh
// workbench (every random source at its start value, as each detection-batch command starts).
template <typename R, typename... Args, typename... Extra>
void bindTwice(py::module_& module, py::class_<PyWorkbench>& cls, const char* name,
               R (PyWorkbench::*method)(Args...), const char* doc, const Extra&... extra) {
  cls.def(name, method, doc, extra...);
  module.def(
      name,
      [method](Args... args) {
        PyWorkbench workbench;
        return (workbench.*method)(std::forward<Args>(args)...);
      },
      doc, extra...);
}

const char* const kMakeSeriesDoc =
    R"(Makes one series and adds noise; the options of `detection-batch series`.

Returns a dict with the JSON field names of the companion: sizes as ints, the samples and
per-pulse tables as int16 arrays (cut to wImpulseQuantity entries). A sequence shorter than
the pulse count repeats its last entry. Raises OptionError for a bad option.)";

const char* const kProcessDoc =
    R"(Makes a series and runs the solver the workbench chooses for the task and series type.

The options of `detection-batch process`; the result has its JSON fields: solver,
solverResult, the series, the answer (wRestoredQuantity, lpRestored..., tuples,
wRecognizedSubset) and the ranked chains.)";

const char* const kSolveDoc =
    R"(solve(task, series_type, noisy, *, etalons=None, required=1, tmin=40, tmax=181, processing_level=100, pulses=None, subset=None, subsets=None, proceeding=1, scale=1.0, break_penalty=None) -> dict

Runs the solver of (task, series_type) on the caller's own series.

noisy: 1-D array of any integer or float dtype (any strides), at most 32,767 samples; for
detection, joint detection and recognition of series type 4 (whole pulses, processing level
100), up to 2,147,483,647 samples, answered with 64-bit criteria (solver detectLongRecording
or recognizeLongRecording, with the margin of every pulse in lpMargins, a float64 array in
units of the etalon's energy). break_penalty (series type 4 only): None or inf keeps every
gap within tmax; a number P >= 0 lets a gap longer than tmax, a late first or an early last
pulse cost P times the etalon's energy (0: the criterion alone decides, no pulse possible).
The sizes of noisy and etalons are checked against the limit of the call before anything is
copied, and memory running short while they are taken as float64 raises MemoryError.
etalons: None for the built-in alphabet, or a 2-D array, one etalon per row (1..20 rows of
one length); of length 20 they replace etalons 1..K of the alphabet, of another length they
stand alone. scale: factor applied before rounding to 16-bit samples (1.0 takes the values
as they are; None maps the series' peak to the amplitude 128). pulses: the number of pulses
of a known-number series type (1, 2, 36; default the midpoint of the admissible range);
series types 4, 8, 40 find the number themselves.

Returns the answer with the JSON names of `detection-batch process` (without the truth,
which a given series does not have) and `factor`, the scale used. Raises ValueError for
values that do not fit (the message names the limit and a factor that fits), TypeError for
non-numeric arrays, OptionError for inconsistent options, WorkbenchError when the solver fails.)";

const char* const kSimulateDoc = R"(Runs a statistical simulation; the options of `detection-batch simulate`.

Returns noise_level (K), pulses (P) and the tables restoring_error, position_error,
recognition_errors as K x P int64 arrays (rows: noise levels, columns: pulse counts, the
order of the CSV). threads: worker threads (0 = every core); the tables do not depend on it.
progress: optional callable(cells_done, cells_total), called after every cell; an exception
it raises stops the run and is raised again (so does Ctrl-C). csv: optional file (str, bytes
or os.PathLike, as open() takes it) written whole when the run completes, never partly.)";

}  // namespace

PYBIND11_MODULE(detection_workbench, m) {
  m.doc() =
      "The detection workbench's generators, exact solvers and simulations on numpy arrays. "
      "The module functions start from a fresh workbench on every call, as detection-batch does; "
      "a Workbench keeps its random sources from call to call.";
  addExceptionTypes(m);
  // numpy and its C interface are set up now, while the import holds the interpreter alone: set
  // up on first use, two threads converting their first results at once would each wait for
  // the other (one in the import, holding the set-up, the other in the set-up, holding the
  // interpreter lock).
  py::module_::import("numpy");
  py::detail::npy_api::get();
  addPlotFunction(m);

  m.def("alphabet", &alphabetArray,
        "The etalons built with the given amplitude, count and length: an "
        "int16 array of shape (count, length).",
        py::arg("amplitude") = start_values::kAmplitude, py::arg("count") = start_values::kEtalons,
        py::arg("length") = start_values::kImpulseSize);

  py::class_<PyWorkbench> cls(
      m, "Workbench",
      "A workbench whose random sources go on from call to call, as in the window. "
      "Calls on one Workbench from several threads take turns (Ctrl-C ends the wait); a call "
      "from inside a running call on the same Workbench, such as from a simulate "
      "progress callback, raises RuntimeError instead of waiting for itself.");
  cls.def(py::init<>());

  bindTwice(m, cls, "make_series", &PyWorkbench::makeSeries, kMakeSeriesDoc, py::kw_only(),
            py::arg("length") = start_values::kSeriesSize, py::arg("tmin") = start_values::kTmin,
            py::arg("tmax") = start_values::kTmax, py::arg("pulses") = py::none(), py::arg("unknown") = false,
            py::arg("sequence") = py::none(), py::arg("making_level") = start_values::kSavedLevel,
            py::arg("noise") = start_values::kNoiseLevel, py::arg("subset") = py::none(),
            py::arg("subset_mode") = start_values::kSubsetEmployment,
            py::arg("subset_position") = start_values::kSubsetInitPosition);

  bindTwice(m, cls, "process", &PyWorkbench::process, kProcessDoc, py::arg("task") = "detection",
            py::arg("series_type") = start_values::kSeriesType, py::kw_only(),
            py::arg("required") = start_values::kDetectionEtalon,
            py::arg("length") = start_values::kSeriesSize, py::arg("tmin") = start_values::kTmin,
            py::arg("tmax") = start_values::kTmax, py::arg("pulses") = py::none(), py::arg("unknown") = false,
            py::arg("sequence") = py::none(), py::arg("making_level") = start_values::kSavedLevel,
            py::arg("noise") = start_values::kNoiseLevel,
            py::arg("processing_level") = start_values::kSavedLevel, py::arg("subset") = py::none(),
            py::arg("subsets") = py::none(), py::arg("subset_mode") = start_values::kSubsetEmployment,
            py::arg("subset_position") = start_values::kSubsetInitPosition,
            py::arg("proceeding") = start_values::kSubsetProceeding);

  {
    // The signature is written out in the text: the keyword options are read by the module.
    py::options written;
    written.disable_function_signatures();
    bindTwice(m, cls, "solve", &PyWorkbench::solveWithOptions, kSolveDoc, py::arg("task"),
              py::arg("series_type"), py::arg("noisy"));
  }

  bindTwice(m, cls, "simulate", &PyWorkbench::simulate, kSimulateDoc, py::arg("task") = "detection",
            py::arg("series_type") = start_values::kSeriesType, py::kw_only(),
            py::arg("required") = start_values::kDetectionEtalon,
            py::arg("length") = start_values::kSeriesSize, py::arg("tmin") = start_values::kTmin,
            py::arg("tmax") = start_values::kTmax, py::arg("making_level") = start_values::kSavedLevel,
            py::arg("processing_level") = start_values::kSavedLevel, py::arg("subset") = py::none(),
            py::arg("subsets") = py::none(), py::arg("subset_mode") = start_values::kSubsetEmployment,
            py::arg("subset_position") = start_values::kSubsetInitPosition,
            py::arg("proceeding") = start_values::kSubsetProceeding, py::arg("pulses_from") = py::none(),
            py::arg("pulses_to") = py::none(), py::arg("pulses_step") = start_values::kPulsesIncrement,
            py::arg("noise_first") = start_values::kNoiseInitialLevel,
            py::arg("noise_steps") = start_values::kNoiseSteps,
            py::arg("noise_step") = start_values::kNoiseIncrement,
            py::arg("repeats") = start_values::kRepeats, py::arg("threads") = 0,
            py::arg("progress") = py::none(), py::arg("csv") = py::none());

  m.attr("MAX_SERIES_SIZE") = kMaxSolverSeriesSize;
  py::list tasks;
  for (const std::string& name : taskNames()) tasks.append(name);
  m.attr("TASKS") = py::tuple(tasks);
}

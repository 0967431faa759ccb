// detection_direct_timing: the direct C++ loop of direct_run.h as a function the overhead script
// calls inside its own process, so that both sides of the comparison share one heap and one
// interpreter's memory.
#include <pybind11/pybind11.h>

#include "python/direct_run.h"

namespace py = pybind11;

PYBIND11_MODULE(detection_direct_timing, m) {
  m.def(
      "time_direct_runs",
      [](int repeats, bool checks, bool fresh) {
        DirectRunTiming timing;
        {
          py::gil_scoped_release release;
          timing = timeDirectRuns(repeats, checks, fresh);
        }
        if (!timing.ok) throw std::runtime_error("the direct run failed");
        return py::make_tuple(timing.secondsPerCall, timing.restored);
      },
      "(seconds per call, restored pulses summed) of REPEATS direct C++ runs of the default detection.",
      py::arg("repeats"), py::arg("checks") = true, py::arg("fresh") = false);
}

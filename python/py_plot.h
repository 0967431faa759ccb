#pragma once
// detection_workbench.plot: the picture of an answer, drawn by the companion's drawing plug-in
// (the same drawing as `detection-batch process --plot`).
#include <pybind11/pybind11.h>

namespace py = pybind11;

// Adds plot(path, samples, found, length, *, truth=None, plot_range=None, title="") to the module.
void addPlotFunction(py::module_& module);

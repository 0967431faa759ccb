#pragma once
// The state a Python caller keeps: one workbench whose random sources go on from call to call,
// as the window's do. Calls release the interpreter lock while the libraries work; calls on one
// workbench from several threads take turns, calls on different workbenches run side by side.
#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"

namespace py = pybind11;

class PyWorkbench {
 public:
  PyWorkbench();

  py::dict makeSeries(int64_t length, int64_t tmin, int64_t tmax, py::object pulses, bool unknown,
                      py::object sequence, int64_t makingLevel, int64_t noise, py::object subset,
                      int64_t subsetMode, int64_t subsetPosition);

  py::dict process(const std::string& task, int64_t seriesType, py::object required, int64_t length,
                   int64_t tmin, int64_t tmax, py::object pulses, bool unknown, py::object sequence,
                   int64_t makingLevel, int64_t noise, int64_t processingLevel, py::object subset,
                   py::object subsets, int64_t subsetMode, int64_t subsetPosition, int64_t proceeding);

  py::dict solve(const std::string& task, int64_t seriesType, py::object noisy, py::object etalons,
                 py::object required, int64_t tmin, int64_t tmax, int64_t processingLevel, py::object pulses,
                 py::object subset, py::object subsets, int64_t proceeding, py::object scale,
                 py::object breakPenalty = py::none());

  // solve with its keyword options read from the call's keywords (see solveOptions).
  py::dict solveWithOptions(const std::string& task, int64_t seriesType, py::object noisy,
                            const py::kwargs& options);

  py::dict simulate(const std::string& task, int64_t seriesType, py::object required, int64_t length,
                    int64_t tmin, int64_t tmax, int64_t makingLevel, int64_t processingLevel,
                    py::object subset, py::object subsets, int64_t subsetMode, int64_t subsetPosition,
                    int64_t proceeding, py::object pulsesFrom, py::object pulsesTo, int64_t pulsesStep,
                    int64_t noiseFirst, int64_t noiseSteps, int64_t noiseStep, int64_t repeats,
                    int64_t threads, py::object progress, py::object csv);

 private:
  using Body = std::function<RunOutcome(WorkbenchStart&, OrderedJson&)>;
  // The collected outcome of a run done without the interpreter lock.
  struct Finished {
    RunOutcome outcome;
    OrderedJson doc;
    std::vector<MessageRecorder::Message> messages;
  };
  // Runs body on the workbench without the interpreter lock, taking turns with other threads.
  Finished runWithoutLock(const Body& body);
  // The same, then hands on its messages and returns its document.
  py::dict run(const Body& body);

  std::unique_ptr<WorkbenchStart> start_;
  std::mutex mutex_;
};

// The etalons of the alphabet command: count x length int16 samples.
py::object alphabetArray(int64_t amplitude, int64_t count, int64_t length);

#include "python/py_workbench.h"

#include <chrono>
#include <cmath>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "batch/given_series_check.h"
#include "batch/long_input.h"
#include "batch/options.h"
#include "batch/simulation_files.h"
#include "batch/simulation_table.h"
#include "files/atomic_file.h"
#include "files/sample_scaling.h"
#include "files/simulation_result.h"
#include "files/user_data.h"
#include "python/py_convert.h"
#include "python/py_messages.h"
#include "settings/start_values.h"

namespace {

std::optional<int64_t> optionalInt(const py::object& value, const char* name) {
  if (value.is_none()) return std::nullopt;
  if (!py::isinstance<py::int_>(value) && !py::hasattr(value, "__index__"))
    throw py::type_error(std::string(name) + ": expected an integer or None");
  return py::int_(value).cast<int64_t>();
}

SeriesOptions seriesOptions(int64_t length, int64_t tmin, int64_t tmax, int64_t makingLevel, int64_t noise,
                            const py::object& subset, int64_t subsetMode, int64_t subsetPosition) {
  SeriesOptions o;
  o.length = length;
  o.tmin = tmin;
  o.tmax = tmax;
  o.makingLevel = makingLevel;
  o.noise = noise;
  o.subset = listText(subset, "subset");
  o.subsetMode = subsetMode;
  o.subsetPosition = subsetPosition;
  return o;
}

template <typename Check, typename Options>
auto checked(Check check, const Options& options) {
  try {
    return check(options);
  } catch (const OptionError& error) {
    raiseOptionError(error);
  }
}

// solve's keyword options with their defaults.
struct SolveOptions {
  py::object etalons = py::none();
  py::object required = py::int_(start_values::kDetectionEtalon);
  int64_t tmin = start_values::kTmin;
  int64_t tmax = start_values::kTmax;
  int64_t processingLevel = start_values::kSavedLevel;
  py::object pulses = py::none();
  py::object subset = py::none();
  py::object subsets = py::none();
  int64_t proceeding = start_values::kSubsetProceeding;
  py::object scale = py::float_(1.0);
  py::object breakPenalty = py::none();
};

int64_t integerOption(py::handle value, const char* name) {
  py::detail::make_caster<int64_t> caster;
  if (!caster.load(value, true)) {
    throw py::type_error(std::string("solve(): ") + name + ": expected an integer, got " +
                         Py_TYPE(value.ptr())->tp_name);
  }
  return py::detail::cast_op<int64_t>(caster);
}

// One keyword of solve(): the member it sets, taken as it is or read as an integer.
struct SolveKeyword {
  const char* name;
  py::object SolveOptions::*object;
  int64_t SolveOptions::*integer;
};

constexpr SolveKeyword kSolveKeywords[] = {
    {"etalons", &SolveOptions::etalons, nullptr},
    {"required", &SolveOptions::required, nullptr},
    {"tmin", nullptr, &SolveOptions::tmin},
    {"tmax", nullptr, &SolveOptions::tmax},
    {"processing_level", nullptr, &SolveOptions::processingLevel},
    {"pulses", &SolveOptions::pulses, nullptr},
    {"subset", &SolveOptions::subset, nullptr},
    {"subsets", &SolveOptions::subsets, nullptr},
    {"proceeding", nullptr, &SolveOptions::proceeding},
    {"scale", &SolveOptions::scale, nullptr},
    {"break_penalty", &SolveOptions::breakPenalty, nullptr},
};

// The options given as keywords, matched by their interned names: pybind11's own matching
// makes a Python string for every declared option on every call, which costs more than a
// short solve's whole argument handling.
SolveOptions solveOptions(const py::kwargs& given) {
  constexpr size_t kCount = std::size(kSolveKeywords);
  static PyObject** names = [] {
    auto** made = new PyObject*[kCount];
    for (size_t i = 0; i < kCount; ++i) made[i] = PyUnicode_InternFromString(kSolveKeywords[i].name);
    return made;
  }();
  SolveOptions o;
  PyObject* key = nullptr;
  PyObject* value = nullptr;
  Py_ssize_t position = 0;
  while (PyDict_Next(given.ptr(), &position, &key, &value)) {
    size_t index = 0;
    while (index < kCount && key != names[index]) ++index;
    for (size_t i = 0; index == kCount && i < kCount; ++i)
      if (PyUnicode_Check(key) && PyUnicode_Compare(key, names[i]) == 0) index = i;
    if (index == kCount) {
      throw py::type_error("solve() got an unexpected keyword argument " +
                           py::repr(py::handle(key)).cast<std::string>());
    }
    const SolveKeyword& keyword = kSolveKeywords[index];
    if (keyword.integer != nullptr)
      o.*keyword.integer = integerOption(value, keyword.name);
    else
      o.*keyword.object = py::reinterpret_borrow<py::object>(value);
  }
  return o;
}

// The workbench taken for one call, for as long as it lives. Made with the interpreter lock.
class Turn {
 public:
  Turn(PyWorkbench::Turns& turns, const char* call) : turns_(turns) {
    {
      const std::lock_guard<std::mutex> lock(turns.mutex);
      if (turns.busy && turns.owner == std::this_thread::get_id()) {
        throw std::runtime_error(std::string("Workbench.") + call + ": the Workbench is busy: its " +
                                 turns.call +
                                 " call on this thread has not ended (this call comes from inside it, "
                                 "such as from its progress callback) and waiting for it would never end; "
                                 "use another Workbench there");
      }
      if (take(call)) return;
    }
    // Another thread has it: wait without the interpreter lock, and let Ctrl-C end the wait.
    for (;;) {
      bool taken = false;
      {
        const py::gil_scoped_release release;
        std::unique_lock<std::mutex> lock(turns.mutex);
        taken = turns.freed.wait_for(lock, std::chrono::milliseconds(50), [&] { return !turns.busy; }) &&
                take(call);
      }
      if (taken) return;
      if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    }
  }
  ~Turn() {
    {
      const std::lock_guard<std::mutex> lock(turns_.mutex);
      turns_.busy = false;
      turns_.call = nullptr;
    }
    turns_.freed.notify_all();
  }
  Turn(const Turn&) = delete;
  Turn& operator=(const Turn&) = delete;

 private:
  // Takes the workbench when it is free; called with the mutex held.
  bool take(const char* call) {
    if (turns_.busy) return false;
    turns_.busy = true;
    turns_.owner = std::this_thread::get_id();
    turns_.call = call;
    return true;
  }

  PyWorkbench::Turns& turns_;
};

// The processing options that solve() and process() share.
void setProcessing(ProcessOptions& o, const std::string& task, int64_t seriesType, const py::object& required,
                   int64_t processingLevel, const py::object& subsets, int64_t proceeding) {
  o.task = task;
  o.seriesType = seriesType;
  o.required = listText(required, "required");
  o.processingLevel = processingLevel;
  o.subsets = listsText(subsets, "subsets");
  o.proceeding = proceeding;
}

// solve()'s options as the companion's process takes them, for a series the caller gives.
ProcessOptions givenSeriesOptions(const std::string& task, int64_t seriesType, const py::object& required,
                                  int64_t tmin, int64_t tmax, int64_t processingLevel,
                                  const py::object& pulses, const py::object& subset,
                                  const py::object& subsets, int64_t proceeding) {
  ProcessOptions o;
  o.series.tmin = tmin;
  o.series.tmax = tmax;
  o.series.pulses = optionalInt(pulses, "pulses");
  o.series.subset = listText(subset, "subset");
  setProcessing(o, task, seriesType, required, processingLevel, subsets, proceeding);
  o.givenSeries = true;
  return o;
}

// The run on the scaled arrays in the workbench's own series, after the checks that need their
// sizes; a refusal is left in tooShort or refused, with an empty outcome.
RunOutcome givenArrayRun(WorkbenchStart& start, const ProcessOptions& o, ScaledSamples& scaled,
                         OrderedJson& doc, std::string& tooShort, std::optional<OptionError>& refused) {
  ProcessSettings p;
  try {
    p = checkGivenProcess(o, "noisy");
    checkGivenEtalons(p, scaled.etalonCount, scaled.etalonLength);
  } catch (const SeriesTooShort& e) {
    tooShort = e.what();
    return {};
  } catch (const OptionError& e) {
    refused = e;
    return {};
  }
  GivenData data;
  data.series = std::move(scaled.series);
  data.etalons = std::move(scaled.etalons);
  data.etalonCount = scaled.etalonCount;
  data.etalonLength = scaled.etalonLength;
  return givenDataRun(start, p, data, doc);
}

// The scaling of solve()'s arrays: `scale` (None: the series' peak to the amplitude), with
// positions and hints that name the arguments.
ScalingRequest arrayScaling(const py::object& scale) {
  ScalingRequest request;
  if (!scale.is_none()) {
    if (!py::isinstance<py::float_>(scale) && !py::isinstance<py::int_>(scale))
      throw py::type_error("scale: expected a number or None");
    request.scale = scale.cast<double>();
  }
  request.amplitude = kBatchAmplitude;
  request.source = "array";
  request.seriesPosition = [](size_t i) { return "noisy[" + std::to_string(i) + "]"; };
  request.etalonPosition = [](size_t k, size_t i) {
    return "etalons[" + std::to_string(k) + ", " + std::to_string(i) + "]";
  };
  request.segmentHint = "a slice such as noisy[start:start + 32767]";
  request.scaleHint = "scale=";
  return request;
}

// The options of recordings of any length: the break penalty, None for none.
LongInputOptions recordingOptions(const py::object& breakPenalty) {
  LongInputOptions recording;
  if (!breakPenalty.is_none()) {
    if (!py::isinstance<py::float_>(breakPenalty) && !py::isinstance<py::int_>(breakPenalty))
      throw py::type_error("break_penalty: expected a number or None");
    const double penalty = breakPenalty.cast<double>();
    if (std::isnan(penalty) || penalty < 0)
      throw py::value_error("break_penalty: expected 0 or more, or inf");
    recording.breakPenalty = penalty;
  }
  return recording;
}

// The arrays of an answer of the long-recording path.
void addLongAnswer(py::dict& result, const LongAnswer& answer) {
  // Margins as numbers, infinity where no admissible answer does without the pulse.
  py::array_t<double> margins(static_cast<py::ssize_t>(answer.margins.size()));
  std::copy(answer.margins.begin(), answer.margins.end(), margins.mutable_data());
  result["lpMargins"] = margins;
  // Positions beyond the 16-bit tables of the workbench's series: 64-bit arrays.
  py::array_t<int64_t> positions(static_cast<py::ssize_t>(answer.positions.size()));
  std::copy(answer.positions.begin(), answer.positions.end(), positions.mutable_data());
  result["lpRestoredPositions"] = positions;
  py::array_t<int64_t> etalons(static_cast<py::ssize_t>(answer.etalons.size()));
  std::copy(answer.etalons.begin(), answer.etalons.end(), etalons.mutable_data());
  result["lpRestoredEtalons"] = etalons;
}

}  // namespace

PyWorkbench::PyWorkbench() {
  start_ = std::make_unique<WorkbenchStart>(nullptr);
  if (!start_->ready) reportRun(start_->window.messages(), RunOutcome{});
}

PyWorkbench::Finished PyWorkbench::runWithoutLock(const char* call, const Body& body) {
  Finished finished;
  const Turn turn(turns_, call);
  const py::gil_scoped_release release;
  const size_t before = start_->window.messages().size();
  finished.outcome = body(*start_, finished.doc);
  const auto& all = start_->window.messages();
  finished.messages.assign(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
  return finished;
}

py::dict PyWorkbench::run(const char* call, const Body& body) {
  const Finished finished = runWithoutLock(call, body);
  reportRun(finished.messages, finished.outcome);
  return toPython(finished.doc);
}

py::dict PyWorkbench::makeSeries(int64_t length, int64_t tmin, int64_t tmax, py::object pulses, bool unknown,
                                 py::object sequence, int64_t makingLevel, int64_t noise, py::object subset,
                                 int64_t subsetMode, int64_t subsetPosition) {
  SeriesOptions o = seriesOptions(length, tmin, tmax, makingLevel, noise, subset, subsetMode, subsetPosition);
  o.pulses = optionalInt(pulses, "pulses");
  o.unknown = unknown;
  o.sequence = listText(sequence, "sequence");
  const SeriesSettings s = checked(checkSeries, o);
  return run("make_series",
             [&](WorkbenchStart& start, OrderedJson& doc) { return seriesRun(start, s, doc); });
}

py::dict PyWorkbench::process(const std::string& task, int64_t seriesType, py::object required,
                              int64_t length, int64_t tmin, int64_t tmax, py::object pulses, bool unknown,
                              py::object sequence, int64_t makingLevel, int64_t noise,
                              int64_t processingLevel, py::object subset, py::object subsets,
                              int64_t subsetMode, int64_t subsetPosition, int64_t proceeding) {
  ProcessOptions o;
  o.series = seriesOptions(length, tmin, tmax, makingLevel, noise, subset, subsetMode, subsetPosition);
  o.series.pulses = optionalInt(pulses, "pulses");
  o.series.unknown = unknown;
  o.series.sequence = listText(sequence, "sequence");
  setProcessing(o, task, seriesType, required, processingLevel, subsets, proceeding);
  const ProcessSettings p = checked(checkProcess, o);
  return run("process", [&](WorkbenchStart& start, OrderedJson& doc) { return processRun(start, p, doc); });
}

py::dict PyWorkbench::solve(const std::string& task, int64_t seriesType, py::object noisy, py::object etalons,
                            py::object required, int64_t tmin, int64_t tmax, int64_t processingLevel,
                            py::object pulses, py::object subset, py::object subsets, int64_t proceeding,
                            py::object scale, py::object breakPenalty) {
  // Nothing is copied or widened before the sizes are checked: a view may stand for far more
  // values than its memory holds.
  py::array seriesView = numericView(noisy, "noisy", 1);
  std::optional<py::array> etalonsView;
  if (!etalons.is_none()) etalonsView = numericView(etalons, "etalons", 2);
  // No rows would read as "no etalons given" below; given etalons are 1..20 rows.
  if (etalonsView && etalonsView->shape(0) == 0)
    throw py::value_error("etalons: 0 etalons; 1 to 20 are allowed (None for the built-in alphabet)");
  const size_t count = etalonsView ? static_cast<size_t>(etalonsView->shape(0)) : 0;
  const size_t length = etalonsView ? static_cast<size_t>(etalonsView->shape(1)) : 0;

  ScalingRequest request = arrayScaling(scale);

  ProcessOptions o = givenSeriesOptions(task, seriesType, required, tmin, tmax, processingLevel, pulses,
                                        subset, subsets, proceeding);
  o.series.impulseSize = count > 0 ? static_cast<int64_t>(length) : kBatchImpulseSize;
  // Recordings of any length with 64-bit criteria for the tasks the long path answers.
  const LongInputOptions recording = recordingOptions(breakPenalty);
  const bool longTask = longPathTask(o);
  if (longTask) {
    request.seriesLimit = static_cast<size_t>(kMaxLongRecording);
    // Known-number detection keeps the workbench's scaling for the series the workbench takes.
    request.wideCriteria = o.seriesType != 1 || static_cast<size_t>(seriesView.size()) > kMaxSolverSeriesSize;
    request.segmentHint = "a slice of at most 2,147,483,647 samples";
  }
  // The sizes against the limits this call applies, then the values as float64.
  if (const std::string problem = seriesSizeProblem(static_cast<size_t>(seriesView.size()),
                                                    request.seriesLimit, request.source, request.segmentHint);
      !problem.empty())
    throw py::value_error(problem);
  if (const std::string problem = etalonSizeProblem(count, length, request.source); !problem.empty())
    throw py::value_error(problem);
  // A known number's table is bounded by the length alone, so a hopeless one is refused
  // before the samples are copied.
  if (longTask) {
    std::string problem;
    try {
      problem = knownNumberSizeProblem(o, static_cast<int64_t>(seriesView.size()), count, length);
    } catch (const OptionError& e) {
      raiseOptionError(e);
    }
    if (!problem.empty()) throw py::value_error(problem);
  }
  const DoubleValues series = numericValues(std::move(seriesView), "noisy");
  std::optional<DoubleValues> rows;
  if (etalonsView) rows = numericValues(std::move(*etalonsView), "etalons");
  request.series = std::span<const double>(series.values, series.count);
  for (size_t k = 0; k < count; ++k) request.etalons.emplace_back(rows->values + k * length, length);
  LongAnswer longAnswer;
  bool longPath = false;

  // The values are checked first, then the options; all of it, and the run, without the
  // interpreter lock: letting it go and taking it back costs more than the checks.
  bool scaledOk = false;
  std::string scalingError;
  std::optional<OptionError> refused;
  std::string tooShort;
  double factor = 0;
  const Finished finished =
      runWithoutLock("solve", [&](WorkbenchStart& start, OrderedJson& doc) -> RunOutcome {
        // The built-in etalons that stay in use beside the given ones enter the criterion check.
        const bool builtInStays = count == 0 || (length == kBatchImpulseSize && count < kBatchEtalons);
        request.otherEtalonPeak =
            builtInStays ? alphabetPeak(start.alphabet, static_cast<uint16_t>(count), kBatchEtalons) : 0;
        ScaledSamples scaled;
        scaledOk = scaleSamples(request, scaled, scalingError);
        if (!scaledOk) return {};
        longPath = longPathNeeded(o, scaled, recording, request.otherEtalonPeak);
        if (!longPath && recording.breakPenalty) {
          refused =
              OptionError("break_penalty",
                          "is answered for detection, joint detection and recognition of series type 4 only");
          return {};
        }
        if (longPath) {
          factor = scaled.factor;
          try {
            return longRecordingRun(o, scaled, start.alphabet, recording, doc, longAnswer);
          } catch (const OptionError& e) {
            refused = e;
            return {};
          }
        }
        o.series.length = static_cast<int64_t>(scaled.series.size());
        factor = scaled.factor;
        return givenArrayRun(start, o, scaled, doc, tooShort, refused);
      });
  if (!scaledOk) throw py::value_error(scalingError);
  if (!tooShort.empty()) raiseSeriesTooShort(tooShort, "noisy");
  if (refused) raiseOptionError(*refused);
  if (longPath) {
    if (!finished.outcome.ok) throw py::value_error(finished.outcome.failure);
    py::dict result = toPython(finished.doc);
    result["factor"] = factor;
    addLongAnswer(result, longAnswer);
    return result;
  }
  reportRun(finished.messages, finished.outcome);
  py::dict result = toPython(finished.doc);
  result["factor"] = factor;
  return result;
}

py::dict PyWorkbench::solveWithOptions(const std::string& task, int64_t seriesType, py::object noisy,
                                       const py::kwargs& options) {
  const SolveOptions o = solveOptions(options);
  return solve(task, seriesType, std::move(noisy), o.etalons, o.required, o.tmin, o.tmax, o.processingLevel,
               o.pulses, o.subset, o.subsets, o.proceeding, o.scale, o.breakPenalty);
}

py::dict PyWorkbench::simulate(const std::string& task, int64_t seriesType, py::object required,
                               int64_t length, int64_t tmin, int64_t tmax, int64_t makingLevel,
                               int64_t processingLevel, py::object subset, py::object subsets,
                               int64_t subsetMode, int64_t subsetPosition, int64_t proceeding,
                               py::object pulsesFrom, py::object pulsesTo, int64_t pulsesStep,
                               int64_t noiseFirst, int64_t noiseSteps, int64_t noiseStep, int64_t repeats,
                               int64_t threads, py::object progress, py::object csv) {
  SimulateOptions o;
  o.process.series = seriesOptions(length, tmin, tmax, makingLevel, 0, subset, subsetMode, subsetPosition);
  o.process.task = task;
  o.process.seriesType = seriesType;
  o.process.required = listText(required, "required");
  o.process.processingLevel = processingLevel;
  o.process.subsets = listsText(subsets, "subsets");
  o.process.proceeding = proceeding;
  o.pulsesFrom = optionalInt(pulsesFrom, "pulses_from");
  o.pulsesTo = optionalInt(pulsesTo, "pulses_to");
  o.pulsesStep = pulsesStep;
  o.noiseFirst = noiseFirst;
  o.noiseSteps = noiseSteps;
  o.noiseStep = noiseStep;
  o.repeats = repeats;
  o.threads = threads;
  const SimulateSettings m = checked(checkSimulate, o);
  const std::string csvPath = csv.is_none() ? std::string() : pathArgument(csv, "csv");
  if (!progress.is_none() && !PyCallable_Check(progress.ptr()))
    throw py::type_error("progress: expected a callable (cells done, cells total) or None");

  // A progress callable that raises, or an interrupt, stops the run between cells; the
  // exception is raised again once the run has ended.
  std::optional<py::error_already_set> raised;
  bool stop = false;
  SimulationSettings how;
  how.progress = [&](uint32_t done, uint32_t total) {
    if (progress.is_none() || stop) return;
    py::gil_scoped_acquire acquire;
    try {
      progress(done, total);
    } catch (py::error_already_set& e) {
      raised.emplace(std::move(e));
      stop = true;
    }
  };
  how.stopRequested = [&]() {
    if (stop) return true;
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() != 0) {
      raised.emplace();
      stop = true;
    }
    return stop;
  };
  Finished finished;
  std::string csvText;
  {
    const Turn turn(turns_, "simulate");
    const py::gil_scoped_release release;
    const size_t before = start_->window.messages().size();
    finished.outcome = simulationRun(*start_, m, how);
    if (finished.outcome.ok) {
      finished.doc = simulationTableJson(*start_->errors);
      // The CSV is the companion's, written by the one writer of simulation tables.
      SimulationResult table;
      table.run = simulationRunOf(m, *start_->errors);
      table.cells = cellsOfErrors(*start_->errors);
      if (!csvPath.empty()) csvText = simulationCsv(table);
    }
    const auto& all = start_->window.messages();
    finished.messages.assign(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
  }
  if (raised) {
    py::error_already_set error = *raised;
    raised.reset();
    throw error;
  }
  reportRun(finished.messages, finished.outcome);
  if (!csvPath.empty()) {
    std::string error;
    if (!writeFileAtomically(csvPath, csvText, error)) {
      PyErr_SetString(PyExc_OSError, ("csv: " + error).c_str());
      throw py::error_already_set();
    }
  }
  return toPython(finished.doc);
}

py::object alphabetArray(int64_t amplitude, int64_t count, int64_t length) {
  AlphabetOptions o;
  o.amplitude = amplitude;
  o.count = count;
  o.length = length;
  checked(checkAlphabet, o);
  StderrWindow window(nullptr);
  OrderedJson doc;
  RunOutcome outcome;
  {
    py::gil_scoped_release release;
    outcome = alphabetRun(window, o, doc);
  }
  reportRun(window.messages(), outcome);
  py::array_t<int16_t> samples({static_cast<py::ssize_t>(count), static_cast<py::ssize_t>(length)});
  auto cells = samples.mutable_unchecked<2>();
  const OrderedJson& etalons = doc.at("etalons");
  for (size_t i = 0; i < etalons.size(); ++i) {
    const OrderedJson& row = etalons[i].at("samples");
    for (size_t j = 0; j < row.size(); ++j) cells(i, j) = row[j].get<int16_t>();
  }
  return samples;
}

#include "shell/file_commands.h"

#include <algorithm>
#include <charconv>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "display/app_state.h"
#include "display/opened_files.h"
#include "files/sample_scaling.h"
#include "files/series_files.h"
#include "files/series_writers.h"
#include "files/user_data.h"
#include "platform/dialog.h"
#include "platform/dialog_ids.h"
#include "platform/window.h"
#include "processing/long_recording.h"
#include "settings/setting_rules.h"
#include "shell/command_ids.h"
#include "shell/dialog_fields.h"
#include "shell/long_recording_run.h"
#include "shell/opened_series.h"
#include "shell/processing_run.h"
#include "signal/pulse_alphabet.h"
#include "signal/pulse_bounds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"

namespace {

constexpr uint32_t kWarning = kMbOk | kMbIconWarning;

// What the options dialog gave. For a series it also gives the run that follows: the
// distances, a known or unknown number of pulses, and the etalon (0: the opened etalons).
struct FileOptions {
  SeriesReadOptions read;
  std::optional<double> scale;
  bool forSeries = false;
  uint16_t tmin = 0;
  uint16_t tmax = 0;
  bool unknown = true;
  uint16_t etalon = 0;
  uint16_t etalons = 0;  // etalons of the alphabet, the largest etalon number
};

class FileOptionsProcedure : public DialogProcedure {
 public:
  explicit FileOptionsProcedure(FileOptions& options) : options_(options) {}
  bool onInit(Dialog& dialog) override {
    using namespace file_options_dialog;
    dialog.setItemText(kSkipSamples, "0");
    if (options_.forSeries) {
      dialog.setItemText(kTmin, std::to_string(options_.tmin));
      dialog.setItemText(kTmax, std::to_string(options_.tmax));
      dialog.checkRadioButton(kKnownPulses, kUnknownPulses, options_.unknown ? kUnknownPulses : kKnownPulses);
      dialog.setItemText(kEtalon, options_.etalon == 0 ? std::string() : std::to_string(options_.etalon));
    } else {
      for (uint16_t id = kTmin; id <= kEtalon; ++id) dialog.enableItem(id, false);
    }
    return true;
  }
  bool onCommand(Dialog& dialog, uint16_t id) override {
    using namespace file_options_dialog;
    if (id == kIdOk) {
      problem_.clear();
      const std::string column = trimmed(dialog.itemText(kColumn, 200));
      if (!column.empty()) {
        const int64_t n = number(column);
        if (n > 0)
          options_.read.column = static_cast<size_t>(n);
        else
          options_.read.columnName = column;
      }
      options_.read.channel = optionalCount(dialog.itemText(kChannel), "Channel");
      options_.read.from = optionalCount(dialog.itemText(kSkipSamples), "Skip samples").value_or(0);
      options_.read.count = optionalCount(dialog.itemText(kSampleCount), "Number of samples");
      const std::string scale = trimmed(dialog.itemText(kScaleFactor));
      if (!scale.empty()) {
        double v = 0;
        const auto r = std::from_chars(scale.data(), scale.data() + scale.size(), v);
        if (r.ec != std::errc() || r.ptr != scale.data() + scale.size())
          problem_ = "Scale factor \"" + scale + "\" is not a number";
        else
          options_.scale = v;
      }
      if (options_.forSeries) readProcessing(dialog);
      dialog.endDialog(problem_.empty() ? 1 : 0);
      return true;
    }
    if (id == kIdCancel) {
      dialog.endDialog(0);
      return true;
    }
    return false;
  }
  const std::string& problem() const { return problem_; }

 private:
  static std::string trimmed(std::string s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
  }
  // A whole non-negative number of at most 9 digits, or -1.
  static int64_t number(const std::string& s) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoll(s);
  }
  std::optional<size_t> optionalCount(const std::string& text, const char* field) {
    const std::string t = trimmed(text);
    if (t.empty()) return std::nullopt;
    const int64_t n = number(t);
    if (n < 0 && problem_.empty()) problem_ = std::string(field) + " \"" + t + "\" is not a whole number";
    return n < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(n));
  }

  // Tmin, Tmax, the kind of number and the etalon of the run on the series.
  void readProcessing(Dialog& dialog) {
    using namespace file_options_dialog;
    const int64_t tmin = number(trimmed(dialog.itemText(kTmin))),
                  tmax = number(trimmed(dialog.itemText(kTmax)));
    if (problem_.empty() && (tmin < 1 || tmin > 65535))
      problem_ = "Tmin \"" + trimmed(dialog.itemText(kTmin)) + "\" is not a whole number from 1 to 65535";
    if (problem_.empty() && (tmax < tmin || tmax > 65535))
      problem_ = "Tmax \"" + trimmed(dialog.itemText(kTmax)) + "\" is not a whole number from Tmin to 65535";
    const std::string etalon = trimmed(dialog.itemText(kEtalon));
    const int64_t e = etalon.empty() ? 0 : number(etalon);
    if (problem_.empty() && (e < 0 || e > options_.etalons || (!etalon.empty() && e == 0)))
      problem_ =
          "Etalon \"" + etalon + "\" is not an etalon number from 1 to " + std::to_string(options_.etalons);
    if (!problem_.empty()) return;
    options_.tmin = static_cast<uint16_t>(tmin);
    options_.tmax = static_cast<uint16_t>(tmax);
    options_.unknown = !dialog.isButtonChecked(kKnownPulses);
    options_.etalon = static_cast<uint16_t>(e);
  }

  FileOptions& options_;
  std::string problem_;
};

// Asks for the options of a chosen file; false when the user cancels (or a field is bad, after
// a message).
bool askOptions(Window& window, FileOptions& options) {
  FileOptionsProcedure procedure(options);
  if (window.runDialog(file_options_dialog::kTemplate, procedure) == 1) return true;
  if (!procedure.problem().empty()) window.messageBox(procedure.problem(), " File Options ", kWarning);
  return false;
}

const std::vector<std::pair<std::string, std::string>>& fileFilters() {
  static const std::vector<std::pair<std::string, std::string>> kFilters = {
      {"Series files (*.csv *.tsv *.txt *.dat *.wav *.flac *.aiff *.au *.npy *.json)",
       "*.csv *.tsv *.txt *.dat *.wav *.flac *.aiff *.au *.npy *.json"},
      {"All files (*)", "*"}};
  return kFilters;
}

// Keeps the built-in alphabet, as it is before etalons are first opened, to be given back.
void keepBuiltIn(AppState& state) {
  OpenedFiles& b = state.opened;
  if (!b.etalonsFile.empty() && !b.builtInRows.empty()) return;
  b.builtInRows.assign(state.wEtalonsQuantity, {});
  b.builtInLength = state.wImpulseSize;
  for (uint16_t k = 0; k < state.wEtalonsQuantity && k < kAlphabetRecords; ++k) {
    const PulseHeader& p = state.etalonAlphabet[k];
    if (p.lpData != nullptr) b.builtInRows[k].assign(p.lpData, p.lpData + p.wSize);
  }
}

// Writes n samples into an alphabet record, growing its storage when needed.
bool setEtalon(Window& window, PulseHeader& pulse, const int16_t* samples, uint16_t n, uint16_t number) {
  if (pulse.lpData == nullptr || pulse.wReservedSize < n) {
    int16_t* grown = new (std::nothrow) int16_t[n];
    if (grown == nullptr) {
      window.messageBox("Не могу выделить память!", " Open etalons ", kWarning);
      return false;
    }
    delete[] pulse.lpData;
    pulse.lpData = grown;
    pulse.wReservedSize = n;
  }
  std::copy(samples, samples + n, pulse.lpData);
  pulse.wSize = n;
  pulse.wNumber = number;
  return true;
}

// Etalons 1..count from rows (row-major, length samples each), the built-in ones after them,
// resampled when the length differs; wImpulseSize and the pulse bounds follow the length.
bool installAlphabet(Window& window, AppState& state, const std::vector<int16_t>& rows, uint16_t count,
                     uint16_t length) {
  const std::vector<std::vector<int16_t>>& builtIn = state.opened.builtInRows;
  std::vector<int16_t> resampled(length);
  for (uint16_t k = 0; k < state.wEtalonsQuantity && k < kAlphabetRecords; ++k) {
    const int16_t* source = nullptr;
    if (k < count) {
      source = rows.data() + size_t{k} * length;
    } else if (k < builtIn.size() && !builtIn[k].empty()) {
      if (builtIn[k].size() == length) {
        source = builtIn[k].data();
      } else {
        resamplePulse(static_cast<int16_t>(builtIn[k].size()), builtIn[k].data(),
                      static_cast<int16_t>(length), resampled.data());
        source = resampled.data();
      }
    } else {
      continue;
    }
    if (!setEtalon(window, state.etalonAlphabet[k], source, length, static_cast<uint16_t>(k + 1)))
      return false;
  }
  state.wImpulseSize = length;
  state.wMinPulses = minPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmax);
  state.wMaxPulses = maxPulsesFor(state.dwSeriesSize, state.wImpulseSize, state.wTmin);
  clampPulsesUsed(state);
  return true;
}

// The scaling of the opened values: the series (when one is open) and the etalons (when
// open) with one factor. Etalons alone take the factor mapping their peak to the amplitude.
bool scaleOpened(AppState& state, const std::vector<double>& series, const std::string& seriesFile,
                 const std::vector<std::vector<double>>& etalons, const std::string& etalonsFile,
                 std::optional<double> scale, ScaledSamples& out, std::string& error,
                 const SeriesValues* seriesPlaces = nullptr, const EtalonValues* etalonPlaces = nullptr,
                 bool longRecording = false) {
  ScalingRequest r;
  if (seriesPlaces != nullptr) r.declaredSeriesSize = seriesPlaces->totalSize;
  if (longRecording) {
    // The long path's 64-bit criteria: any length, the recording's own resolution.
    r.seriesLimit = static_cast<size_t>(kMaxLongRecording);
    r.wideCriteria = true;
  }
  if (seriesPlaces != nullptr)
    r.seriesPosition = [seriesPlaces](size_t i) { return seriesPlaces->position(i); };
  if (etalonPlaces != nullptr)
    r.etalonPosition = [etalonPlaces](size_t k, size_t i) { return etalonPlaces->position(k, i); };
  std::vector<double> peaks;
  if (!seriesFile.empty()) {
    r.series = series;
    r.source = seriesFile;
  } else {
    // Without a series of the user's the etalons' peak takes the place of the series' peak.
    size_t length = 0;
    double peak = 0;
    for (const auto& row : etalons) {
      length = std::max(length, row.size());
      for (double v : row) peak = std::max(peak, v < 0 ? -v : v);
    }
    peaks.assign(std::max<size_t>(length, 1), 0.0);
    peaks[0] = peak;
    r.series = peaks;
    r.source = etalonsFile;
  }
  for (const auto& row : etalons) r.etalons.emplace_back(row);
  r.etalonSource = etalonsFile;
  r.scale = scale;
  r.amplitude = state.wAmplitude;
  const uint16_t kept = static_cast<uint16_t>(etalons.size());
  const std::vector<std::vector<int16_t>>& builtIn = state.opened.builtInRows;
  const uint16_t builtInLength = builtIn.empty() ? state.wImpulseSize : state.opened.builtInLength;
  if (etalons.empty() || etalons[0].size() == builtInLength) {
    int32_t peak = 0;
    for (size_t k = kept; k < builtIn.size(); ++k)
      for (int16_t v : builtIn[k]) peak = std::max(peak, v < 0 ? -int32_t{v} : int32_t{v});
    r.otherEtalonPeak =
        builtIn.empty() ? alphabetPeak(state.etalonAlphabet, kept, state.wEtalonsQuantity) : peak;
  }
  r.segmentHint = "\"Skip samples\" and \"Number of samples\"";
  r.scaleHint = "a \"Scale factor\"";
  return scaleSamples(r, out, error);
}

// The series type of the same family (whole pulses, cut-off pulses, tuples) with a known or an
// unknown number of pulses.
uint16_t seriesTypeOfKind(uint16_t type, bool unknown) {
  if (isCutOffSeries(type)) return unknown ? kSeriesUnfixedCutOff : kSeriesFixedCutOff;
  if (isTupleSeries(type)) return unknown ? kSeriesUnfixedTuples : kSeriesFixedTuples;
  return unknown ? kSeriesUnfixedWhole : kSeriesFixedWhole;
}

// The run the options dialog asked for: distances and series type.
void applyProcessingOptions(AppState& state, const FileOptions& options) {
  state.wTmin = options.tmin;
  state.wTmax = options.tmax;
  state.seriesType = seriesTypeOfKind(state.seriesType, options.unknown);
  updateEffectiveTaskType(state);
}

// The required etalons the options dialog asked for: the etalon given, or every opened etalon;
// else the list as it was.
void applyRequiredOption(AppState& state, const FileOptions& options) {
  const uint16_t opened = options.etalon == 0 ? state.opened.etalonCount : 0;
  if (options.etalon == 0 && opened == 0) return;
  std::fill(std::begin(state.etalonSelected), std::end(state.etalonSelected), uint16_t{0});
  if (options.etalon != 0) {
    state.etalonSelected[options.etalon - 1] = 1;
    state.detectionEtalon = state.detectionEtalonUsed = options.etalon;
  } else {
    for (uint16_t k = 0; k < opened && k < kAlphabetRecords; ++k) state.etalonSelected[k] = 1;
  }
  requiredListFromState(state);
}

void showResult(Window& window, AppState& state) {
  state.resultKind = 1;
  state.repaintButtonColumn = 1;
  runProcessingFrom(window, state, CM_PROCESS);
}

void openSeries(Window& window, AppState& state) {
  OpenFileRequest request{"Open series", fileFilters()};
  const std::optional<std::string> name = window.openFileName(request);
  if (!name) return;
  FileOptions options;
  options.forSeries = true;
  options.tmin = state.wTmin;
  options.tmax = state.wTmax;
  options.etalon = state.opened.etalonCount > 0 ? uint16_t{0} : static_cast<uint16_t>(state.detectionEtalon);
  options.etalons = std::min<uint16_t>(state.wEtalonsQuantity, kAlphabetRecords);
  if (!askOptions(window, options)) return;
  // A recording longer than the workbench's series is read whole when the run asked for is one
  // the long path answers; otherwise its true length is told with the limit.
  const uint16_t type = seriesTypeOfKind(state.seriesType, options.unknown);
  const bool longTask = longRecordingAnswers(effectiveTaskTypeFor(state.taskType, type), type);
  if (longTask) options.read.keepAtMost = static_cast<size_t>(kMaxLongRecording);
  SeriesValues values;
  std::string error;
  ScaledSamples scaled;
  if (!readSeriesFile(*name, options.read, values, error)) {
    window.messageBox(error, " Open series ", kWarning);
    return;
  }
  const size_t length = std::max(values.totalSize, values.values.size());
  if (!longTask && length > kMaxSolverSeriesSize) {
    window.messageBox(longRecordingRefusal(*name, length), " Open series ", kWarning);
    return;
  }
  const bool isLong = length > kMaxSolverSeriesSize;
  if (!scaleOpened(state, values.values, *name, state.opened.etalonValues, state.opened.etalonsFile,
                   options.scale, scaled, error, &values, nullptr, isLong)) {
    window.messageBox(error, " Open series ", kWarning);
    return;
  }
  // The etalons (rescaled with the series' factor) first, then the series.
  if (scaled.etalonCount > 0 &&
      !installAlphabet(window, state, scaled.etalons, static_cast<uint16_t>(scaled.etalonCount),
                       static_cast<uint16_t>(scaled.etalonLength))) {
    return;
  }
  // The run the dialog asked for. A new recording starts from its own admissible range, never
  // from the count of the series shown before it: a known number is the midpoint of that
  // range, as in the companion.
  const Settings before = state;
  applyProcessingOptions(state, options);
  const auto n = static_cast<uint32_t>(scaled.series.size());
  // A long recording leaves the series header to the workbench's own series (it is longer
  // than any etalon: the long path needs nothing installed).
  if (!isLong) {
    state.wPulsesUsed = midpointPulses(seriesMinPulses(n, state.wImpulseSize, state.wTmax),
                                       maxPulsesFor(n, state.wImpulseSize, state.wTmin));
    if (!installSeries(window, state, scaled.series, *name)) {
      static_cast<Settings&>(state) = before;
      return;
    }
  }
  applyRequiredOption(state, options);
  if (!isLong) state.dwSeriesSizeUsed = n;
  OpenedFiles& o = state.opened;
  o.seriesFile = *name;
  o.samples = scaled.series;
  o.values = values.values;
  o.values.resize(scaled.series.size());
  o.scale = options.scale;
  o.factor = scaled.factor;
  o.first = values.first;
  showResult(window, state);
}

void openEtalons(Window& window, AppState& state) {
  OpenFileRequest request{"Open etalons", fileFilters()};
  const std::optional<std::string> name = window.openFileName(request);
  if (!name) return;
  FileOptions options;
  if (!askOptions(window, options)) return;
  EtalonValues values;
  std::string error;
  ScaledSamples scaled;
  OpenedFiles& o = state.opened;
  keepBuiltIn(state);
  if (!readEtalonsFile(*name, values, error) ||
      !scaleOpened(state, o.values, o.seriesFile, values.rows, *name, options.scale ? options.scale : o.scale,
                   scaled, error, nullptr, &values, o.isLong())) {
    window.messageBox(error, " Open etalons ", kWarning);
    return;
  }
  const auto count = static_cast<uint16_t>(scaled.etalonCount);
  const auto length = static_cast<uint16_t>(scaled.etalonLength);
  if (!installAlphabet(window, state, scaled.etalons, count, length)) return;
  o.etalonsFile = *name;
  o.etalonValues = values.rows;
  o.etalonCount = count;
  o.etalonLength = length;
  if (!o.seriesFile.empty()) {
    const bool wasLong = o.isLong();
    o.samples = scaled.series;
    o.factor = scaled.factor;
    if (!wasLong) installSeries(window, state, o.samples, o.seriesFile);
  }
  state.viewState = 5;
  state.repaintButtonColumn = 1;
  window.invalidateAll(true);
}

void restoreAlphabet(Window& window, AppState& state) {
  OpenedFiles& o = state.opened;
  if (o.etalonsFile.empty()) return;
  if (!installAlphabet(window, state, {}, 0, o.builtInLength)) return;
  o.etalonsFile.clear();
  o.etalonValues.clear();
  o.etalonCount = o.etalonLength = 0;
  if (!o.seriesFile.empty()) {
    ScaledSamples scaled;
    std::string error;
    const bool wasLong = o.isLong();
    if (scaleOpened(state, o.values, o.seriesFile, {}, {}, o.scale, scaled, error, nullptr, nullptr,
                    wasLong)) {
      o.samples = scaled.series;
      o.factor = scaled.factor;
      if (!wasLong) installSeries(window, state, o.samples, o.seriesFile);
    }
  }
}

void saveSeries(Window& window, AppState& state) {
  const SeriesHeader* series = state.lpCutOffSeriesHeader;
  const bool longRecording = state.opened.isLong();
  if (!longRecording && (series == nullptr || series->lpNoisyData == nullptr)) return;
  SaveFileRequest request;
  request.title = "Save series as";
  request.filters = {{"CSV Files (*.csv)", "*.csv"}, {"NumPy Files (*.npy)", "*.npy"}};
  request.defaultExtension = "csv";
  request.capacity = 4096;
  const std::optional<std::string> name = window.saveFileName(request);
  if (!name) return;
  SampleTable table;
  if (longRecording) {
    // A long recording lives beside the series header, which keeps the workbench's own series.
    table.columns.emplace_back("lpNoisyData", state.opened.samples);
  } else {
    const size_t n = std::min(series->dwSeriesSize, series->dwReservedSize);
    // A recording has no pure series: the header holds its noisy samples there too, which a
    // reader would take for a truth. Only a made series writes that column.
    if (state.opened.seriesFile.empty())
      table.columns.emplace_back("lpPureData",
                                 std::vector<int16_t>(series->lpPureData, series->lpPureData + n));
    table.columns.emplace_back("lpNoisyData",
                               std::vector<int16_t>(series->lpNoisyData, series->lpNoisyData + n));
  }
  if (!state.opened.seriesFile.empty()) table.notes.emplace_back("file", state.opened.seriesFile);
  const bool npy = name->size() > 4 && name->compare(name->size() - 4, 4, ".npy") == 0;
  std::string error;
  const bool written =
      npy ? writeSampleTableNpy(*name, table, error) : writeSampleTableCsv(*name, table, error);
  if (!written) window.messageBox(error, " Save series as ", kWarning);
}

}  // namespace

bool useStretchAsEtalon(Window& window, AppState& state, size_t first, size_t last) {
  OpenedFiles& o = state.opened;
  if (o.seriesFile.empty() || last >= o.values.size() || last <= first) return false;
  const std::vector<std::vector<double>> rows{
      std::vector<double>(o.values.begin() + static_cast<std::ptrdiff_t>(first),
                          o.values.begin() + static_cast<std::ptrdiff_t>(last) + 1)};
  const size_t slash = o.seriesFile.find_last_of('/');
  const std::string name = (slash == std::string::npos ? o.seriesFile : o.seriesFile.substr(slash + 1)) +
                           ", samples " + std::to_string(first) + ".." + std::to_string(last);
  keepBuiltIn(state);
  // At the series' own scale: the factor the series was scaled with.
  ScaledSamples scaled;
  std::string error;
  if (!scaleOpened(state, o.values, o.seriesFile, rows, name, o.factor, scaled, error)) {
    window.messageBox(error, " Use as etalon ", kWarning);
    return false;
  }
  const auto length = static_cast<uint16_t>(scaled.etalonLength);
  if (!installAlphabet(window, state, scaled.etalons, 1, length)) return false;
  o.etalonsFile = name;
  o.etalonValues = rows;
  o.etalonCount = 1;
  o.etalonLength = length;
  o.samples = scaled.series;
  FileOptions only;
  only.etalon = 1;
  applyRequiredOption(state, only);
  showResult(window, state);
  return true;
}

bool runFileCommand(Window& window, AppState& state, uint16_t id) {
  switch (id) {
    case kMenuOpenSeries:
      openSeries(window, state);
      return true;
    case kMenuOpenEtalons:
      openEtalons(window, state);
      return true;
    case kMenuSaveSeries:
      saveSeries(window, state);
      return true;
    case CM_RESTORE_ALPHABET:
      restoreAlphabet(window, state);
      return true;
    default:
      return false;
  }
}

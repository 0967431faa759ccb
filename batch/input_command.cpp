#include "batch/input_command.h"

#include <cstdio>
#include <string>
#include <vector>

#include "batch/commands.h"
#include "batch/failure_boundary.h"
#include "batch/given_series_check.h"
#include "batch/json_output.h"
#include "batch/watched_run.h"
#include "batch/workbench_runs.h"
#include "batch/workbench_start.h"
#include "files/atomic_file.h"
#include "files/series_writers.h"
#include "files/user_data.h"
#include "processing/long_recording.h"

namespace {

int failed(const std::string& message) {
  std::fprintf(stderr, "detection-batch: %s\n", message.c_str());
  return kExitFailed;
}

size_t nonNegative(const char* option, int64_t value) {
  if (value < 0) throw OptionError(option, std::to_string(value) + " is negative");
  return static_cast<size_t>(value);
}

std::vector<int16_t> samplesOf(const OrderedJson& array) {
  std::vector<int16_t> out;
  out.reserve(array.size());
  for (const auto& v : array) out.push_back(v.get<int16_t>());
  return out;
}

std::string listOf(const OrderedJson& array) {
  std::string text;
  for (const auto& v : array) text += (text.empty() ? "" : ",") + v.dump();
  return text;
}

// What the reader is asked for: the options' file, part and scaling, and the limits of the path
// the task takes.
UserDataRequest userDataRequest(const ProcessOptions& o, const InputOptions& in,
                                const WorkbenchStart& start) {
  UserDataRequest request;
  request.seriesPath = in.input;
  request.etalonsPath = in.etalons;
  if (in.column) request.options.column = static_cast<size_t>(*in.column);
  request.options.columnName = in.columnName;
  if (in.channel) request.options.channel = nonNegative("--channel", *in.channel);
  if (in.from) request.options.from = nonNegative("--from", *in.from);
  if (in.count) request.options.count = nonNegative("--count", *in.count);
  request.options.acceptShort = in.acceptShort;
  request.options.acceptShortHint = "; --accept-short reads the frames there are";
  request.scale = in.scale;
  request.amplitude = kBatchAmplitude;
  request.alphabet = start.alphabet;
  request.alphabetCount = kBatchEtalons;
  request.segmentHint = "--from N --count M";
  // Recordings of any length at their own resolution for the tasks the long path answers.
  if (longPathTask(o)) {
    request.seriesLimit = static_cast<size_t>(kMaxLongRecording);
    request.wideCriteria = true;
    request.wideOnlyBeyondWorkbench = o.seriesType == 1;
  }
  return request;
}

// The document's "input": what was read from where, and the factor it was scaled with.
OrderedJson inputDescription(const InputOptions& in, const UserData& user) {
  const ScaledSamples& scaled = user.scaled;
  OrderedJson input;
  input["file"] = user.seriesPath;
  if (in.column) input["column"] = *in.column;
  if (!in.columnName.empty()) input["column"] = in.columnName;
  if (in.channel) input["channel"] = *in.channel;
  input["from"] = user.first;
  input["count"] = user.count;
  input["factor"] = scaled.factor;
  if (!user.etalonsPath.empty()) {
    input["etalons"] = user.etalonsPath;
    input["etalonCount"] = scaled.etalonCount;
    input["etalonLength"] = scaled.etalonLength;
  }
  return input;
}

}  // namespace

void setColumn(InputOptions& options, const std::string& text) {
  const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  if (digits && text.size() < 10) {
    options.column = std::stoll(text);
    if (*options.column == 0) throw OptionError("--column", "columns are counted from 1");
  } else {
    options.columnName = text;
  }
}

int runProcessInput(ProcessOptions o, const InputOptions& in, const PlotRequest& plot) {
  WorkbenchStart start;
  if (!start.ready) return kExitFailed;
  PlotOutput picture(plot);
  if (!picture.ready()) return kExitFailed;
  WatchedRun watched("process");
  watched.watch(start.window);
  const UserDataRequest request = userDataRequest(o, in, start);
  UserData user;
  std::string error;
  {
    const Making reading("the series of the input file");
    if (!loadUserData(request, user, error)) return watched.stopped() ? kExitFailed : failed(error);
  }
  // The readers take what the file holds; a count given explicitly must be there in full.
  if (in.count && user.count < static_cast<size_t>(*in.count)) {
    const size_t skipped = request.options.from;
    return failed("\"" + user.seriesPath + "\": --count " + std::to_string(*in.count) +
                  " reaches past the end of the file, which holds " + std::to_string(user.count) +
                  " samples" + (skipped > 0 ? " after the " + std::to_string(skipped) + " skipped" : ""));
  }

  const ScaledSamples& scaled = user.scaled;
  const bool given = scaled.etalonCount > 0;
  const bool alphabetInUse =
      !given || (scaled.etalonLength == kBatchImpulseSize && scaled.etalonCount < kBatchEtalons);
  const int32_t builtInPeak =
      alphabetInUse
          ? alphabetPeak(start.alphabet, given ? static_cast<uint16_t>(scaled.etalonCount) : uint16_t{0},
                         kBatchEtalons)
          : 0;
  const bool longPath = longPathNeeded(o, user.scaled, in.recording, builtInPeak);
  if (!longPath && (in.recording.breakPenalty || in.recording.pulsesCsvGiven)) {
    throw OptionError(in.recording.breakPenalty ? "--break-penalty" : "--pulses-csv",
                      "is answered for detection, joint detection and recognition of series type 4 only");
  }
  OrderedJson input = inputDescription(in, user);
  if (longPath) {
    const PlotStretch longStretch = plotStretch(plot.range, scaled.series.size());
    return runLongInput(o, user, start, in.recording, std::move(input), picture, longStretch);
  }
  o.series.length = static_cast<int64_t>(scaled.series.size());
  o.series.impulseSize =
      scaled.etalonCount > 0 ? static_cast<int64_t>(scaled.etalonLength) : kBatchImpulseSize;
  ProcessSettings settings;
  try {
    settings = checkGivenProcess(o, user.seriesPath);
  } catch (const SeriesTooShort& e) {
    return failed(e.what());
  }
  checkGivenEtalons(settings, scaled.etalonCount, scaled.etalonLength);
  const PlotStretch stretch = plotStretch(plot.range, scaled.series.size());

  GivenData data;
  data.series = scaled.series;
  data.etalons = scaled.etalons;
  data.etalonCount = scaled.etalonCount;
  data.etalonLength = scaled.etalonLength;
  OrderedJson doc;
  doc["input"] = input;
  const RunOutcome outcome = givenDataRun(start, settings, data, doc);
  if (watched.stopped()) return kExitFailed;
  if (!outcome.ok) return outcome.failure.empty() ? kExitFailed : failed(outcome.failure);
  if (plot.wanted()) {
    AnswerPlot answer;
    answer.samples = scaled.series;
    answer.from = stretch.from;
    answer.to = stretch.to;
    describeAnswer(answer, doc, false, user.seriesPath);
    if (!picture.write(answer)) return kExitFailed;
  }
  const std::string text = formatDocument(doc);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return kExitOk;
}

int runSeriesToFile(const SeriesSettings& settings, const std::string& format, const std::string& output) {
  WorkbenchStart start;
  OrderedJson doc;
  const RunOutcome outcome = seriesRun(start, settings, doc);
  if (!outcome.ok) return outcome.failure.empty() ? kExitFailed : failed(outcome.failure);
  std::string error;
  bool written = false;
  if (format == "json") {
    written = writeFileAtomically(output, formatDocument(doc), error);
  } else {
    SampleTable table;
    table.columns.emplace_back("lpPureData", samplesOf(doc["lpPureData"]));
    table.columns.emplace_back("lpNoisyData", samplesOf(doc["lpNoisyData"]));
    for (const char* key : {"dwSeriesSize", "wTmin", "wTmax", "wImpulseSize", "wImpulseQuantity",
                            "wMinPulses", "wMaxPulses", "wNoiseLevel"}) {
      table.notes.emplace_back(key, doc[key].dump());
    }
    for (const char* key :
         {"lpPositions", "lpLowBounds", "lpHighBounds", "lpEtalonNumbers", "lpCutBegin", "lpCutEnd"}) {
      table.notes.emplace_back(key, listOf(doc[key]));
    }
    written = format == "csv" ? writeSampleTableCsv(output, table, error)
                              : writeSampleTableNpy(output, table, error);
  }
  if (!written) return failed(error);
  return kExitOk;
}

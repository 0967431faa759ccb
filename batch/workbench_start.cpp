#include "batch/workbench_start.h"

#include <algorithm>
#include <cstdio>

#include "batch/options.h"
#include "processing/chains_header.h"
#include "settings/start_values.h"
#include "signal/pulse_alphabet.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "simulation/rest_err_header.h"

WorkbenchStart::WorkbenchStart(std::FILE* messages) : window(messages) {
  ready = makePulses(window, kBatchAmplitude, kBatchEtalons, kBatchImpulseSize, alphabet, seeds) == 1;
  if (!ready) return;
  // The workbench makes a first series at start (no noise, no solver); it advances the
  // placement and cut-off seeds, so later series start from where the workbench's do.
  std::vector<uint16_t> sequence(start_values::kSequenceCapacity, start_values::kDetectionEtalon);
  series = getCutOffSeries(window, kBatchEtalons, alphabet, kBatchImpulseSize, start_values::kTmin,
                           start_values::kTmax, start_values::kSeriesSize, start_values::kPulses,
                           sequence.data(), kBatchAmplitude, start_values::kSavedLevel, series, seeds);
}

WorkbenchStart::~WorkbenchStart() {
  freeSeriesHeader(window, series);
  freeChainsHeader(window, chains);
  freeRestErrHeader(window, errors);
  freePulses(alphabet, kAlphabetRecords);
}

std::vector<uint16_t> extendedSequence(const std::vector<uint16_t>& given, size_t capacity) {
  std::vector<uint16_t> sequence(std::max(capacity, given.size()),
                                 given.empty() ? uint16_t{1} : given.back());
  std::copy(given.begin(), given.end(), sequence.begin());
  return sequence;
}

bool saidWhyNot(const StderrWindow& window, int messagesBefore, const char* what) {
  if (window.messageCount() == messagesBefore)
    std::fprintf(stderr, "detection-batch: %s could not be made\n", what);
  return false;
}

bool prepareSeriesHeader(WorkbenchStart& start, const SeriesSettings& settings) {
  const int messagesBefore = start.window.messageCount();
  start.series = getCutOffSeriesHeader(start.window, kBatchEtalons, kBatchImpulseSize, settings.tmin,
                                       settings.tmax, settings.length, start.series);
  return start.series != nullptr || saidWhyNot(start.window, messagesBefore, "the series header");
}

bool makeNoisySeries(WorkbenchStart& start, const SeriesSettings& settings, std::vector<uint16_t>& sequence) {
  if (sequence.size() < settings.maxPulses)
    sequence.resize(settings.maxPulses, sequence.empty() ? 1 : sequence.back());
  const int messagesBefore = start.window.messageCount();
  if (settings.unknown) {
    start.series = getRandomCountSeries(start.window, kBatchEtalons, start.alphabet, kBatchImpulseSize,
                                        settings.tmin, settings.tmax, settings.length, sequence.data(),
                                        kBatchAmplitude, settings.makingLevel, start.series, start.seeds);
  } else {
    start.series =
        getCutOffSeries(start.window, kBatchEtalons, start.alphabet, kBatchImpulseSize, settings.tmin,
                        settings.tmax, settings.length, settings.pulses, sequence.data(), kBatchAmplitude,
                        settings.makingLevel, start.series, start.seeds);
  }
  // getCutOffSeries hands back its header even when makeExtSeries refused the parameters;
  // that refusal has shown a message.
  if (start.series == nullptr || start.window.messageCount() != messagesBefore) {
    if (start.window.messageCount() == messagesBefore)
      std::fputs("detection-batch: the series could not be made\n", stderr);
    return false;
  }
  addNoise(start.window, settings.noise, kBatchAmplitude, start.series, start.seeds.seedNoise);
  return true;
}

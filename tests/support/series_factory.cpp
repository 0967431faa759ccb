#include "tests/support/series_factory.h"

#include <stdexcept>

#include "platform/message_recorder.h"
#include "signal/pulse_alphabet.h"
#include "signal/pulse_bounds.h"
#include "signal/selected_subsets.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"

TestAlphabet::TestAlphabet(uint16_t count_, uint16_t length_, int16_t amplitude_, RandomSeeds* seeds)
    : count(count_), length(length_), amplitude(amplitude_) {
  RandomSeeds fresh;
  MessageRecorder window;
  if (makePulses(window, amplitude, count, length, pulses, seeds != nullptr ? *seeds : fresh) != 1)
    throw std::runtime_error("makePulses failed");
}

TestAlphabet::~TestAlphabet() { freePulses(pulses, count); }

void SeriesHeaderDeleter::operator()(SeriesHeader* header) const {
  MessageRecorder window;
  freeSeriesHeader(window, header);
}

RandomSeeds randomSeeds(std::mt19937& rng) {
  std::uniform_int_distribution<int> d(0, 32767);
  RandomSeeds s;
  s.seedNoisePulses = static_cast<uint16_t>(d(rng));
  s.seedPositions = static_cast<uint16_t>(d(rng));
  s.seedCutBegin = static_cast<uint16_t>(d(rng));
  s.seedCutEnd = static_cast<uint16_t>(d(rng));
  s.seedPulseCount = static_cast<uint16_t>(d(rng));
  s.seedSubsetSingle = static_cast<uint16_t>(d(rng));
  s.seedSubsetMultiple = static_cast<uint16_t>(d(rng));
  s.seedNoise = static_cast<uint16_t>(d(rng));
  return s;
}

void randomDistances(std::mt19937& rng, uint16_t impulseSize, uint32_t maxSeriesSize, uint32_t& seriesSize,
                     uint16_t& tmin, uint16_t& tmax) {
  const uint32_t l = impulseSize;
  if (maxSeriesSize < l) maxSeriesSize = l;
  tmin = static_cast<uint16_t>(std::uniform_int_distribution<uint32_t>(l, l + 100)(rng));
  tmax = static_cast<uint16_t>(std::uniform_int_distribution<uint32_t>(tmin, tmin + 160u)(rng));
  seriesSize = std::uniform_int_distribution<uint32_t>(l, maxSeriesSize)(rng);
}

SeriesPtr makeRandomSeries(std::mt19937& rng, TestAlphabet& alphabet, RandomSeeds& seeds,
                           const RandomSeriesOptions& options, RandomSeriesParams* params) {
  MessageRecorder window;
  RandomSeriesParams p;
  std::vector<uint16_t> required = options.required;
  if (required.empty())
    for (uint16_t n = 1; n <= alphabet.count; ++n) required.push_back(n);
  auto pick = [&] { return required[std::uniform_int_distribution<size_t>(0, required.size() - 1)(rng)]; };

  uint16_t wMin = 0;
  uint16_t wMax = 0;
  do {
    randomDistances(rng, alphabet.length, options.maxSeriesSize, p.seriesSize, p.tmin, p.tmax);
    wMin = seriesMinPulses(p.seriesSize, alphabet.length, p.tmax);
    wMax = maxPulsesFor(p.seriesSize, alphabet.length, p.tmin);
  } while (wMax < wMin);

  p.pulses = static_cast<uint16_t>(std::uniform_int_distribution<uint32_t>(wMin, wMax)(rng));
  p.sequence.resize(wMax);
  const uint16_t single = pick();
  for (uint16_t& e : p.sequence) e = options.singleEtalon ? single : pick();
  p.savedLevel = isCutOffSeries(options.seriesType)
                     ? static_cast<uint16_t>(std::uniform_int_distribution<int>(40, 99)(rng))
                     : uint16_t{100};
  p.noiseLevel = options.noiseLevel >= 0
                     ? options.noiseLevel
                     : static_cast<int16_t>(std::uniform_int_distribution<int>(0, 60)(rng));

  SeriesHeader* header =
      getCutOffSeriesHeader(window, alphabet.count, alphabet.length, p.tmin, p.tmax, p.seriesSize, nullptr);
  if (header == nullptr) throw std::runtime_error("getCutOffSeriesHeader failed");
  if (isTupleSeries(options.seriesType)) {
    const int size = std::uniform_int_distribution<int>(2, 4)(rng);
    for (int i = 0; i < size; ++i) p.subset.push_back(pick());
    p.subsetMode = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 5)(rng));
    setSubset(window, p.subset.data(), static_cast<int32_t>(p.subset.size()), p.subsetMode, 1, header);
  }
  if (isUnknownNumberSeries(options.seriesType)) {
    header = getRandomCountSeries(window, alphabet.count, alphabet.pulses, alphabet.length, p.tmin, p.tmax,
                                  p.seriesSize, p.sequence.data(), alphabet.amplitude, p.savedLevel, header,
                                  seeds);
  } else {
    header = getCutOffSeries(window, alphabet.count, alphabet.pulses, alphabet.length, p.tmin, p.tmax,
                             p.seriesSize, p.pulses, p.sequence.data(), alphabet.amplitude, p.savedLevel,
                             header, seeds);
  }
  SeriesPtr series(header);
  if (!series || !window.messages().empty())
    throw std::runtime_error("series maker refused random parameters");
  p.pulses = series->wImpulseQuantity;
  addNoise(window, p.noiseLevel, alphabet.amplitude, series.get(), seeds.seedNoise);
  if (params != nullptr) *params = std::move(p);
  return series;
}

#include "tests/support/reference_simulation.h"

#include <algorithm>
#include <vector>

#include "processing/chains_header.h"
#include "signal/pulse_header.h"
#include "signal/random_seeds.h"
#include "signal/series_header.h"
#include "signal/series_maker.h"
#include "signal/task_codes.h"
#include "simulation/production_solvers.h"
#include "simulation/rest_err_header.h"
#include "simulation/simulation_driver.h"
#include "simulation/trial_measures.h"

int referenceStatCutoffTrawling(MessageSink& window, RestErrHeader* errors, uint16_t alphabetSize,
                                PulseHeader* alphabet, uint16_t n, const uint16_t* required,
                                uint16_t seriesType, uint16_t T, uint16_t makingLevel,
                                uint16_t processingLevel, SeriesHeader*& series, RandomSeeds& seeds,
                                int16_t amplitude, uint16_t subsetProceeding,
                                const SimulationSolvers& solvers) {
  const uint16_t keptSubsetSize = series->wSubsetSize;
  const uint16_t tmin = series->wTmin;
  const uint16_t tmax = series->wTmax;
  const uint32_t N = series->dwSeriesSize;
  const uint16_t maxPulses = series->wMaxPulses;
  const uint16_t L = alphabet[required[0] - 1].wSize;
  const int32_t R = errors->repeats;
  ChainsHeader* chains = getChainsHeader(window, 10, maxPulses, nullptr);
  if (chains == nullptr) return 0;
  addToChainsHeader(window, seriesType, T, makingLevel, processingLevel, chains);
  addInitRestErrHeader(window, seriesType, T, makingLevel, processingLevel, errors);
  const size_t length = std::max<size_t>(maxPulses, n);
  std::vector<uint16_t> counter(length, 1);
  std::vector<uint16_t> sequence(length, 1);

  std::vector<int32_t> subset(series->lpSubset, series->lpSubset + series->wSubsetSize);
  const int32_t S = series->wSelectedSubsets;
  std::vector<int32_t> sizes;
  std::vector<std::vector<int32_t>> rows;
  std::vector<const int32_t*> rowTable;
  for (int32_t i = 0; i < S; ++i) {
    sizes.push_back(series->selectedSubsetSize[i]);
    rows.emplace_back(series->selectedSubsetList[i], series->selectedSubsetList[i] + sizes.back());
  }
  for (const auto& r : rows) rowTable.push_back(r.data());
  const auto takeSelected = [&](int32_t s) {
    for (int32_t i = 0; i < sizes[s - 1]; ++i) series->lpSubset[i] = static_cast<int16_t>(rows[s - 1][i]);
    series->wSubsetSize = static_cast<uint16_t>(sizes[s - 1]);
  };
  const bool unknownPulses = seriesType == 4 || seriesType == 8;
  const bool unknownTuples = unknownPulses || seriesType == 40;

  for (uint16_t j = 0; j < errors->wVariousPulses; ++j) {
    const uint16_t Q = static_cast<uint16_t>(errors->wPulseValues[j]);
    for (uint16_t k = 0; k < errors->wNoiseLevels; ++k) {
      int64_t D = 0;
      int32_t s = 0;
      if (T == 1) series->wSubsetSize = 0;
      if (T == 2) {
        D = (n + 2 * R) / (2 * n);
        series->wSubsetSize = 0;
      }
      if (T == 36) D = R;
      if (T == 40) {
        s = 1;
        D = (S + 2 * R) / (2 * S);
        takeSelected(1);
      }
      if (T == 4 || T == 64) D = Q >= 31 ? 0 : (int64_t{R} * Q) >> Q;
      int64_t E = D;
      for (uint16_t m = 0; m < Q; ++m) {
        counter[m] = 1;
        sequence[m] = required[0];
      }
      int64_t restoringSum = 0;
      int64_t positionSum = 0;
      int32_t mismatches = 0;
      for (int32_t l = 0; l < R; ++l) {
        if (T == 2 && l >= E) {
          for (size_t m = 0; m < length; ++m) {
            counter[m] = static_cast<uint16_t>(counter[m] + 1);
            if (counter[m] > n) counter[m] = 1;
            sequence[m] = required[counter[m] - 1];
          }
          E += D;
        } else if (T == 4 && int64_t{l} * Q >= E) {
          E += D;
          ++counter[0];
          for (uint16_t i = 0; i < Q && counter[i] > n; ++i) {
            counter[i] = 1;
            if (i + 1 < Q) ++counter[i + 1];
          }
          for (uint16_t m = 0; m < Q; ++m) sequence[m] = required[counter[m] - 1];
        } else if (T == 40 && l >= E) {
          s = s + 1 > S ? 1 : s + 1;
          takeSelected(s);
          E += D;
        }
        series = getCutOffSeries(window, alphabetSize, alphabet, L, tmin, tmax, N, Q, sequence.data(),
                                 amplitude, makingLevel, series, seeds);
        if (series == nullptr) {
          freeChainsHeader(window, chains);
          return 0;
        }
        addNoise(window, errors->lpNoiseLevel[k], amplitude, series, seeds.seedNoise);
        int32_t recognized = 0;
        int32_t verbose = 0;
        const int32_t K = static_cast<int32_t>(subset.size());
        if (T == 2) {
          if (unknownPulses) {
            solvers.recognizeUnfixedPulses(window, alphabet, n, sequence.data(), tmin, tmax, processingLevel,
                                           chains, series);
          } else {
            solvers.recognizeFixedPulses(window, alphabet, n, sequence.data(), tmin, tmax, processingLevel,
                                         chains, series);
          }
        } else if (T == 36) {
          if (unknownTuples) {
            solvers.detectUnfixedTuples(window, alphabet, K, subset.data(), subsetProceeding, tmin, tmax,
                                        processingLevel, chains, series, verbose);
          } else {
            solvers.detectFixedTuples(window, alphabet, K, subset.data(), subsetProceeding, tmin, tmax,
                                      processingLevel, chains, series);
          }
        } else if (T == 40) {
          if (unknownTuples) {
            recognized = solvers.recognizeUnfixedTuples(window, alphabet, sizes.data(), rowTable.data(), S,
                                                        subsetProceeding, tmin, tmax, processingLevel, chains,
                                                        series, verbose);
          } else {
            recognized =
                solvers.recognizeFixedTuples(window, alphabet, sizes.data(), rowTable.data(), S,
                                             subsetProceeding, tmin, tmax, processingLevel, chains, series);
          }
        } else if (unknownPulses) {
          solvers.detectUnfixedPulses(window, alphabet, n, sequence.data(), tmin, tmax, processingLevel,
                                      chains, series);
        } else {
          solvers.detectFixedPulses(window, alphabet, n, required, tmin, tmax, processingLevel, chains,
                                    series);
        }
        restoringSum += restoringError(*series);
        positionSum += scaledPositionError(Q, chains->wSeekingPulsesQuantity, series->lpPositions,
                                           series->lpRestoredPositions);
        if (T == 40 && recognized != s) ++mismatches;
      }
      errors->lpErrors[k][j] = meanRestoringError(restoringSum, R);
      errors->lpRecognitionErrors[k][j] = mismatches;
      errors->lpSpareErrors1[k][j] = 0;
      errors->lpSpareErrors2[k][j] = 0;
      errors->lpFragmentErrors[k][j] = cellPositionError(positionSum);
      errors->lpReservedErrors[k][j] = 0;
    }
  }
  series->wSubsetSize = keptSubsetSize;
  errors->ifComplete = 1;
  freeChainsHeader(window, chains);
  return 1;
}

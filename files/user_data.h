#pragma once
// The user's series (and etalons) from files, read and scaled to 16-bit samples: what the
// window and detection-batch process instead of a made series.

#include <cstdint>
#include <optional>
#include <string>

#include "files/sample_scaling.h"
#include "files/series_values.h"
#include "processing/working_limits.h"

struct PulseHeader;

struct UserDataRequest {
  std::string seriesPath;
  SeriesReadOptions options;
  std::string etalonsPath;  // empty: the built-in alphabet only
  std::optional<double> scale;
  int16_t amplitude = 128;
  std::string segmentHint = "--from N --count M";
  // The built-in alphabet (count records); given etalons of its length replace etalons 1..K
  // and the rest stay in use, so their peak enters the criterion check.
  const PulseHeader* alphabet = nullptr;
  uint16_t alphabetCount = 0;
  // For the long-recording path: up to seriesLimit samples, scaled for 64-bit criteria.
  size_t seriesLimit = kMaxSolverSeriesSize;
  bool wideCriteria = false;
  // With wideCriteria: scale for 64-bit criteria only a series longer than the workbench's
  // (known-number detection keeps the workbench's solver and scaling for the series it takes).
  bool wideOnlyBeyondWorkbench = false;
};

struct UserData {
  ScaledSamples scaled;  // the series, the etalons (if any) and the factor
  std::string seriesPath;
  std::string etalonsPath;
  size_t first = 0;  // 0-based index in the file of the first sample
  size_t count = 0;  // samples taken
};

// Reads both files and scales them with one factor; false with a one-line message naming the
// file and the position or limit (out untouched).
bool loadUserData(const UserDataRequest& request, UserData& out, std::string& error);

// Peak absolute sample of alphabet records from .. count-1 (0 when none).
int32_t alphabetPeak(const PulseHeader* alphabet, uint16_t from, uint16_t count);

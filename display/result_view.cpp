#include "display/result_view.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include "display/alphabet_view.h"
#include "display/app_state.h"
#include "display/etalon_glyph.h"
#include "display/layout.h"
#include "display/restore_error.h"
#include "display/series_etalon.h"
#include "display/series_strips.h"
#include "display/text_format.h"
#include "display/tuple_box.h"
#include "platform/surface.h"
#include "processing/chains_header.h"
#include "signal/series_header.h"
#include "signal/task_codes.h"

namespace {

bool cutOffType(uint16_t seriesType) { return seriesType == 2 || seriesType == 8; }
bool tupleCode(uint16_t code) { return code == 36 || code == 40; }

uint16_t chainsSeriesType(const ChainsHeader* chains) { return chains != nullptr ? chains->wSeriesType : 0; }
uint16_t chainsTaskType(const ChainsHeader* chains) { return chains != nullptr ? chains->wTaskType : 0; }
bool stamped(const ChainsHeader* chains) { return chains != nullptr && chains->wInfoLevel > 1; }

int32_t capped(int32_t count, int32_t capacity) { return count < capacity ? count : capacity; }

// The amplitude shown and used for the scale: 128 for a series made with amplitude 0,
// doubled while below the noise level.
int32_t shownAmplitude(int16_t amplitude, int16_t noiseLevel) {
  int32_t a = amplitude;
  if (a == 0) {
    a = 128;
    while (a < noiseLevel) a *= 2;
  }
  return a;
}

// A description the record lacks prints as nothing.
const char* orNothing(const char* text) { return text != nullptr ? text : ""; }

// One pulse of a list: " %d" or "  %d" position, its letter, the kept part for the cut-off types.
std::string pulseEntry(const char* positionFormat, int32_t position, bool letter, int32_t etalon, bool cutOff,
                       const char* cutFormat, int32_t begin, int32_t end) {
  std::string s = formatText(positionFormat, position);
  if (letter) s += etalonLetter(etalon);
  if (cutOff) s += formatText(cutFormat, begin, end);
  return s;
}

}  // namespace

ResultGeometry resultGeometry(const Rect& workArea, int32_t lineHeight, int32_t etalonsInUse,
                              bool specialGraphSize) {
  const uint16_t* table = seriesLayoutTable[0];
  ResultGeometry g;
  const int32_t W = workArea.right - workArea.left + 1, Hh = workArea.bottom - workArea.top + 1;
  const int32_t lh = lineHeight;
  g.stripWidth = table[4] * W / 1000;
  g.stripHeight = table[5] * (Hh - 18 * lh) / 1000;
  if (specialGraphSize) {
    g.stripWidth = 618;
    g.stripHeight = 112;
  }
  if (g.stripHeight % 2 != 0) g.stripHeight += 1;
  g.marginX = table[0] * W / 1000;
  g.x0 = workArea.left + g.marginX;
  g.marginY = (table[1] * Hh + 500) / 1000;
  g.halfMarginY = (table[1] * Hh + 1000) / 2000;
  g.bottomReserve = lh + lh / 4 - 3;
  g.stripTop[0] = workArea.top + 4 * lh + 1;
  g.stripTop[1] = g.stripTop[0] + g.stripHeight + lh;
  g.stripTop[2] = g.stripTop[1] + g.stripHeight + lh;
  g.textX = g.x0;
  g.textY = g.stripTop[2] + g.stripHeight + lh + lh / 2;

  const int32_t mx = g.marginX, my = g.marginY, hy = g.halfMarginY;
  g.alphabetRows = (etalonsInUse + 1) / 2;
  g.cellW = table[6] * W / 1000;
  g.boxWidth = 4 * mx + 2 * g.cellW + mx / 2;
  g.boxLeft = workArea.right - g.boxWidth - mx + 1;
  g.boxTop = workArea.top + my + lh / 2;
  const int32_t D = workArea.bottom - g.boxTop - g.bottomReserve;
  g.cellH = (D - 2 * my) / 8 - (hy + lh);
  g.boxHeight = (g.cellH + hy + lh) * g.alphabetRows + 2 * my;
  if (g.boxHeight > D && g.alphabetRows > 0) {
    g.cellH = (D - 2 * my) / g.alphabetRows - (hy + lh);
    g.boxHeight = D;
  }
  return g;
}

int16_t resultScale(int16_t amplitude, int16_t noiseLevel) {
  const int32_t a = shownAmplitude(amplitude, noiseLevel);
  int32_t m = noiseLevel * 8 / 3;
  if (a > m) m = a;
  return static_cast<int16_t>(m + (m >> 3));
}

std::string alphabetBoxTitle(int32_t etalons, int32_t boxWidth) {
  if (boxWidth < 100) return formatText(" Alph: %d ", etalons);
  std::string title = formatText(" Alphabet, %d items ", etalons);
  if (etalons == 1) title.replace(title.size() - 2, 2, " ");
  return title;
}

bool resultShowsLetters(const ChainsHeader* chains, const SeriesHeader& series) {
  if (stamped(chains)) return chains->wTaskType != 1;
  return series.lpRestoredEtalons != nullptr && series.wPulsesCapacity > 0 &&
         series.lpRestoredEtalons[0] != 0;
}

const char* shownTaskName(const ChainsHeader& chains) {
  if (chains.taskName != nullptr) return chains.taskName;
  // Series processing has no task name of its own in the record; it runs the detectors.
  if (chains.wTaskType == kTaskSeriesProcessing) return "series processing";
  return nullptr;
}

const char* shownSeriesTypeName(const ChainsHeader& chains) {
  if (chains.seriesTypeName != nullptr) return chains.seriesTypeName;
  // A series made from an edited sequence has no name of its own; it is made and processed as
  // a known number of whole pulses.
  if (chains.wSeriesType == kSeriesEditedFixed || chains.wSeriesType == kSeriesEditedUnfixed)
    return seriesTypeText(kSeriesFixedWhole);
  return nullptr;
}

std::vector<std::string> resultHeaderLines(const ChainsHeader* chains, const SeriesHeader& series,
                                           int16_t amplitude) {
  std::vector<std::string> lines;
  if (stamped(chains))
    lines.push_back(formatText(" %s for series with %s ", orNothing(shownTaskName(*chains)),
                               orNothing(shownSeriesTypeName(*chains))));

  double pureEnergy = 0, noiseEnergy = 0, pulseNoiseEnergy = 0;
  if (series.lpPureData != nullptr && series.lpNoisyData != nullptr) {
    for (uint32_t k = 0; k < series.dwSeriesSize; ++k) {
      const double p = series.lpPureData[k], n = series.lpNoisyData[k] - p;
      pureEnergy += p * p;
      noiseEnergy += n * n;
    }
    const int32_t pulses =
        series.lpPositions != nullptr ? capped(series.wImpulseQuantity, series.wPulsesCapacity) : 0;
    for (int32_t i = 0; i < pulses; ++i)
      for (int32_t j = 0; j < series.wImpulseSize; ++j) {
        const int64_t k = int64_t{series.lpPositions[i]} + j;
        if (k < 0 || k >= static_cast<int64_t>(series.dwSeriesSize)) continue;
        const double n = series.lpNoisyData[k] - series.lpPureData[k];
        pulseNoiseEnergy += n * n;
      }
  }
  const bool energetic = pureEnergy >= 1;
  lines.push_back(formatText(" series length %d, ", static_cast<int32_t>(series.dwSeriesSize)) +
                  formatText("Tmin=%d, Tmax=%d, ", series.wTmin, series.wTmax) +
                  formatText(" amplitude %d, noise level %d, allN/S %.3g,  N/S %.3g",
                             shownAmplitude(amplitude, series.wNoiseLevel), series.wNoiseLevel,
                             energetic ? noiseEnergy / pureEnergy : 0.0,
                             energetic ? pulseNoiseEnergy / pureEnergy : 0.0));

  // A series that gives no number of pulses (a recording of unknown count) says so.
  std::string counts = series.wImpulseQuantity != 0
                           ? formatText(" pulses number %d [%d-%d], length %d", series.wImpulseQuantity,
                                        series.wMinPulses, series.wMaxPulses, series.wImpulseSize)
                           : formatText(" pulses number unknown [%d-%d], length %d", series.wMinPulses,
                                        series.wMaxPulses, series.wImpulseSize);
  if (stamped(chains) && cutOffType(chains->wSeriesType))
    counts += formatText(", saved energy level for making/processing %d/%d", chains->wMakingEnergyLevel,
                         chains->wProcessingEnergyLevel);
  lines.push_back(counts);

  const bool letters = resultShowsLetters(chains, series);
  const bool cutOff = cutOffType(chainsSeriesType(chains));
  std::string list = " pulses:";
  const int32_t pulses =
      series.lpPositions != nullptr ? capped(series.wImpulseQuantity, series.wPulsesCapacity) : 0;
  for (int32_t i = 0; i < pulses; ++i) {
    if (i == 19) {
      list += "...";
      break;
    }
    list += pulseEntry(" %d", series.lpPositions[i], letters, series.lpEtalonNumbers[i], cutOff, "[%d..%d] ",
                       series.lpCutBegin[i], series.lpCutEnd[i]);
  }
  lines.push_back(list);
  return lines;
}

std::string openedSeriesTitle(const OpenedFiles& opened, uint32_t samples) {
  char factor[32];
  const auto written = std::to_chars(factor, factor + sizeof factor, opened.factor);
  const size_t slash = opened.seriesFile.find_last_of('/');
  const std::string name =
      slash == std::string::npos ? opened.seriesFile : opened.seriesFile.substr(slash + 1);
  return " Series from " + name + ", samples " + std::to_string(opened.first) + ".." +
         std::to_string(opened.first + samples - 1) + ", factor " + std::string(factor, written.ptr) + " ";
}

std::vector<ResultTextLine> resultTextLines(Window& window, const ChainsHeader* chains,
                                            const SeriesHeader& series, int32_t lineHeight, bool withTruth) {
  std::vector<ResultTextLine> lines;
  const bool letters = resultShowsLetters(chains, series);
  const uint16_t seriesType = chainsSeriesType(chains), taskType = chainsTaskType(chains);
  const bool cutOff = cutOffType(seriesType);
  const int32_t detected =
      series.lpRestoredPositions != nullptr ? capped(series.wRestoredQuantity, series.wPulsesCapacity) : 0;

  std::string line = formatText("Detected %d", series.wRestoredQuantity);
  if (withTruth && series.wImpulseQuantity != series.wRestoredQuantity)
    line += formatText(" (%d)", series.wImpulseQuantity);
  line += series.wRestoredQuantity == 1 ? " pulse" : " pulses";
  line += ": ";
  if (!(tupleCode(taskType) && tupleCode(seriesType))) {
    for (int32_t i = 0; i < detected; ++i) {
      if (i == 9) {
        line += " ... ";
        break;
      }
      line += pulseEntry(" %d", series.lpRestoredPositions[i], letters, series.lpRestoredEtalons[i], cutOff,
                         "[%d..%d]", series.lpRestoredCutBegin[i], series.lpRestoredCutEnd[i]);
    }
  } else if (series.lpRestoredTupleFirst != nullptr && series.wRestoredTuples > 0) {
    const int32_t tuples = capped(series.wRestoredTuples, series.wPulsesCapacity);
    for (int32_t t = 0; t < tuples; ++t) {
      const int32_t first = series.lpRestoredTupleFirst[t], last = series.lpRestoredTupleLast[t];
      if (first - 1 > 18) {
        line += " ... ";
        break;
      }
      line += " {";
      for (int32_t i = first - 1; i < last && i < detected; ++i) {
        if (i < 0) continue;
        line += pulseEntry("%d", series.lpRestoredPositions[i], letters, series.lpRestoredEtalons[i], cutOff,
                           "[%d..%d]", series.lpRestoredCutBegin[i], series.lpRestoredCutEnd[i]);
        line += " ";
      }
      if (line.back() == ' ') line.pop_back();
      line += "} ";
    }
  }
  lines.push_back({line, "", lineHeight});
  if (withTruth)
    lines.push_back(
        {formatText("Restore Error %d. ", restoreError(window, chains, &series)), "", lineHeight});
  if (chains == nullptr) return lines;

  const bool stampedRecognition = chains->wInfoLevel > 1 && chains->wTaskType == 2;
  const bool names =
      (chains->wInfoLevel < 2 && letters) || (chains->wInfoLevel >= 2 && chains->wTaskType == 4);
  lines.push_back({std::string(" n ") + (stampedRecognition ? "et " : "") + " measure ",
                   std::string("  positions") + (names ? " and names" : "") + " of etalons in series",
                   lineHeight + 1});
  const int32_t rows = chains->wPretenders < 6 ? chains->wPretenders : 6;
  const int32_t rowCapacity = chains->wMaxPulses;
  for (int32_t i = 0; i < rows && i < chains->wMaxSize; ++i) {
    ResultTextLine row;
    row.left = formatText("%2d. ", i + 1);
    if (stampedRecognition) row.left += formatText(" %c ", etalonLetter(chains->pulsesList[i][0]));
    row.left += formatText("  %7d", chains->distance[i]);
    const int32_t length = capped(chains->chainLength[i], rowCapacity);
    for (int32_t j = 0; j < length; ++j) {
      if (j == 19) {
        row.right += " ... ";
        break;
      }
      row.right += pulseEntry("  %d", chains->positionsList[i][j], names, chains->pulsesList[i][j], cutOff,
                              " [%d..%d] ", chains->cutOffBeginList[i][j], chains->cutOffEndList[i][j]);
    }
    row.advance = lineHeight;
    lines.push_back(row);
  }
  if (!lines.empty()) lines.back().advance += (lineHeight + 3) / 4;
  if (!withTruth) return lines;

  ResultTextLine truth;
  truth.left = formatText("%2d. ", 0);
  const int32_t pulses =
      series.lpPositions != nullptr ? capped(series.wImpulseQuantity, series.wPulsesCapacity) : 0;
  if (stampedRecognition)
    truth.left += formatText(" %c ", etalonLetter(pulses > 0 ? series.lpEtalonNumbers[0] : 0));
  truth.left += formatText("  %7d", trueConfigurationMeasure(window, &series));
  for (int32_t i = 0; i < pulses; ++i) {
    if (i == 19) {
      truth.right += " ... ";
      break;
    }
    truth.right += pulseEntry("  %d", series.lpPositions[i], names, series.lpEtalonNumbers[i], cutOff,
                              " [%d..%d] ", series.lpCutBegin[i], series.lpCutEnd[i]);
  }
  truth.advance = lineHeight;
  lines.push_back(truth);
  return lines;
}

namespace {

// `text` cut after its last whole entry that leaves room for " ... " within `width` pixels; the
// whole text when it fits. Entries end at a blank that is not followed by a cut's "[".
std::string fittedText(const Surface& surface, const std::string& text, int32_t width) {
  if (surface.textExtent(text).cx <= width) return text;
  const std::string more = " ... ";
  for (size_t end = text.size(); end > 0;) {
    end = text.find_last_of(' ', end - 1);
    if (end == std::string::npos || end == 0) break;
    if (end + 1 < text.size() && text[end + 1] == '[') continue;
    size_t kept = end;
    while (kept > 0 && text[kept - 1] == ' ') --kept;
    if (kept == 0) break;
    const std::string cut = text.substr(0, kept) + more;
    if (surface.textExtent(cut).cx <= width) return cut;
    end = kept;
  }
  return more;
}

}  // namespace

int32_t resultTextEnd(const Surface& surface, const ResultGeometry& g, int32_t y) {
  const int32_t height = surface.textExtent("0").cy;
  const int32_t gap = std::max(g.marginX / 2, 1);
  const bool besideBox = y < g.boxTop + g.boxHeight + 1 && y + height > g.boxTop;
  // The box stands a margin inside the work area's right edge.
  return (besideBox ? g.boxLeft : g.boxLeft + g.boxWidth + g.marginX - 1) - gap;
}

std::vector<PlacedTextLine> placeResultText(const Surface& surface, const ResultGeometry& g,
                                            const std::vector<ResultTextLine>& lines) {
  int32_t column = 100;
  const int32_t gap = surface.textExtent(" ").cx;
  for (const ResultTextLine& line : lines)
    if (!line.right.empty()) column = std::max(column, surface.textExtent(line.left).cx + gap);
  std::vector<PlacedTextLine> placed;
  int32_t y = g.textY;
  for (const ResultTextLine& line : lines) {
    PlacedTextLine p;
    p.y = y;
    p.leftX = g.textX;
    p.rightX = g.textX + column;
    const int32_t end = resultTextEnd(surface, g, y);
    p.left = line.right.empty() ? fittedText(surface, line.left, end - p.leftX) : line.left;
    p.right = line.right.empty() ? line.right : fittedText(surface, line.right, end - p.rightX);
    placed.push_back(std::move(p));
    y += line.advance;
  }
  return placed;
}

int drawResultView(Window& window, Surface& surface, AppState& state, uint16_t etalonsInUse,
                   const uint16_t* etalonList, const ChainsHeader* chains, const SeriesHeader* series) {
  const int32_t lh = state.layout.lineHeight;
  const Rect& area = state.layout.workArea;
  drawWorkAreaOutline(surface, state);
  if (series == nullptr) return 1;
  if (etalonList == nullptr) etalonsInUse = 0;

  const int16_t scale = resultScale(series->wAmplitude, series->wNoiseLevel);
  const int16_t amplitude = static_cast<int16_t>(shownAmplitude(series->wAmplitude, series->wNoiseLevel));
  const ResultGeometry g = resultGeometry(area, lh, etalonsInUse, state.drawSpecialGraphSize != 0);

  int32_t y = area.top - lh / 2;
  const bool withDescription = stamped(chains);
  std::vector<std::string> header = resultHeaderLines(chains, *series, series->wAmplitude);
  // A series from a file has no truth: the file's name stands in place of the true pulses.
  const bool fromFile = !state.opened.seriesFile.empty();
  if (fromFile && !header.empty()) header.back() = openedSeriesTitle(state.opened, series->dwSeriesSize);
  for (size_t i = 0; i < header.size(); ++i) {
    surface.textOut(g.x0, y, fittedText(surface, header[i], resultTextEnd(surface, g, y) - g.x0));
    y += lh + ((i == 0 && withDescription) ? 1 : 0);  // the run description stands one pixel apart
  }

  const uint16_t taskType = chainsTaskType(chains), seriesType = chainsSeriesType(chains);
  const bool letters = resultShowsLetters(chains, *series);
  const bool frames = state.drawFrameGraphFields != 0 && state.drawSpecialGraphSize == 0;
  const bool tuplesOnData = tupleCode(taskType) && tupleCode(seriesType);
  int32_t detected = capped(series->wRestoredQuantity, series->wPulsesCapacity);
  bool allKnown = true;
  for (int32_t i = 0; series->lpRestoredEtalons != nullptr && i < detected; ++i)
    if (series->lpRestoredEtalons[i] == 0) allKnown = false;

  for (int32_t s = 0; s < 3; ++s) {
    if (s == 2 && !allKnown) break;
    if (s == 0 && fromFile) continue;
    const Rect strip = g.strip(s);
    drawPulseLabels(window, surface, strip, seriesType, s, letters, *series);
    if (frames) surface.rectangle(strip.left, strip.top, strip.right + 1, strip.bottom + 1);
    if (s == 0 ? tupleCode(taskType) : tuplesOnData) {
      if (state.tuplesHighlightMode == 1) frameDetectedTuples(window, surface, *series, strip);
      if (state.tuplesHighlightMode == 2) fillDetectedTuples(window, surface, *series, strip);
    }
    if (state.drawHighlightDetectedPulses != 0) markDetectedPulses(window, surface, *series, strip);
    drawStripAxes(window, surface, strip.left, strip.top, strip.right, strip.bottom);
    if (s == 0) {
      drawTruePulses(window, surface, strip, scale, *series);
      drawKeptParts(window, surface, strip, scale, *series);
      if (state.drawShadedPulses != 0) shadeTruePulses(window, surface, strip, scale, *series);
    } else if (s == 1) {
      drawNoisySeries(window, surface, strip, scale, *series);
    } else {
      drawDetectedPulses(window, surface, strip, scale, *series);
    }
  }

  // The alphabet box of the etalons in use.
  surface.rectangle(g.boxLeft, g.boxTop, g.boxLeft + g.boxWidth + 1, g.boxTop + g.boxHeight + 1);
  surface.textOut(g.boxLeft + 7, g.boxTop - g.marginY, alphabetBoxTitle(etalonsInUse, g.boxWidth));
  const int32_t best = (chains != nullptr && chains->wPretenders > 0 && chains->wMaxPulses > 0)
                           ? chains->pulsesList[0][0]
                           : -1;
  for (int32_t k = 0; k < etalonsInUse && g.alphabetRows > 0; ++k) {
    const PulseHeader* etalon = seriesEtalon(*series, etalonList[k]);
    if (etalon == nullptr) continue;
    const int32_t col = k / g.alphabetRows, row = k % g.alphabetRows;
    Rect cell;
    cell.left = g.boxLeft + g.marginX + col * (g.cellW + 2 * g.marginX);
    cell.top = g.boxTop + g.marginY + row * (g.cellH + g.halfMarginY + lh);
    cell.right = cell.left + g.cellW;
    cell.bottom = cell.top + g.cellH;
    const int32_t highlight = (taskType == 2 && etalonList[k] == best) ? 1 : 0;
    drawEtalonGlyph(window, surface, lh, *etalon, amplitude, highlight, cell);
  }

  for (const PlacedTextLine& line :
       placeResultText(surface, g, resultTextLines(window, chains, *series, lh, !fromFile))) {
    surface.textOut(line.leftX, line.y, line.left);
    if (!line.right.empty()) surface.textOut(line.rightX, line.y, line.right);
  }

  if (chains != nullptr && tupleCode(chains->wSeriesType))
    drawPatternTupleBox(window, surface, state, g, *chains, *series, amplitude);
  return 1;
}

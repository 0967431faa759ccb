#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "display/result_geometry.h"
#include "platform/geometry.h"

class Window;
class Surface;
struct AppState;
struct ChainsHeader;
struct SeriesHeader;
struct OpenedFiles;

// Computes the geometry of the result view. Cannot fail; a work area too small gives
// empty or negative sizes that draw nothing useful.
ResultGeometry resultGeometry(const Rect& workArea, int32_t lineHeight, int32_t etalonsInUse,
                              bool specialGraphSize);

// The scale S of the strips: the series amplitude (128 when it is 0, doubled while below
// the noise level), raised to 8/3 of the noise level, plus an eighth.
int16_t resultScale(int16_t amplitude, int16_t noiseLevel);

// The title of the alphabet box: " Alphabet, n items " (singular for one), or " Alph: n "
// when the box is narrower than 100 pixels.
std::string alphabetBoxTitle(int32_t etalons, int32_t boxWidth);

// The lines of the text block under the strips and the chain table, as drawn: the
// "Detected" line, the restore error, then (with a chains header) the table header, one
// row per kept chain (at most 6) and the true configuration as row 0. Each row is split
// at the column x0 + 100: `left` is drawn at x0, `right` at x0 + 100.
struct ResultTextLine {
  std::string left;
  std::string right;
  int32_t advance = 0;  // pixels from this line to the next
};
// Without truth (a series from a file) the true pulse count, the restoring error and row 0 are
// left out.
std::vector<ResultTextLine> resultTextLines(Window& window, const ChainsHeader* chains,
                                            const SeriesHeader& series, int32_t lineHeight,
                                            bool withTruth = true);

// A text line of the result view as drawn: its two parts at their left edges, each cut at an
// entry and ended by " ... " where it would run under the alphabet box or off the work area.
struct PlacedTextLine {
  int32_t leftX = 0, rightX = 0, y = 0;
  std::string left, right;
};
// Where a text line of the result view at row y must end: before the alphabet box beside it,
// else half a margin inside the work area.
int32_t resultTextEnd(const Surface& surface, const ResultGeometry& g, int32_t y);

// Places `lines` from (textX, textY) of `g`: the right parts in one column, 100 pixels right
// of textX or further when a left part (a long measure) is wider, so that no digit is covered;
// every line ends where resultTextEnd says.
std::vector<PlacedTextLine> placeResultText(const Surface& surface, const ResultGeometry& g,
                                            const std::vector<ResultTextLine>& lines);

// The header line of a series from a file: " Series from NAME, samples A..B, factor F ".
std::string openedSeriesTitle(const OpenedFiles& opened, uint32_t samples);

// The task name the run description shows: the record's, or for series processing its menu's
// name in lower case; null when there is none.
const char* shownTaskName(const ChainsHeader& chains);

// The series-type name the run description shows: the record's, or for a series made from an
// edited sequence the name of the kind it was processed as; null when there is none.
const char* shownSeriesTypeName(const ChainsHeader& chains);

// The header lines above the strips: run description (when stamped), series parameters,
// pulse count with bounds, and the true pulse list.
std::vector<std::string> resultHeaderLines(const ChainsHeader* chains, const SeriesHeader& series,
                                           int16_t amplitude);

// Whether pulse lists show etalon letters: the first detected etalon is known, or, for a
// stamped run, the task is not plain detection.
bool resultShowsLetters(const ChainsHeader* chains, const SeriesHeader& series);

// The result view: description, the three strips, the alphabet box, the text block with
// the chain table and, for tuple runs, the pattern tuple box (whose rows are recorded in
// subsetRowRect). Without a series only the work area outline is drawn. Returns 1.
int drawResultView(Window& window, Surface& surface, AppState& state, uint16_t etalonsInUse,
                   const uint16_t* etalonList, const ChainsHeader* chains, const SeriesHeader* series);

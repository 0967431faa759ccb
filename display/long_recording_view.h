#pragma once
// The result view of an opened recording longer than the workbench's series: the whole
// recording drawn with the least and greatest sample of each pixel column, the pulses of the
// last run marked, and how many samples each column holds.
#include <string>

#include "display/answer_plot.h"
#include "platform/geometry.h"

class Surface;
struct AppState;
struct OpenedFiles;

// The first line of the view: the file, its samples and factor, then what the last run gave
// ("12 pulses found", "etalon 3 recognized, 12 pulses", "no chain found", "not processed").
std::string longRecordingTitle(const OpenedFiles& opened);

// The picture of the view: the recording, the pulses found, the title; its samples are those of
// `opened`, which must outlive it.
AnswerPlot longRecordingPlot(const OpenedFiles& opened);

// The area the view is drawn in: the work area, right and bottom edges made exclusive.
Rect longRecordingArea(const Rect& workArea);

// Draws the view of state.opened into the work area of the last layout.
void drawLongRecordingView(Surface& surface, const AppState& state);

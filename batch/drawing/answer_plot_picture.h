#pragma once
// The picture of an answer (process --plot), drawn in the drawing plug-in.
#include <string>

#include "display/answer_plot.h"

// Draws the plot on a white kAnswerPlotWidth x kAnswerPlotHeight image with the window's glyphs
// and gives it as the bytes of a PNG file; false with the reason in problem.
bool drawAnswerPlotPicture(const AnswerPlot& plot, std::string& bytes, std::string& problem);

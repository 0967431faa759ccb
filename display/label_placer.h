#pragma once
#include <vector>

#include "platform/geometry.h"

// Keeps a row or column of text labels readable: a label that would overprint one already
// drawn is left out; the labels drawn keep their places.
class LabelPlacer {
 public:
  // Whether the label whose box is `box` (inclusive edges) may be drawn: it touches no box
  // drawn so far. When it may, the box counts as drawn from now on.
  bool place(const Rect& box);

 private:
  std::vector<Rect> drawn_;
};

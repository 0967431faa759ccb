#pragma once
#include "display/app_state.h"
#include "platform/geometry.h"

// Rectangles the commands invalidate. Invalidation rectangles have exclusive right and
// bottom edges, so an outline drawn on an edge needs the rectangle grown past it.

// `r` with its top raised by 10 pixels: the work area with the caption of its frame.
inline Rect raisedBy10(Rect r) {
  r.top -= 10;
  return r;
}

// `r` grown by `by` pixels at the right and the bottom.
inline Rect grownRightBottom(Rect r, int32_t by = 1) {
  r.right += by;
  r.bottom += by;
  return r;
}

// The work area raised by 10 and grown by 2, covering the outline drawn one pixel right of
// and below it.
inline Rect raisedWorkArea(const AppState& state) { return grownRightBottom(raisedBy10(state.layout.workArea), 2); }

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

// `r` grown by `by` pixels on every side: a reserved-subset row with the highlight of its
// entries, which reaches past the row's outline.
inline Rect grownAround(Rect r, int32_t by) {
  r.left -= by;
  r.top -= by;
  r.right += by;
  r.bottom += by;
  return r;
}

// The work area raised by 10 and grown by 2, covering the outline drawn one pixel right of
// and below it.
inline Rect raisedWorkArea(const AppState& state) { return viewArea(state.layout); }

// The button column: every place a bitmap button can take.
inline Rect buttonColumnArea(const Rect& client) {
  return Rect{client.right - 154, client.bottom - 168, client.right - 10, client.bottom - 10};
}

// The three choice panels (the third whether shown or not) with the titles across their top
// lines and their outlines.
inline Rect choicePanelsArea(const ScreenLayout& layout, const Rect& client) {
  const int32_t lh = layout.lineHeight;
  return Rect{layout.workArea.right + 10, layout.workArea.top - lh, client.right - 8,
              layout.workArea.top + 20 * lh + 2};
}

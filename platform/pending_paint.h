#pragma once
#include "platform/region.h"

class Surface;

// The paint model shared by every window: invalidations accumulate a region and an erase
// flag until the next paint, which takes them, fills the erased part white and clips the
// drawing to the region.
struct PendingPaint {
  Region region;
  bool erase = false;

  // Adds `r`, clipped to `client`; returns the part added (empty when nothing was added).
  Region add(const Rect& r, const Rect& client, bool eraseIt);
  // Takes the pending region, or returns false when nothing is pending. On true the surface
  // has its erased part filled white and its clip set to `taken`.
  bool take(Surface& surface, Region& taken);
};

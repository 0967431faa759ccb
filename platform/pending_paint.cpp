#include "platform/pending_paint.h"

#include "platform/surface.h"

Region PendingPaint::add(const Rect& r, const Rect& client, bool eraseIt) {
  Region added;
  added.add(r);
  added.intersect(client);
  if (added.empty()) return added;
  for (const Rect& piece : added.rects) region.add(piece);
  erase = erase || eraseIt;
  return added;
}

bool PendingPaint::take(Surface& surface, Region& taken) {
  if (region.empty()) return false;
  taken = region;
  const bool wasErased = erase;
  region.clear();
  erase = false;
  if (wasErased)
    for (const Rect& r : taken.rects) surface.fillRect(r, kWhite);
  surface.setClip(taken);
  return true;
}

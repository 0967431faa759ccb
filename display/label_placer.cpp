#include "display/label_placer.h"

bool LabelPlacer::place(const Rect& box) {
  for (const Rect& d : drawn_)
    if (box.left <= d.right && d.left <= box.right && box.top <= d.bottom && d.top <= box.bottom)
      return false;
  drawn_.push_back(box);
  return true;
}

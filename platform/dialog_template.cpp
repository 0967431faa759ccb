#include "platform/dialog_template.h"

const DialogControl* DialogTemplate::find(uint16_t controlId) const {
  for (const DialogControl& c : controls)
    if (c.id == controlId) return &c;
  return nullptr;
}

std::vector<uint16_t> radioGroupOf(const DialogTemplate& dialog, uint16_t id) {
  const auto& cs = dialog.controls;
  for (size_t i = 0; i < cs.size(); ++i) {
    if (cs[i].id != id || cs[i].kind != ControlKind::kRadioButton) continue;
    size_t first = i, last = i;
    while (first > 0 && cs[first - 1].kind == ControlKind::kRadioButton) --first;
    while (last + 1 < cs.size() && cs[last + 1].kind == ControlKind::kRadioButton) ++last;
    std::vector<uint16_t> group;
    for (size_t k = first; k <= last; ++k) group.push_back(cs[k].id);
    return group;
  }
  return {};
}

#include "display/gap_checks.h"

std::string minimalGapRefusal(uint32_t tmin, uint32_t tmax) {
  if (tmin == 0) return "Минимальный интервал должен быть больше 0!";
  if (tmax < tmin) return "Максимальный интервал не может быть меньше минимального!";
  return {};
}

#include "tests/support/made_recordings.h"

#include <algorithm>
#include <cmath>

std::vector<int16_t> halfSine(int n, double amplitude) {
  std::vector<int16_t> e(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    e[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * std::sin(M_PI * (i + 0.5) / n)));
  return e;
}

std::vector<int16_t> fullSine(int n, double amplitude) {
  std::vector<int16_t> e(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    e[static_cast<size_t>(i)] =
        static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * (i + 0.5) / n)));
  return e;
}

Planted plant(std::mt19937& rng, int64_t size, const std::vector<std::vector<int16_t>>& etalons, int64_t tmin,
              int64_t tmax, int noise, int64_t silentFrom, int64_t silentTo) {
  Planted out;
  out.x.assign(static_cast<size_t>(size), 0);
  const int64_t n = static_cast<int64_t>(etalons[0].size());
  std::uniform_int_distribution<int64_t> gap(tmin, tmax);
  for (int64_t p = std::uniform_int_distribution<int64_t>(0, tmax - n)(rng); p + n <= size; p += gap(rng)) {
    if (p + n > silentFrom && p <= silentTo) continue;
    const auto& e =
        etalons[static_cast<size_t>(std::uniform_int_distribution<size_t>(0, etalons.size() - 1)(rng))];
    for (int64_t i = 0; i < n; ++i) out.x[static_cast<size_t>(p + i)] = e[static_cast<size_t>(i)];
    out.origins.push_back(p);
  }
  std::normal_distribution<double> g(0.0, noise);
  for (int16_t& v : out.x) v = static_cast<int16_t>(std::lround(std::clamp(v + g(rng), -32767.0, 32767.0)));
  return out;
}

LongRequest plainRequest(const std::vector<int16_t>& x, const std::vector<std::vector<int16_t>>& etalons,
                         int32_t tmin, int32_t tmax, LongTask task) {
  LongRequest r;
  r.samples = x.data();
  r.size = static_cast<int64_t>(x.size());
  for (size_t t = 0; t < etalons.size(); ++t) {
    r.etalons.push_back(etalons[t].data());
    r.etalonNumbers.push_back(static_cast<int32_t>(t + 1));
  }
  r.n = static_cast<int32_t>(etalons[0].size());
  r.tmin = tmin;
  r.tmax = tmax;
  r.task = task;
  return r;
}

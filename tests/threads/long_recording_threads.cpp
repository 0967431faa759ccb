// The long-recording path on two threads, under ThreadSanitizer, which fails the test on any
// data race between the walk from the middle, the first thread's comparison, the shift and the
// margins taken as the backward values come, with the jumps the second thread makes ahead
// (the first thread also shifts the second one's values while it waits for it);
// the answers must equal the one thread's. Noisy pulses let the second thread's values be
// taken; silence makes the first thread do all. Two callers at once share the side thread:
// one of them gets threads of its own. Dense pulses give rows long enough to be made on two
// threads.
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "processing/long_recording.h"
#include "processing/processor_speeds.h"

namespace {

std::vector<int16_t> recording(std::mt19937& rng, const std::vector<int16_t>& etalon, bool silent,
                               size_t size = 300000, int longestGap = 181) {
  std::vector<int16_t> x(size, 0);
  if (silent) return x;
  std::normal_distribution<double> noise(0, 900);
  for (int16_t& v : x) v = static_cast<int16_t>(std::lround(noise(rng)));
  std::uniform_int_distribution<int> gap(40, longestGap);
  for (size_t p = 50; p + etalon.size() < x.size(); p += static_cast<size_t>(gap(rng)))
    for (size_t i = 0; i < etalon.size(); ++i) x[p + i] = static_cast<int16_t>(x[p + i] + etalon[i]);
  return x;
}

LongRequest requestFor(const std::vector<int16_t>& x, const std::vector<int16_t>& etalon, double penalty,
                       int threads) {
  LongRequest r;
  r.samples = x.data();
  r.size = static_cast<int64_t>(x.size());
  r.etalons = {etalon.data()};
  r.etalonNumbers = {1};
  r.n = 20;
  r.tmin = 40;
  r.tmax = 181;
  r.breakPenalty = penalty;
  r.threads = threads;
  return r;
}

bool sameAnswers(const LongAnswer& a, const LongAnswer& b) {
  return a.criterion == b.criterion && a.positions == b.positions && a.margins == b.margins;
}

}  // namespace

int main() {
  std::mt19937 rng(5);
  std::vector<int16_t> etalon(20);
  for (size_t i = 0; i < etalon.size(); ++i)
    etalon[i] =
        static_cast<int16_t>(std::lround(3000 * std::sin(M_PI * (static_cast<double>(i) + 0.5) / 20)));
  int failures = 0;
  for (bool silent : {false, true}) {
    const std::vector<int16_t> x = recording(rng, etalon, silent);
    for (double penalty : {std::numeric_limits<double>::infinity(), 0.5}) {
      LongAnswer answers[2];
      for (int threads : {1, 2}) {
        const LongRequest r = requestFor(x, etalon, penalty, threads);
        std::string error;
        if (!solveLongRecording(r, answers[threads - 1], error)) {
          std::fprintf(stderr, "%s\n", error.c_str());
          return 1;
        }
      }
      if (!sameAnswers(answers[0], answers[1])) {
        std::fprintf(stderr, "silent %d penalty %g: two threads answer otherwise\n", silent, penalty);
        ++failures;
      }
      if (silent) continue;
      // The first thread with its least share: it waits for the second one, adding the shift
      // to the values the second one has left behind.
      LongRequest least = requestFor(x, etalon, penalty, 2);
      least.firstThreadShare = kLeastShare;
      LongAnswer waited;
      std::string error;
      if (!solveLongRecording(least, waited, error) || !sameAnswers(waited, answers[0])) {
        std::fprintf(stderr, "penalty %g: the least share answers otherwise\n", penalty);
        ++failures;
      }
      LongAnswer atOnce[2];
      bool solved[2] = {false, false};
      std::thread callers[2];
      for (int c = 0; c < 2; ++c)
        callers[c] = std::thread([&, c] {
          std::string error;
          solved[c] = solveLongRecording(requestFor(x, etalon, penalty, 2), atOnce[c], error);
        });
      for (std::thread& caller : callers) caller.join();
      for (int c = 0; c < 2; ++c)
        if (!solved[c] || !sameAnswers(atOnce[c], answers[0])) {
          std::fprintf(stderr, "penalty %g: caller %d at once answers otherwise\n", penalty, c);
          ++failures;
        }
    }
  }
  // Dense pulses: more than 32,768 of them, whose rows are made on two threads at once.
  const std::vector<int16_t> dense = recording(rng, etalon, false, size_t{1} << 21, 60);
  LongAnswer rows[2];
  for (int threads : {1, 2}) {
    std::string error;
    if (!solveLongRecording(requestFor(dense, etalon, 0.5, threads), rows[threads - 1], error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
  }
  if (rows[0].positions.size() <= 32768 || !sameAnswers(rows[0], rows[1]) ||
      rows[0].etalons != rows[1].etalons) {
    std::fprintf(stderr, "dense pulses: %zu pulses, two threads answer otherwise\n",
                 rows[0].positions.size());
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}

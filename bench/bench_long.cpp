// The long-recording path on made recordings of 10^5 .. 10^7 samples (10^8 with --huge or
// DETECTION_BENCH_HUGE=1; --size S, --etalon n, --threads t and --repeats r pick one line for a profiler):
// one etalon of 20 or 64 samples, Tmin/Tmax 40/181 and 108/540, one and two threads of the matching step,
// time a sample and samples a second, the peak memory beyond the samples, and numpy's np.correlate of the
// same recording with the same etalon in the same run (bench/long_numpy.py under /usr/bin/python3).
// The runs of one and two threads alternate, so that both lines of a length are timed in the
// same minutes of a shared machine. Between them, from 10^6 samples on, two one-thread runs at
// once (line "1+1") show what the machine gives two threads at that moment: on a virtual
// machine the second processor may run well below the first while both are busy, which bounds
// any two-thread speed-up.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "processing/long_recording.h"

namespace {

std::vector<int16_t> halfSine(int n, double amplitude) {
  std::vector<int16_t> e(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    e[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(amplitude * std::sin(M_PI * (i + 0.5) / n)));
  return e;
}

// Pulses every tmin .. tmax samples in Gaussian noise, as a made recording.
std::vector<int16_t> recording(int64_t size, const std::vector<int16_t>& e, int tmin, int tmax,
                               unsigned seed) {
  std::vector<int16_t> x(static_cast<size_t>(size));
  std::mt19937 rng(seed);
  std::normal_distribution<float> noise(0.0f, 1500.0f);
  for (int16_t& v : x) v = static_cast<int16_t>(std::clamp(noise(rng), -32767.0f, 32767.0f));
  std::uniform_int_distribution<int> gap(tmin, tmax);
  const auto n = static_cast<int64_t>(e.size());
  for (int64_t p = gap(rng) % (tmax - n + 1); p + n <= size; p += gap(rng))
    for (int64_t i = 0; i < n; ++i)
      x[static_cast<size_t>(p + i)] = static_cast<int16_t>(
          std::clamp(x[static_cast<size_t>(p + i)] + e[static_cast<size_t>(i)], -32767, 32767));
  return x;
}

long peakKilobytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// One line of the table: the fastest of its runs, the processor seconds of that run (on a
// crowded machine the wall time counts the waits for a core; the processor time does not),
// and the growth of the peak resident size over its first run.
struct Line {
  double seconds = 1e30;
  double cpu = 0;
  long grewKilobytes = 0;
  LongAnswer answer;

  void run(const LongRequest& r, bool first) {
    std::string error;
    const long before = peakKilobytes();
    const double c0 = cpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    if (!solveLongRecording(r, answer, error)) {
      std::fprintf(stderr, "bench_long: %s\n", error.c_str());
      std::exit(1);
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < seconds) {
      seconds = s;
      cpu = cpuSeconds() - c0;
    }
    if (first) grewKilobytes = peakKilobytes() - before;
  }
};

// Two one-thread runs of the same request at once, each with its own answer: the fastest pair.
struct PairLine {
  double seconds = 1e30;
  LongAnswer answers[2];

  void run(const LongRequest& r) {
    LongRequest one = r;
    one.threads = 1;
    bool solved[2] = {false, false};
    std::string errors[2];
    const auto t0 = std::chrono::steady_clock::now();
    std::thread other([&] { solved[1] = solveLongRecording(one, answers[1], errors[1]); });
    solved[0] = solveLongRecording(one, answers[0], errors[0]);
    other.join();
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    for (int k = 0; k < 2; ++k)
      if (!solved[k]) {
        std::fprintf(stderr, "bench_long: %s\n", errors[k].c_str());
        std::exit(1);
      }
    seconds = std::min(seconds, s);
  }
};

// numpy's side of a line: the script on the scratch file, its output passed through.
bool runNumpy(const std::string& script, const std::string& file, int64_t size, int n) {
  std::fflush(stdout);
  const std::string sizeText = std::to_string(size), nText = std::to_string(n);
  const char* python = "/usr/bin/python3";
  char* const args[] = {const_cast<char*>(python),        const_cast<char*>(script.c_str()),
                        const_cast<char*>(file.c_str()),  const_cast<char*>(sizeText.c_str()),
                        const_cast<char*>(nText.c_str()), nullptr};
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    execv(python, args);
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool huge = std::getenv("DETECTION_BENCH_HUGE") != nullptr &&
              std::strcmp(std::getenv("DETECTION_BENCH_HUGE"), "0") != 0;
  bool numpy = true;
  int64_t onlySize = 0;     // --size S: that length only (for a profiler)
  int onlyEtalon = 0;       // --etalon n: that etalon length only
  double amplitude = 3000;  // --amplitude A: the etalon's peak (30000: 64-bit correlations)
  int onlyThreads = 0;      // --threads t: that number of threads only
  int repeats = 0;          // --repeats r: runs of each line (3, and 2 at 10^8)
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--huge") == 0) huge = true;
    if (std::strcmp(argv[i], "--no-numpy") == 0) numpy = false;
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) onlySize = std::atoll(argv[++i]);
    if (std::strcmp(argv[i], "--etalon") == 0 && i + 1 < argc) onlyEtalon = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--amplitude") == 0 && i + 1 < argc) amplitude = std::atof(argv[++i]);
    if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) onlyThreads = std::atoi(argv[++i]);
    if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc) repeats = std::max(1, std::atoi(argv[++i]));
  }
  std::vector<int64_t> sizes{100000, 1000000, 10000000};
  if (huge) sizes.push_back(100000000);
  if (onlySize > 0) sizes = {onlySize};
  struct Shape {
    int n, tmin, tmax;
  };
  const Shape shapes[] = {{20, 40, 181}, {64, 108, 540}};
  std::printf(
      "long-recording path: fastest of 3 runs (2 for 10^8), those of 1 and 2 threads alternating; margins "
      "included; a shared machine is noisy\n"
      "1+1: two one-thread runs at once, their throughput over one run's (what the machine gives two "
      "threads)\n");
  std::printf("%11s %3s %8s %3s %12s %14s %12s %14s %8s %12s\n", "samples", "n", "Tmin/max", "thr",
              "ns/sample", "samples/s", "bytes/sample", "pulses", "2thr x", "cpu ns/smp");
  const std::string script = std::string(DETECTION_SOURCE_DIR) + "/bench/long_numpy.py";
  for (const Shape& shape : shapes) {
    if (onlyEtalon != 0 && shape.n != onlyEtalon) continue;
    for (int64_t size : sizes) {
      const std::vector<int16_t> e = halfSine(shape.n, amplitude);
      const std::vector<int16_t> x = recording(size, e, shape.tmin, shape.tmax, 7);
      LongRequest r;
      r.samples = x.data();
      r.size = size;
      r.etalons = {e.data()};
      r.etalonNumbers = {1};
      r.n = shape.n;
      r.tmin = shape.tmin;
      r.tmax = shape.tmax;
      std::vector<int> counts;
      for (int threads : {1, 2})
        if (onlyThreads == 0 || threads == onlyThreads) counts.push_back(threads);
      std::vector<Line> lines(counts.size());
      const bool pairs = counts.size() == 2 && size >= 1000000;
      PairLine pair;
      const int runs = repeats > 0 ? repeats : size >= 100000000 ? 2 : 3;
      for (int k = 0; k < runs; ++k) {
        for (size_t i = 0; i < counts.size(); ++i) {
          r.threads = counts[i];
          lines[i].run(r, k == 0);
        }
        if (pairs) pair.run(r);
      }
      double one = 0;
      for (size_t i = 0; i < counts.size(); ++i) {
        const int threads = counts[i];
        const Line& line = lines[i];
        const double s = line.seconds;
        if (threads == 1) one = s;
        const double perSample = s * 1e9 / static_cast<double>(size);
        // The growth of the peak resident size over the first run (0 when an earlier run reached it).
        const double bytes = static_cast<double>(line.grewKilobytes) * 1024.0 / static_cast<double>(size);
        char speedup[32] = "";
        if (threads == 2 && one > 0) std::snprintf(speedup, sizeof speedup, "%.2f", one / s);
        char tm[16];
        std::snprintf(tm, sizeof tm, "%d/%d", shape.tmin, shape.tmax);
        std::printf("%11lld %3d %8s %3d %12.2f %14.3e %12.1f %14zu %8s %12.2f\n",
                    static_cast<long long>(size), shape.n, tm, threads, perSample,
                    static_cast<double>(size) / s, bytes, line.answer.positions.size(), speedup,
                    line.cpu * 1e9 / static_cast<double>(size));
        std::fflush(stdout);
      }
      if (pairs) {
        // Per sample of both runs; "2thr x" here is the throughput of the pair over one run's.
        char tm[16], speedup[32];
        std::snprintf(tm, sizeof tm, "%d/%d", shape.tmin, shape.tmax);
        std::snprintf(speedup, sizeof speedup, "%.2f", 2 * one / pair.seconds);
        std::printf("%11lld %3d %8s %3s %12.2f %14.3e %12s %14zu %8s %12s\n", static_cast<long long>(size),
                    shape.n, tm, "1+1", pair.seconds * 1e9 / (2 * static_cast<double>(size)),
                    2 * static_cast<double>(size) / pair.seconds, "", pair.answers[0].positions.size(),
                    speedup, "");
        std::fflush(stdout);
      }
      if (numpy) {
        // A scratch file of its own (created, never opened where another may have put one).
        const char* tmp = std::getenv("TMPDIR");
        std::string file = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bench_long_XXXXXX";
        const int fd = mkstemp(file.data());
        if (fd < 0) {
          std::printf("%11s numpy comparison skipped: no scratch file\n", "");
          continue;
        }
        bool written = false;
        if (std::FILE* f = fdopen(fd, "wb"); f != nullptr) {
          written = std::fwrite(x.data(), sizeof(int16_t), x.size(), f) == x.size() &&
                    std::fwrite(e.data(), sizeof(int16_t), e.size(), f) == e.size();
          written = std::fclose(f) == 0 && written;
        } else {
          close(fd);
        }
        if (!written || !runNumpy(script, file, size, shape.n))
          std::printf("%11s numpy comparison failed\n", "");
        std::remove(file.c_str());
      }
    }
  }
  return 0;
}

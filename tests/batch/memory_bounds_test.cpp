// What a reader allocates is bounded by the file it reads: forged shard files that declare
// huge grids are refused at once, and large JSON inputs under an address-space limit end with
// one line and status 1, never with an abort (Linux fault injection).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "batch_runner.h"
#include "files/simulation_result.h"
#include "tests/support/simulation_grid.h"

namespace {

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A result of a grid of `pulses` x `levels` cells holding the given cells, with a fingerprint
// and checksum that match: what a forger who recomputes them writes.
std::string forged(size_t pulses, size_t levels, uint32_t shard, uint32_t shards,
                   const std::vector<uint32_t>& cells) {
  // Pulse counts 0 to 32767 and round again, noise levels from -32768 up.
  SimulationResult r = simulationGrid(pulses, 0, levels, -32768, 1);
  for (const uint32_t c : cells) r.cells.push_back({c, 1, 2, 3});
  r.shard = shard;
  r.shards = shards;
  return simulationResultJson(r);
}

// The smallest address-space limit (in MB) at which the program starts at all.
uint64_t startingLimit() {
  static const uint64_t found = [] {
    for (uint64_t mb = 4; mb <= 512; mb += 4) {
      BatchConditions limited;
      limited.addressSpaceLimit = mb << 20;
      if (runBatch({"alphabet"}, limited).status == 0) return mb;
    }
    return uint64_t{0};
  }();
  return found;
}

bool sanitized() { return std::getenv("DETECTION_SANITIZED") != nullptr; }

TEST(BatchForgedShards, AGridLargerThanItsFileIsRefusedAtOnceNamingTheNumbers) {
  struct Case {
    size_t pulses, levels;
    std::string says;
  };
  // 67 million cells in about 600 KB, and 2.1 billion (51 GB of cells) in about 900 KB.
  const Case cases[] = {{65535, 1024,
                         "holds 3 cells, but shard 1 of 1 of a grid of 67107840 cells (65535 "
                         "pulse counts x 1024 noise levels) holds 67107840"},
                        {65535, 32768, "of a grid of 2147450880 cells"}};
  BatchConditions limited;
  if (!sanitized() && startingLimit() != 0) limited.addressSpaceLimit = (startingLimit() + 64) << 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pulses * c.levels);
    const std::string path = temporaryPath("forged-" + std::to_string(c.levels) + ".json");
    writeText(path, forged(c.pulses, c.levels, 1, 1, {0, 1, 2}));
    const auto start = std::chrono::steady_clock::now();
    const BatchResult r = runBatch({"merge", path}, limited);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
}

TEST(BatchForgedShards, AFewCellsOfAHugeGridAreFoundMissingWithoutATableOfTheGrid) {
  // Shard 1 of 2^24 of 67 million cells holds cells 0, 2^25 - 1 and 2^25: a legal, small file.
  const uint32_t shards = 1u << 24;
  const std::string path = temporaryPath("one-of-many.json");
  writeText(path, forged(65535, 1024, 1, shards, {0, 2 * shards - 1, 2 * shards}));
  BatchConditions limited;
  if (!sanitized() && startingLimit() != 0) limited.addressSpaceLimit = (startingLimit() + 64) << 20;
  const BatchResult r = runBatch({"merge", path}, limited);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("67107837 of 67107840 cells are in no part: cell 1 (pulses 0, noise level -32767), "
                       "cell 2 (pulses 0, noise level -32766)"),
            std::string::npos)
      << r.err;
  // The same part with a cell of another shard's share given twice is refused for the duplicate.
  const std::string twice = temporaryPath("twice.json");
  writeText(twice, forged(65535, 1024, 2, shards, {1, 2 * shards - 2, 2 * shards + 1}));
  const std::string again = temporaryPath("again.json");
  writeText(again, forged(65535, 1024, 2, shards, {1, 2 * shards - 2, 2 * shards + 1}));
  const BatchResult dup = runBatch({"merge", path, twice, again}, limited);
  EXPECT_EQ(dup.status, 1) << dup.err;
  EXPECT_NE(dup.err.find("cell 1 (pulses 0, noise level -32767) is in both \"" + twice + "\" and \"" + again),
            std::string::npos)
      << dup.err;
}

// Each run under the limits either succeeds or ends with status 1 and one of the expected
// lines; an abort (the library's destructor failing to allocate) fails the test.
void expectCleanEndsUnderLimits(const std::vector<std::string>& args, const std::vector<std::string>& lines,
                                uint64_t fromMb, uint64_t toMb, uint64_t stepMb) {
  int failures = 0;
  for (uint64_t mb = fromMb; mb <= toMb; mb += stepMb) {
    SCOPED_TRACE(std::to_string(mb) + " MB");
    BatchConditions limited;
    limited.addressSpaceLimit = mb << 20;
    const BatchResult r = runBatch(args, limited);
    if (r.status == 0) continue;
    // Below the size of the loader's own needs the program cannot start at all.
    if (r.status == 127 && r.err.find("error while loading shared libraries") != std::string::npos) continue;
    ++failures;
    EXPECT_EQ(r.status, 1) << r.err;
    bool expected = false;
    for (const std::string& line : lines) expected = expected || r.err.find(line) != std::string::npos;
    EXPECT_TRUE(expected) << r.err;
    EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;
  }
  EXPECT_GT(failures, 0) << "no limit made the run fail";
}

TEST(BatchMemory, LargeJsonInputsEndWithAMessageUnderAMemoryLimit) {
  if (sanitized())
    GTEST_SKIP() << "the address sanitizer reserves far more address space than any limit here";
  const uint64_t start = startingLimit();
  ASSERT_NE(start, 0u) << "detection-batch alphabet does not start under 512 MB";
  // A series document of 12 million samples (24 MB): read without building the document, it
  // is refused for its length, or for memory, never aborted.
  std::string series = "{\"lpNoisyData\": [";
  series.reserve(24u << 20);
  for (int i = 0; i < 12000000; ++i) series += i == 0 ? "1" : ",1";
  series += "]}";
  const std::string seriesPath = temporaryPath("large-series.json");
  writeText(seriesPath, series);
  series.clear();
  series.shrink_to_fit();
  expectCleanEndsUnderLimits(
      {"process", "--input", seriesPath},
      // Just above the loader's needs the shortage may come while the options are read.
      {"12000000 samples, more than the 32,767", "memory ran out while making the series of the input file",
       "memory ran out while making the options", "not enough memory to read", "Cannot allocate memory"},
      start > 8 ? start - 4 : 4, start + 60, 8);
  // Its segment is read within the same limits.
  BatchConditions limited;
  limited.addressSpaceLimit = (start + 40) << 20;
  const BatchResult segment =
      runBatch({"process", "--input", seriesPath, "--from", "11990000", "--count", "2000"}, limited);
  EXPECT_EQ(segment.status, 0) << segment.err;
  EXPECT_EQ(parseOutput(segment)["input"]["count"], 2000);

  // A whole simulation result of 250,000 cells (about 40 MB) is read as a document; when memory
  // runs out while it is built, it is taken apart without the library's allocating destructor.
  std::vector<uint32_t> cells(250000);
  for (uint32_t c = 0; c < cells.size(); ++c) cells[c] = c;
  const std::string resultPath = temporaryPath("large-result.json");
  writeText(resultPath, forged(500, 500, 1, 1, cells));
  expectCleanEndsUnderLimits({"merge", resultPath, "--csv", temporaryPath("large.csv")},
                             {"not enough memory to read", "memory ran out while making the merged result"},
                             start + 20, start + 180, 40);
}

}  // namespace

#include "processing/chain_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "processing/long_position_sets.h"
#include "processing/processor_speeds.h"

namespace {

struct PassResult {
  std::vector<int64_t> value;  // as read, the shift added
  std::vector<int32_t> link;
  int64_t shiftedFrom = 0;  // where the stored values were the second thread's
};

// A forward pass with breaks over the given scores, one per position.
PassResult passOver(const std::vector<int64_t>& score, int64_t tmin, int64_t tmax, int64_t breakCost,
                    int threads, double share) {
  const int64_t top = static_cast<int64_t>(score.size()) - 1;
  const std::vector<Piece> pieces = forwardPieces(LongPositionSets{}, top, tmax, 1, breakCost);
  ChainPassInput in;
  in.pieces = &pieces;
  in.top = top;
  in.tmin = tmin;
  in.tmax = tmax;
  in.breakCost = breakCost;
  in.threads = threads;
  in.firstShare = share;
  in.scores = [&](int64_t first, int64_t count, int64_t* out, ScoreRows&) {
    std::copy(score.begin() + first, score.begin() + first + count, out);
  };
  PassResult r;
  r.value.resize(score.size());
  r.link.resize(score.size());
  const PassOutcome pass = runChainPass(in, r.value.data(), r.link.data());
  const KeptValues kept{r.value.data(), pass.shiftFrom, pass.shift};
  for (int64_t p = 0; p <= top; ++p) r.value[static_cast<size_t>(p)] = kept.at(p);
  r.shiftedFrom = pass.shiftFrom;
  return r;
}

}  // namespace

// Pulses every 100 positions, a stretch of very bad positions longer than tmax just before
// where the second thread begins, a long stretch of slightly good ones, then strong pulses. From
// the middle on the second thread's chains take the true ones' steps, a constant apart. But
// after the bad stretch the true values stay above the last pulse's, so the threads cannot yet
// be shown to agree (a break to that pulse may still win); they are shown to agree once the
// strong pulses bring the true values below it. The values read with the shift the pass
// reports are the one thread's.
TEST(ChainPassTest, TheThreadsAgreeOnlyOnceTheTrueValuesAllowIt) {
  const int64_t size = 32 * kPassChunk, tmin = 40, tmax = 181;
  const int64_t breakCost = int64_t{1} << 40;  // far above any chain: breaks never pay
  for (const double share : {kLeastShare, 0.5}) {
    const int64_t middle = passMiddle(size - 1, share);
    const int64_t badFrom = middle - 200, strongFrom = middle + 2 * kPassChunk + 5000;
    std::vector<int64_t> score(static_cast<size_t>(size));
    for (int64_t p = 0; p < size; ++p) {
      int64_t& s = score[static_cast<size_t>(p)];
      if (p < badFrom)
        s = (badFrom - 1 - p) % 100 == 0 ? -1000 : 1000;
      else if (p < middle)
        s = 1000000;
      else if (p < strongFrom)
        s = -1;
      else
        s = (p - strongFrom) % 100 == 0 ? -100000 : -1;
    }
    const PassResult one = passOver(score, tmin, tmax, breakCost, 1, 0);
    for (int run = 0; run < 5; ++run) {
      const PassResult two = passOver(score, tmin, tmax, breakCost, 2, share);
      ASSERT_EQ(two.value, one.value) << "share " << share << ", run " << run;
      ASSERT_EQ(two.link, one.link) << "share " << share << ", run " << run;
      // The second thread's values were taken, from past the strong pulses' start.
      EXPECT_GT(two.shiftedFrom, strongFrom) << "share " << share;
      EXPECT_LE(two.shiftedFrom, size - 1) << "share " << share;
    }
  }
}

// Where the chains agree at once, the first thread takes the second one's values from a block
// or two past the middle, not from the end of the first chunk, and they are the one thread's.
TEST(ChainPassTest, ThreadsThatAgreeAtOnceAreComparedABlockAtATime) {
  const int64_t size = 32 * kPassChunk, tmin = 40, tmax = 181;
  std::vector<int64_t> score(static_cast<size_t>(size));
  for (int64_t p = 0; p < size; ++p) score[static_cast<size_t>(p)] = p % 97 == 0 ? -1000 : 1000;
  for (const int64_t breakCost : {int64_t{1} << 40, int64_t{5000}}) {
    const PassResult one = passOver(score, tmin, tmax, breakCost, 1, 0);
    const PassResult two = passOver(score, tmin, tmax, breakCost, 2, 0.5);
    ASSERT_EQ(two.value, one.value) << breakCost;
    ASSERT_EQ(two.link, one.link) << breakCost;
    const int64_t middle = passMiddle(size - 1, 0.5);
    EXPECT_GT(two.shiftedFrom, middle + tmax) << breakCost;
    EXPECT_LT(two.shiftedFrom, middle + kPassChunk / 4) << breakCost;
  }
}

// On two threads a pass that keeps its values makes the first of them on the side thread, and
// one that hands them over (the margins' pass, which runs backwards over the recording) its
// last ones there: either way the start of the recording is the side thread's, as in the walk
// down the chain, so that each processor reads what it wrote itself. What the part on the side
// thread throws reaches the caller.
TEST(ChainPassTest, TheStartOfTheRecordingIsTheSideThreads) {
  const int64_t size = 16 * kPassChunk, tmin = 40, tmax = 181;
  const int64_t breakCost = int64_t{1} << 40;  // breaks never pay
  const std::vector<Piece> pieces = forwardPieces(LongPositionSets{}, size - 1, tmax, 1, breakCost);
  const int64_t middle = passMiddle(size - 1, 0.5);
  const std::thread::id caller = std::this_thread::get_id();
  for (const bool handsOver : {false, true}) {
    std::mutex mutex;
    std::vector<std::pair<int64_t, std::thread::id>> scored;  // a chunk's first position, its thread
    ChainPassInput in;
    in.pieces = &pieces;
    in.top = size - 1;
    in.tmin = tmin;
    in.tmax = tmax;
    in.breakCost = breakCost;
    in.threads = 2;
    in.firstShare = 0.5;
    in.scores = [&](int64_t first, int64_t count, int64_t* out, ScoreRows&) {
      for (int64_t p = first; p < first + count; ++p) out[p - first] = p % 97 == 0 ? -1000 : 1000;
      std::lock_guard<std::mutex> lock(mutex);
      scored.emplace_back(first, std::this_thread::get_id());
    };
    std::vector<int64_t> value;
    if (handsOver) {
      in.handOver = [](const int64_t*, int64_t, int64_t, int64_t) {};
      in.handOverShifted = [](const int64_t*, int64_t, int64_t, int64_t, int64_t) {};
      in.side = [](const int64_t*, int64_t, int64_t, int64_t) {};
    } else {
      value.resize(static_cast<size_t>(size));
    }
    const PassOutcome pass = runChainPass(in, handsOver ? nullptr : value.data(), nullptr);
    ASSERT_EQ(pass.secondFrom, middle);
    EXPECT_EQ(pass.secondOnCaller, !handsOver);
    bool callerAfterMiddle = false, sideAfterMiddle = false;
    for (const auto& [first, thread] : scored) {
      if (first < middle)
        EXPECT_EQ(thread == caller, handsOver) << "hands over " << handsOver << ", chunk at " << first;
      else
        (thread == caller ? callerAfterMiddle : sideAfterMiddle) = true;
    }
    EXPECT_TRUE(handsOver ? sideAfterMiddle : callerAfterMiddle) << handsOver;

    // A failure in the first part.
    in.scores = [](int64_t first, int64_t, int64_t*, ScoreRows&) {
      if (first == 0) throw std::length_error("first part");
    };
    EXPECT_THROW(runChainPass(in, handsOver ? nullptr : value.data(), nullptr), std::length_error)
        << handsOver;
  }
}

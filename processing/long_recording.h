#pragma once
// Detection, joint detection and identification, and recognition of an unknown number of
// whole pulses in a recording of any length, with 64-bit criteria that never wrap.
//
// The chain model is the unknown-number solvers' own (same position sets, same values, same
// tie-breaks, through the same kernel, processing/chain_kernel.h); only the widths differ:
// positions up to 2^31 - 1, criteria in 64 bits. On a series both accept whose criteria stay
// within the 32-bit world, the answers are identical.
//
// Optional breaks: with a finite break penalty P, a gap longer than tmax, a first pulse later
// than the first pulses may start or a last pulse earlier than the last ones may start costs
// P x E (E the largest energy among the etalons of the run, per candidate in recognition)
// instead of being forbidden; a recording may then also be answered with no pulse at all
// (costing P x E). tmin always holds.
//
// Memory: the values (8 bytes) of every start position, and with breaks their links (4 bytes);
// without breaks the chain is traced back through the values themselves. The backward pass of
// the margins keeps only its latest values, on each thread: 8 bytes a sample beyond the
// samples without breaks, 12 with them, on one thread or two. Time: linear in the length
// (the matching step n products a position and etalon, the windows a few operations a
// position). On two threads every pass also runs from the middle on (processing/chain_pass.h)
// and the margins are shared; the answer is the same on one thread or two.
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

class MessageSink;

// Longest recording the path takes: start positions are 32-bit.
constexpr int64_t kMaxLongRecording = 2147483647;

enum class LongTask : uint8_t {
  kDetect,     // one etalon, or joint detection and identification with several
  kRecognize,  // which etalon of the list makes up the whole recording
};

struct LongRequest {
  const int16_t* samples = nullptr;
  int64_t size = 0;
  std::vector<const int16_t*> etalons;  // each n samples
  std::vector<int32_t> etalonNumbers;   // 1-based numbers reported for them
  int32_t n = 0;
  int32_t tmin = 0;
  int32_t tmax = 0;
  LongTask task = LongTask::kDetect;
  double breakPenalty = std::numeric_limits<double>::infinity();
  bool margins = true;
  // Threads: 0 takes the machine's cores. At most two work: the second starts every pass near
  // the middle (firstThreadShare) and shares the margins (the answer does not depend on it).
  int threads = 0;
  // On two threads, the first one's share of every pass and of the chain walk (0: by the speeds
  // measured on the processors they run on). Tests fix it; the answer does not depend on it.
  double firstThreadShare = 0;
  // Detection of a known number of pulses (0: an unknown number): exactly this many pulses,
  // pulse j starting within its admissible range (signal/pulse_bounds.h), without breaks or
  // margins. Its cost grows with the length: one 8-byte value for every pulse and every start it
  // may take (longKnownNumberValues), at most kMaxLongKnownValues.
  int64_t pulses = 0;
};

// Most values (pulse, start) known-number detection keeps: 2^27, 1 GiB of 64-bit criteria.
constexpr uint64_t kMaxLongKnownValues = uint64_t{1} << 27;

// The values known-number detection keeps for q pulses of n samples in a recording of `size`
// samples: the sum over the pulses of the starts each may take.
uint64_t longKnownNumberValues(int64_t size, int64_t n, int64_t tmin, int64_t tmax, int64_t q);

// Why q = pulses known pulses of n samples cannot be detected in size samples with Tmin and
// Tmax (too many to fit, or a table beyond kMaxLongKnownValues), or empty. Tmin is at least 1.
std::string longKnownNumberProblem(int64_t size, int64_t n, int64_t tmin, int64_t tmax, int64_t pulses);

struct LongAnswer {
  std::vector<int64_t> positions;  // start positions, ascending
  std::vector<int32_t> etalons;    // 1-based etalon numbers
  std::vector<double> margins;     // per pulse, in units of the etalon's energy (empty without margins)
  bool found = false;              // a chain (possibly of no pulse, with breaks) was accepted
  int64_t criterion = 0;           // its value
  int32_t recognized = 0;          // recognition: the etalon found (0: none)
  std::vector<int64_t> candidateCriteria;  // recognition: each candidate's best value
  std::vector<bool> candidateFound;        // recognition: whether the candidate gave a chain
};

// The threads a request asking for `asked` gets (1 or 2).
int longRecordingThreads(int asked);

// Whether the path answers a run of the workbench's effective task type on its series type:
// detection (1), recognition (2) and joint detection and identification (4) of an unknown
// number of whole pulses (series type 4), and detection and joint detection of a known number
// (series type 1).
bool longRecordingAnswers(uint16_t effectiveTaskType, uint16_t seriesType);

// Why a request cannot be run (empty: it can): sizes, the etalons, the distances, the range
// of the criteria. Names the limit and what to do.
std::string longRequestProblem(const LongRequest& request);

// Runs the request. Returns true with the answer; false when the request has a problem (the
// reason in error) or memory is short (a message in error that says so); never throws. The
// answer's rows keep their storage from call to call (a caller solving recording after
// recording into one answer maps no fresh memory for them); nothing else of an earlier answer
// stays.
bool solveLongRecording(const LongRequest& request, LongAnswer& answer, std::string& error);

// The same, reporting a failure through the sink as a message box.
bool solveLongRecording(MessageSink& sink, const LongRequest& request, LongAnswer& answer);

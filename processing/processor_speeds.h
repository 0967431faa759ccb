#pragma once
// How fast the processors lately ran the threads of the two-thread passes, relative to each
// other. The processors of a machine need not be equally fast (a virtual machine's share of a
// core comes and goes), and a pass split in the middle waits for its slower thread: the
// passes split where both threads should finish together.

// The kinds of split work, with rates of their own: the two threads' parts cost differently in
// each (the second thread of a pass that keeps its values also measures its choices; one that
// hands its values over also does work of its own with them).
enum class SplitWork { kValuesKept, kValuesHandedOver };

// A pass's two threads made rateA and rateB positions a second, each on one processor
// throughout (a and b, different).
void recordProcessorRates(SplitWork work, int a, double rateA, int b, double rateB);

// The share of work's positions for a thread on processor a beside one on processor b: from
// rates recorded for that work within the last second (else for another work), between
// kLeastShare and 1 - kLeastShare; 0.5 when none are known.
double processorShare(SplitWork work, int a, int b);
constexpr double kLeastShare = 0.35;

// The calling thread's share of work it splits with a second thread: `fixed` when above 0
// (within the same bounds), else processorShare of its processor and the other one.
double callerShare(double fixed, SplitWork work);

// The same for the side thread's share of work the calling thread splits with it.
double sideShare(double fixed, SplitWork work);

// The processor the calling thread runs on, or -1 where the system does not tell.
int currentProcessor();

// The processor a second thread gets beside the calling one when the process may run on
// exactly two, or -1.
int otherProcessor(int mine);

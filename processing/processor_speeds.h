#pragma once
// How fast the processors lately ran the threads of the two-thread passes, relative to each
// other. The processors of a machine need not be equally fast (a virtual machine's share of a
// core comes and goes), and a pass split in the middle waits for its slower thread: the
// passes split where both threads should finish together.

// A pass's two threads made rateA and rateB positions a second, each on one processor
// throughout (a and b, different).
void recordProcessorRates(int a, double rateA, int b, double rateB);

// The share of a pass's positions for a thread on processor a beside one on processor b: from
// rates recorded within the last second, between kLeastShare and 1 - kLeastShare; 0.5 when
// they are not known.
double processorShare(int a, int b);
constexpr double kLeastShare = 0.35;

// The calling thread's share of work it splits with a second thread: `fixed` when above 0
// (within the same bounds), else processorShare of its processor and the other one.
double callerShare(double fixed);

// The processor the calling thread runs on, or -1 where the system does not tell.
int currentProcessor();

// The processor a second thread gets beside the calling one when the process may run on
// exactly two, or -1.
int otherProcessor(int mine);

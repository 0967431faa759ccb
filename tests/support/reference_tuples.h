#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Literal implementations of the four tuple solvers: plain nested loops, every score summed
// and every window minimum scanned directly, nothing shared between positions or phases. They take the same
// arguments and give the same results as the production solvers of processing/fixed_tuples.h and
// processing/unfixed_tuples.h, including the refusals and the verbose dumps, but no memory-failure handling.

int referenceDetectFixedTuples(MessageSink& window, const PulseHeader* alphabet, int32_t tupleSize,
                               const int32_t* tuple, uint16_t subsetProceeding, uint16_t tmin, uint16_t tmax,
                               uint16_t level, ChainsHeader* chains, SeriesHeader* series);

int32_t referenceRecognizeFixedTuples(MessageSink& window, const PulseHeader* alphabet,
                                      const int32_t* subsetSizes, const int32_t* const* subsets,
                                      int32_t subsetCount, uint16_t subsetProceeding, uint16_t tmin,
                                      uint16_t tmax, uint16_t level, ChainsHeader* chains,
                                      SeriesHeader* series);

int referenceDetectUnfixedTuples(MessageSink& window, const PulseHeader* alphabet, int32_t tupleSize,
                                 const int32_t* tuple, uint16_t subsetProceeding, uint16_t tmin,
                                 uint16_t tmax, uint16_t level, ChainsHeader* chains, SeriesHeader* series,
                                 int32_t& verboseTuples);

int32_t referenceRecognizeUnfixedTuples(MessageSink& window, const PulseHeader* alphabet,
                                        const int32_t* subsetSizes, const int32_t* const* subsets,
                                        int32_t subsetCount, uint16_t subsetProceeding, uint16_t tmin,
                                        uint16_t tmax, uint16_t level, ChainsHeader* chains,
                                        SeriesHeader* series, int32_t& verboseTuples);

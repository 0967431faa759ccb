#pragma once
#include <cstdint>

class MessageSink;
struct PulseHeader;
struct ChainsHeader;
struct SeriesHeader;

// Literal implementations of the detection and recognition solvers, written line by line
// from the description of the algorithms: full criterion tables, the best fragment searched
// anew for every pulse index, every window minimum and every score summed directly, chains
// inserted by their own ranked insertion. Same arguments and results as the production
// solvers of processing/fixed_detection.h, processing/unfixed_detection.h and
// processing/recognition.h for admissible input; no refusals and no memory-failure handling.

int referenceDetectFixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                               const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                               ChainsHeader* chains, SeriesHeader* series);

int referenceDetectUnfixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                                 const uint16_t* etalonList, uint16_t tmin, uint16_t tmax, uint16_t level,
                                 ChainsHeader* chains, SeriesHeader* series);

int32_t referenceRecognizeFixedPulses(MessageSink& window, const PulseHeader* alphabet, uint16_t etalonCount,
                                      const uint16_t* etalonList, uint16_t tmin, uint16_t tmax,
                                      uint16_t level, ChainsHeader* chains, SeriesHeader* series);

uint16_t referenceRecognizeUnfixedPulses(MessageSink& window, const PulseHeader* alphabet,
                                         uint16_t etalonCount, const uint16_t* etalonList, uint16_t tmin,
                                         uint16_t tmax, uint16_t level, ChainsHeader* chains,
                                         SeriesHeader* series);

// The literal best-fragment search at position p over the etalon list: the score, the
// 0-based alphabet index of the etalon and the kept part.
struct ReferenceFragment {
  int32_t score = 0;
  int32_t etalonIndex = 0;
  int32_t begin = 0;
  int32_t end = 0;
};
ReferenceFragment referenceBestFragment(const PulseHeader* alphabet, uint16_t etalonCount,
                                        const uint16_t* etalonList, uint16_t n, uint16_t level,
                                        const int16_t* x, int32_t p);

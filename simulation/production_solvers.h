#pragma once
#include <cstdint>

class MessageSink;
struct ChainsHeader;
struct PulseHeader;
struct SeriesHeader;

// The eight solvers a simulation may call, by role. The production table holds the solvers of
// processing/; a benchmark or a test may pass other implementations with the same contracts.
struct SimulationSolvers {
  int (*detectFixedPulses)(MessageSink&, const PulseHeader*, uint16_t, const uint16_t*, uint16_t, uint16_t,
                           uint16_t, ChainsHeader*, SeriesHeader*) = nullptr;
  int (*detectUnfixedPulses)(MessageSink&, const PulseHeader*, uint16_t, const uint16_t*, uint16_t, uint16_t,
                             uint16_t, ChainsHeader*, SeriesHeader*) = nullptr;
  int32_t (*recognizeFixedPulses)(MessageSink&, const PulseHeader*, uint16_t, const uint16_t*, uint16_t,
                                  uint16_t, uint16_t, ChainsHeader*, SeriesHeader*) = nullptr;
  uint16_t (*recognizeUnfixedPulses)(MessageSink&, const PulseHeader*, uint16_t, const uint16_t*, uint16_t,
                                     uint16_t, uint16_t, ChainsHeader*, SeriesHeader*) = nullptr;
  int (*detectFixedTuples)(MessageSink&, const PulseHeader*, int32_t, const int32_t*, uint16_t, uint16_t,
                           uint16_t, uint16_t, ChainsHeader*, SeriesHeader*) = nullptr;
  int (*detectUnfixedTuples)(MessageSink&, const PulseHeader*, int32_t, const int32_t*, uint16_t, uint16_t,
                             uint16_t, uint16_t, ChainsHeader*, SeriesHeader*, int32_t&) = nullptr;
  int32_t (*recognizeFixedTuples)(MessageSink&, const PulseHeader*, const int32_t*, const int32_t* const*,
                                  int32_t, uint16_t, uint16_t, uint16_t, uint16_t, ChainsHeader*,
                                  SeriesHeader*) = nullptr;
  int32_t (*recognizeUnfixedTuples)(MessageSink&, const PulseHeader*, const int32_t*, const int32_t* const*,
                                    int32_t, uint16_t, uint16_t, uint16_t, uint16_t, ChainsHeader*,
                                    SeriesHeader*, int32_t&) = nullptr;
};

// The production solvers of processing/.
const SimulationSolvers& productionSolvers();

#pragma once
#include <cstdint>

// Largest working block (in 32-bit values) a solver asks for; a larger request is treated
// as an allocation failure, with the solver's memory message.
constexpr uint64_t kMaxSolverWorkingValues = uint64_t{1} << 27;

// Longest series the workbench takes anywhere (the window, the simulation, the user's files, the
// companion and the module): the solvers keep start positions as signed 16-bit values.
constexpr uint32_t kMaxSolverSeriesSize = 32767;

// 32-bit two's-complement sum, as the criteria are summed (no signed overflow).
inline int32_t wrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

#pragma once
#include <cstddef>

// The huge pages large working arrays are mapped in (processing/long_recording_work.h): their
// first touch costs a fault per 2 MB rather than per 4 KB.
constexpr size_t kHugePageBytes = size_t{2} << 20;

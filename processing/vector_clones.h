#pragma once

// Machines with 256-bit integer vectors get a copy of a marked loop compiled for them, chosen
// once at load time (the same integer results either way). Only GCC: clang's clones of a
// function called from another file leave the linker without the function's plain name. Not
// under ThreadSanitizer, whose checks in the load-time choice run before it has started.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define DETECTION_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define DETECTION_VECTOR_CLONES
#endif

#pragma once

// The multiplier of random and differential test counts: the environment variable
// DETECTION_TEST_SCALE when it holds a positive number, else 1. A fraction makes a quick run
// (scripts/test sets 0.1; scripts/test --full leaves 1), a whole number above 1 a longer one.
double testScaleFactor();

// The same for one family of tests: the environment variable `variable` when it holds a
// positive number (CI sets DETECTION_SCREEN_SCALE=1 to run every screen sequence while the
// other counts are cut), else testScaleFactor().
double testScaleFactor(const char* variable);

// The count of a full run, full, times the factor, rounded, and at least 1.
int scaledCount(int full);
int scaledCount(int full, const char* variable);

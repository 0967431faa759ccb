#pragma once

// The multiplier of random and differential test counts: the environment variable
// DETECTION_TEST_SCALE when it holds a positive integer, else 1.
int testScale();

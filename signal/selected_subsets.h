#pragma once
#include <cstdint>

class MessageSink;
struct SeriesHeader;

// Makes the first count entries (low 16 bits of each) the current subset of the header,
// at most wMaxPulses of them, with the given mode and 1-based position. Returns 1; a
// null header is left alone.
int setSubset(MessageSink& window, const int32_t* entries, int32_t count, uint16_t mode, uint16_t position,
              SeriesHeader* header);

// Stores count subsets (sizes[i] entries of rows[i] each) as the header's selected
// subsets, reusing its storage while reservedRows x reservedItems suffices, and makes
// subset number chosen (1-based; out of range: the last) the current one. Returns 1, or
// 0 when count <= 0, a size lies outside 0 .. reservedItems, count exceeds
// reservedRows, or storage is exhausted (after a message). A null header yields 1.
int addSomeSelectedSubsetToSeriesHeader(MessageSink& window, const int32_t* sizes, const int32_t* const* rows,
                                        int32_t count, int32_t reservedRows, int32_t reservedItems,
                                        int32_t chosen, uint16_t mode, uint16_t position,
                                        SeriesHeader* header);

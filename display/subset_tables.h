#pragma once

struct AppState;

// Releases the tables of the subset panel in the order the window destruction uses
// (button rectangles, slots, the subset with its marks, the reserved subsets, their
// rectangles, their sizes), clears the pointers and sets subsetCapacity,
// selectedSubsetCount and reservedSubsetCount to 0. Tables never allocated are skipped.
void freeSubsetTables(AppState& state);

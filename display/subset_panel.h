#pragma once
#include <cstdint>

class Window;
class Surface;
struct AppState;
struct SeriesHeader;

// Entries a subset under construction can hold; every one has a slot in the panel.
constexpr int32_t kSubsetSlots = 10;
// Most reserved subsets the tables are made for; a larger setting counts as a memory failure.
constexpr int32_t kMaxReservedSubsets = 1000;

// Allocates the subset tables on the first call (while subsetCapacity is below 10). Returns
// 1 when the tables exist; 0 after a message box without caption naming the table that
// could not be had ("Нет памяти для possibleSubsetRect!", ...), everything allocated by
// this call released.
int prepareSubsetPanel(Window& window, AppState& state);

// The general subset panel (viewState 9): the required etalons in the upper box, the
// slots of the subset under construction with its entries (marked ones highlighted), and
// the buttons " Delete All ", " Delete ", " Cancel ", " OK ". Records every rectangle the
// press handler tests. Draws nothing without the tables, or (after a message, the tables
// released) when the button table cannot be had.
void drawSubsetPanel(Window& window, Surface& surface, AppState& state, uint16_t requiredCount,
                     const uint16_t* requiredList, const SeriesHeader* series);

// The tuple subset panel: as the general one with six buttons (" Accept " and " Clear All "
// besides) and the table of reserved subsets below, the selected one in red. Marks every
// entry first when markAllPending is set, and clears that flag.
void drawTupleSubsetPanel(Window& window, Surface& surface, AppState& state, uint16_t requiredCount,
                          const uint16_t* requiredList, const SeriesHeader* series);

// Copies `count` entries into row `reservedCount` of `list` and the count into `sizes` when
// reservedCount < capacity (a count above the row width is cut to it). Gives the new
// reserved count, the old one when the table is full or missing.
int32_t appendReservedSubset(Window& window, const int32_t* entries, int32_t count, int32_t* sizes,
                             int32_t* const* list, int32_t reservedCount, int32_t capacity);

// Removes the marked entries of the subset under construction, moving later ones down.
void deleteMarkedEntries(AppState& state);

// Empties the subset under construction.
void clearSelectedSubset(AppState& state);

// Gives the subset under construction (or, for tuple recognition, the reserved subsets with
// the selected row) to the current series with the employment mode and position. False,
// silently, when there is nothing to give.
bool applySubset(Window& window, AppState& state);

#include "display/subset_tables.h"

#include "display/app_state.h"

void freeSubsetTables(AppState& state) {
  delete[] state.ButtonsWhileSelectedSubsetRect;
  state.ButtonsWhileSelectedSubsetRect = nullptr;
  delete[] state.possibleSubsetRect;
  state.possibleSubsetRect = nullptr;
  delete[] state.selectedSubset;  // the marks live in the same block
  state.selectedSubset = nullptr;
  state.selectedSubsetMarks = nullptr;
  if (state.reservedSubsetList != nullptr) {
    delete[] state.reservedSubsetList[0];
    delete[] state.reservedSubsetList;
    state.reservedSubsetList = nullptr;
  }
  if (state.possibleSubsetArrayRect != nullptr) {
    delete[] state.possibleSubsetArrayRect[0];  // rows and subsetRowRect
    delete[] state.possibleSubsetArrayRect;
    state.possibleSubsetArrayRect = nullptr;
  }
  state.subsetRowRect = nullptr;
  delete[] state.selectedSubsetArraySize;
  state.selectedSubsetArraySize = nullptr;
  state.subsetCapacity = 0;
  state.selectedSubsetCount = 0;
  state.reservedSubsetCount = 0;
}

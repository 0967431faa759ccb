#pragma once
#include <cstdint>
#include <vector>

class StderrWindow;
struct SeriesHeader;
struct ProcessSettings;

// Candidate subsets in the form the tuple recognisers and the series header take them: an
// array of sizes and an array of row pointers into rows the tables own.
struct SubsetTables {
  explicit SubsetTables(const std::vector<std::vector<int32_t>>& subsets);
  SubsetTables(const SubsetTables&) = delete;
  SubsetTables& operator=(const SubsetTables&) = delete;

  int32_t count() const { return static_cast<int32_t>(sizes.size()); }
  // Entries of the longest subset.
  int32_t longest() const;

  std::vector<std::vector<int32_t>> storage;
  std::vector<int32_t> sizes;
  std::vector<const int32_t*> rows;
};

// Puts the subsets of a run on the series header before the series is made: for tuple
// recognition the candidate subsets become the selected subsets (the first one current);
// a given --subset becomes the current subset. Returns false after a message when the
// selected subsets cannot be stored (the libraries' own, or one naming --subsets).
bool applySubsets(StderrWindow& window, const ProcessSettings& settings, const SubsetTables& subsets,
                  SeriesHeader* series);

#include "batch/subset_tables.h"

#include <algorithm>

#include "batch/options.h"
#include "signal/selected_subsets.h"
#include "signal/task_codes.h"

SubsetTables::SubsetTables(const std::vector<std::vector<int32_t>>& subsets) : storage(subsets) {
  for (const auto& subset : storage) {
    sizes.push_back(static_cast<int32_t>(subset.size()));
    rows.push_back(subset.data());
  }
}

int32_t SubsetTables::longest() const {
  return sizes.empty() ? 0 : *std::max_element(sizes.begin(), sizes.end());
}

bool applySubsets(Window& window, const ProcessSettings& settings, const SubsetTables& subsets,
                  SeriesHeader* series) {
  const SeriesSettings& s = settings.series;
  if (settings.effectiveTaskType == kTaskTupleRecognition && subsets.count() > 0) {
    if (addSomeSelectedSubsetToSeriesHeader(window, subsets.sizes.data(), subsets.rows.data(),
                                            subsets.count(), subsets.count(), subsets.longest(), 1,
                                            s.subsetMode, s.subsetPosition, series) == 0) {
      return false;
    }
  }
  if (!s.subset.empty()) {
    setSubset(window, s.subset.data(), static_cast<int32_t>(s.subset.size()), s.subsetMode, s.subsetPosition,
              series);
  }
  return true;
}

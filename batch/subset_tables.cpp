#include "batch/subset_tables.h"

#include <algorithm>
#include <cstdio>

#include "batch/options.h"
#include "batch/stderr_window.h"
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

bool applySubsets(StderrWindow& window, const ProcessSettings& settings, const SubsetTables& subsets,
                  SeriesHeader* series) {
  const SeriesSettings& s = settings.series;
  if (settings.effectiveTaskType == kTaskTupleRecognition && subsets.count() > 0) {
    const int messagesBefore = window.messageCount();
    if (addSomeSelectedSubsetToSeriesHeader(window, subsets.sizes.data(), subsets.rows.data(),
                                            subsets.count(), subsets.count(), subsets.longest(), 1,
                                            s.subsetMode, s.subsetPosition, series) == 0) {
      // The store refuses sizes it cannot hold without a word; say which.
      if (window.messageCount() == messagesBefore) {
        std::fprintf(stderr, "detection-batch: --subsets: %d subsets of up to %d entries cannot be stored\n",
                     subsets.count(), subsets.longest());
      }
      return false;
    }
  }
  if (!s.subset.empty()) {
    setSubset(window, s.subset.data(), static_cast<int32_t>(s.subset.size()), s.subsetMode, s.subsetPosition,
              series);
  }
  return true;
}

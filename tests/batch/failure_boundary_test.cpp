// The companion's last line of defence: every exception becomes one line and status 1, and a
// refusal of the subset store without a message of its own gets one.
#include "batch/failure_boundary.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "batch/checked_output.h"
#include "batch/commands.h"
#include "batch/options.h"
#include "batch/stderr_window.h"
#include "batch/subset_tables.h"
#include "signal/series_header.h"
#include "signal/task_codes.h"

namespace {

TEST(BatchFailureBoundary, ExceptionsBecomeOneLineAndStatusOneNamingWhatWasBeingMade) {
  testing::internal::CaptureStderr();
  const int memory = runGuarded([]() -> int {
    const Making series("the series");
    {
      const Making json("the JSON document");
      throw std::bad_alloc();
    }
  });
  EXPECT_EQ(memory, kExitFailed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "detection-batch: memory ran out while making the JSON document\n");

  testing::internal::CaptureStderr();
  const int length = runGuarded([]() -> int {
    const Making table("the CSV table");
    throw std::length_error("vector::reserve");
  });
  EXPECT_EQ(length, kExitFailed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "detection-batch: memory ran out while making the CSV table\n");

  testing::internal::CaptureStderr();
  const int other = runGuarded([]() -> int { throw std::runtime_error("two\nlines"); });
  EXPECT_EQ(other, kExitFailed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "detection-batch: two\\nlines\n");

  testing::internal::CaptureStderr();
  const int strange = runGuarded([]() -> int { throw 42; });
  EXPECT_EQ(strange, kExitFailed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "detection-batch: unexpected failure\n");

  // A body that returns is untouched, and the scopes of a failed body are gone.
  EXPECT_EQ(runGuarded([] { return kExitBadOptions; }), kExitBadOptions);
  EXPECT_STREQ(Making::current(), "the output");
}

TEST(BatchFailureBoundary, QuotedValuesEscapeControlCharactersAndKeepOtherText) {
  EXPECT_EQ(quotedValue("a.csv"), "\"a.csv\"");
  EXPECT_EQ(quotedValue("a\nb\r\tc"), "\"a\\nb\\r\\tc\"");
  EXPECT_EQ(quotedValue(std::string("x\0y\x7f", 4)), "\"x\\x00y\\x7F\"");
  EXPECT_EQ(quotedValue("say \"hi\" \\ there"), "\"say \\\"hi\\\" \\\\ there\"");
  EXPECT_EQ(quotedValue("Нет памяти"), "\"Нет памяти\"");
  EXPECT_EQ(oneLine("cannot write \"a\nb\""), "cannot write \"a\\nb\"");
}

TEST(BatchFailureBoundary, SubsetStoreRefusalGetsAMessageNamingTheOption) {
  // More entries than the store takes in one block: it refuses with a message of its own for
  // memory, and without one for sizes it does not hold; either way one line names the trouble.
  ProcessSettings p;
  p.effectiveTaskType = kTaskTupleRecognition;
  p.subsets.assign(2, std::vector<int32_t>(3, 1));
  p.subsets[1].assign(70000, 1);  // over the 16-bit items the store keeps
  const SubsetTables tables(p.subsets);
  StderrWindow window;
  SeriesHeader header{};
  testing::internal::CaptureStderr();
  EXPECT_FALSE(applySubsets(window, p, tables, &header));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "detection-batch: --subsets: 2 subsets of up to 70000 entries cannot be stored\n");
}

}  // namespace

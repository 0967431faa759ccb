// The JSON series and etalon reader reads its document as a stream of events, keeping only the
// values it gives: the answers must be those of the document read whole (a member given twice
// counts with its last value), and a document far larger than what is kept is read in full.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/series_files.h"

namespace {

std::string seriesFailure(const std::string& text, const SeriesReadOptions& options = {}) {
  SeriesValues values;
  std::string error;
  EXPECT_FALSE(parseSeriesBytes(text, "f", options, values, error)) << text;
  return error;
}

std::vector<double> seriesOf(const std::string& text, const SeriesReadOptions& options = {}) {
  SeriesValues values;
  std::string error;
  EXPECT_TRUE(parseSeriesBytes(text, "f", options, values, error)) << error;
  return values.values;
}

TEST(JsonSeriesStream, MembersGivenTwiceAndNestingCountAsInTheWholeDocument) {
  EXPECT_EQ(seriesOf("{\"lpNoisyData\": [1, 2], \"lpNoisyData\": [3, 4, 5]}"),
            (std::vector<double>{3, 4, 5}));
  EXPECT_EQ(seriesFailure("{\"lpNoisyData\": [1, 2], \"lpNoisyData\": 7}"),
            "\"f\": no array \"lpNoisyData\" in the document");
  EXPECT_EQ(seriesFailure("{\"lpNoisyData\": {\"a\": [1]}}"),
            "\"f\": no array \"lpNoisyData\" in the document");
  // Only the top-level member counts; other members may nest deeply.
  EXPECT_EQ(seriesOf("{\"x\": [[[[[[[{\"lpNoisyData\": [9]}]]]]]]], \"lpNoisyData\": [1, -2.5, 3e2]}"),
            (std::vector<double>{1, -2.5, 300}));
  EXPECT_EQ(seriesFailure("{\"x\": {\"lpNoisyData\": [1]}}"),
            "\"f\": no array \"lpNoisyData\" in the document");
  // An entry that is no number, however deep, is named by its place.
  EXPECT_EQ(seriesFailure("{\"lpNoisyData\": [1, [[[[[2]]]]], 3]}"),
            "\"f\": lpNoisyData entry 2: not a number");
  EXPECT_EQ(seriesFailure("{\"lpNoisyData\": [1, 2, {\"a\": 1}]}"),
            "\"f\": lpNoisyData entry 3: not a number");
  EXPECT_EQ(seriesFailure("{\"lpNoisyData\": [1, \"2\"]}"), "\"f\": lpNoisyData entry 2: not a number");
  // Entries outside the segment are not looked at.
  SeriesReadOptions segment;
  segment.from = 2;
  segment.count = 2;
  EXPECT_EQ(seriesOf("{\"lpNoisyData\": [\"a\", null, 5, 6, {}]}", segment), (std::vector<double>{5, 6}));
  // What is not one JSON object, or not complete, is refused as before.
  for (const std::string text :
       {"{\"lpNoisyData\": [1, 2]", "{\"lpNoisyData\": [1, 2]} x", "{\"a\" 1}", "{\"lpNoisyData\": [1e999]}"})
    EXPECT_EQ(seriesFailure(text), "\"f\": not a JSON object") << text;
}

TEST(JsonSeriesStream, ALongArrayKeepsOneValueMoreThanTheLimitAndCountsTheRest) {
  std::string text = "{\"lpNoisyData\": [";
  for (int i = 0; i < 100000; ++i) text += (i ? "," : "") + std::to_string(i % 7);
  text += "], \"after\": [\"x\"]}";
  SeriesValues values;
  std::string error;
  ASSERT_TRUE(parseSeriesBytes(text, "f", {}, values, error)) << error;
  EXPECT_EQ(values.values.size(), kMaxSolverSeriesSize + 1);
  EXPECT_EQ(values.totalSize, 100000u);
  EXPECT_EQ(values.values[32767], 32767 % 7);
  SeriesReadOptions tail;
  tail.from = 99990;
  ASSERT_TRUE(parseSeriesBytes(text, "f", tail, values, error)) << error;
  EXPECT_EQ(values.values.size(), 10u);
  EXPECT_EQ(values.totalSize, 10u);
  EXPECT_EQ(values.first, 99990u);
  EXPECT_EQ(values.values.front(), 99990 % 7);
  tail.from = 100000;
  EXPECT_EQ(seriesFailure(text, tail),
            "\"f\": the segment starts after 100000 samples, but the file holds 100000");
}

TEST(JsonSeriesStream, EtalonsAreReadAsTheWholeDocumentHasThem) {
  EtalonValues rows;
  std::string error;
  ASSERT_TRUE(
      parseEtalonBytes("{\"etalons\": [{\"samples\": [1, 2], \"samples\": [5, 6, 7], \"n\": [[1]]}, "
                       "{\"id\": 2, \"samples\": [8, 9, 10]}]}",
                       "f", rows, error))
      << error;
  EXPECT_EQ(rows.rows, (std::vector<std::vector<double>>{{5, 6, 7}, {8, 9, 10}}));
  EXPECT_EQ(rows.totalRows, 2u);
  const auto failure = [](const std::string& text) {
    EtalonValues ignored;
    std::string message;
    EXPECT_FALSE(parseEtalonBytes(text, "f", ignored, message)) << text;
    return message;
  };
  EXPECT_EQ(failure("{\"etalons\": [{\"samples\": [1, 2]}, {\"samples\": [3, \"a\"]}]}"),
            "\"f\": etalon 2, sample 2: not a number");
  EXPECT_EQ(failure("{\"etalons\": [{\"samples\": [1, 2]}, 5]}"), "\"f\": etalon 2 has no array \"samples\"");
  EXPECT_EQ(failure("{\"etalons\": [{\"values\": [1, 2]}]}"), "\"f\": etalon 1 has no array \"samples\"");
  EXPECT_EQ(failure("{\"etalons\": [{\"samples\": [1, [2]]}]}"), "\"f\": etalon 1, sample 2: not a number");
  EXPECT_EQ(failure("{\"etalons\": []}"), "\"f\": no array \"etalons\" in the document");
  EXPECT_EQ(failure("{\"etalons\": [{\"samples\": [1]}], \"etalons\": {}}"),
            "\"f\": no array \"etalons\" in the document");
  std::string longRow = "{\"etalons\": [{\"samples\": [";
  for (int i = 0; i < 32768; ++i) longRow += i ? ",1" : "1";
  EXPECT_EQ(failure(longRow + "]}]}"), "\"f\": etalon 1: more than 32767 samples");
  // Rows beyond the 21 kept are counted, not read.
  std::string many = "{\"etalons\": [";
  for (int k = 0; k < 30; ++k)
    many += std::string(k ? "," : "") + (k < 21 ? "{\"samples\": [1, 2]}" : "\"x\"");
  ASSERT_TRUE(parseEtalonBytes(many + "]}", "f", rows, error)) << error;
  EXPECT_EQ(rows.rows.size(), 21u);
  EXPECT_EQ(rows.totalRows, 30u);
}

}  // namespace

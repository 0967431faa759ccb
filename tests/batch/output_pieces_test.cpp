// The companion's own pieces: message lines, number lists and the document layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "batch/json_output.h"
#include "batch/options.h"
#include "batch/stderr_window.h"
#include "signal/series_maker.h"

namespace {

TEST(BatchPieces, MessageBoxesBecomeCaptionAndTextLines) {
  EXPECT_EQ(messageLines("Нет памяти для PartialEnergy!", ""), "Нет памяти для PartialEnergy!\n");
  EXPECT_EQ(messageLines("Несовместимые входные параметры!\n\nwMinPulses: 6 [6]\n\n", " makeExtSeries "),
            "[ makeExtSeries ] Несовместимые входные параметры!\n\nwMinPulses: 6 [6]\n");

  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  StderrWindow window(sink);
  EXPECT_EQ(window.messageBox("Ошибка addToChainsHeader!", " About ChainsHeader ", kMbOk), kIdOk);
  EXPECT_EQ(window.messageBox("Replace?", "Q", kMbYesNo | kMbIconQuestion), kIdYes);
  EXPECT_EQ(window.messageCount(), 2);
  std::rewind(sink);
  char buffer[256] = {};
  const size_t read = std::fread(buffer, 1, sizeof buffer - 1, sink);
  EXPECT_EQ(std::string(buffer, read), "[ About ChainsHeader ] Ошибка addToChainsHeader!\n[Q] Replace?\n");
  std::fclose(sink);
}

TEST(BatchPieces, NumberListsAcceptBlanksAndSignsAndRefuseTheRest) {
  EXPECT_EQ(parseNumberList("--x", " 1, +2 ,3"), (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(parseNumberList("--x", "-4"), (std::vector<int64_t>{-4}));
  EXPECT_EQ(parseNumberLists("--x", "1,2;3"), (std::vector<std::vector<int64_t>>{{1, 2}, {3}}));
  for (const char* bad : {"", "1,", ",1", "1;2", "1.5", "0x10", "1 2", "99999999999999999999"}) {
    try {
      parseNumberList("--sequence", bad);
      ADD_FAILURE() << "accepted \"" << bad << "\"";
    } catch (const OptionError& e) {
      EXPECT_EQ(e.option, "--sequence");
      EXPECT_EQ(std::string(e.what()).rfind("--sequence: ", 0), 0u) << e.what();
    }
  }
  EXPECT_THROW(parseNumberLists("--subsets", "1,2;;3"), OptionError);
}

TEST(BatchPieces, DocumentPutsOneMemberPerLineAndOneObjectPerLine) {
  OrderedJson doc;
  doc["b"] = 2;
  doc["a"] = OrderedJson::array({1, -2});
  doc["empty"] = OrderedJson::array();
  doc["list"] = OrderedJson::array({OrderedJson{{"x", 1}, {"y", "é"}}, OrderedJson{{"x", 2}, {"y", "\""}}});
  EXPECT_EQ(formatDocument(doc),
            "{\n"
            "  \"b\": 2,\n"
            "  \"a\": [1, -2],\n"
            "  \"empty\": [],\n"
            "  \"list\": [\n"
            "    {\"x\": 1, \"y\": \"é\"},\n"
            "    {\"x\": 2, \"y\": \"\\\"\"}\n"
            "  ]\n"
            "}\n");
  EXPECT_EQ(OrderedJson::parse(formatDocument(doc)), doc);
}

}  // namespace

// The File menu's commands for the user's files, through the headless window with a scripted
// file dialog and options dialog.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "display/opened_files.h"
#include "display/result_view.h"
#include "files/series_files.h"
#include "platform/dialog_ids.h"
#include "shell/command_ids.h"
#include "signal/series_header.h"
#include "tests/files/independent_writer.h"
#include "tests/shell/workbench_fixture.h"

namespace {

std::vector<int16_t> noisy(const AppState& s) {
  const SeriesHeader* h = s.lpCutOffSeriesHeader;
  return {h->lpNoisyData, h->lpNoisyData + h->dwSeriesSize};
}

std::vector<int16_t> restored(const AppState& s) {
  const SeriesHeader* h = s.lpCutOffSeriesHeader;
  return {h->lpRestoredPositions, h->lpRestoredPositions + h->wRestoredQuantity};
}

std::vector<std::vector<int16_t>> alphabet(const AppState& s) {
  std::vector<std::vector<int16_t>> rows;
  for (const PulseHeader& p : s.etalonAlphabet) rows.emplace_back(p.lpData, p.lpData + p.wSize);
  return rows;
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

void open(Workbench& w, uint16_t command, const std::string& path, const std::string& scale = "") {
  using namespace file_options_dialog;
  w.window.queueOpenFileName(path);
  DialogScript options;
  options.templateId = kTemplate;
  if (!scale.empty()) options.type(kScaleFactor, scale);
  // The run on an opened series is given its number of pulses, as the made series had it.
  if (command == kMenuOpenSeries) options.click(kKnownPulses);
  w.window.queueDialog(options);
  ASSERT_TRUE(w.window.menuCommand(command));
}

TEST(FileCommands, AnOpenedSeriesIsProcessedAsTheMadeSeriesWasAndNextDataGoesBack) {
  Workbench w;
  ASSERT_TRUE(w.created);
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  const std::vector<int16_t> made = noisy(w.state);
  const std::vector<int16_t> madeAnswer = restored(w.state);
  ASSERT_FALSE(madeAnswer.empty());

  ScratchFolder dir;
  std::string text = "volts\n";
  for (int16_t v : made) text += std::to_string(v) + "\n";
  writeText(dir.file("rec.csv"), text);
  open(w, kMenuOpenSeries, dir.file("rec.csv"), "1");
  EXPECT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  EXPECT_EQ(w.state.opened.seriesFile, dir.file("rec.csv"));
  EXPECT_EQ(w.state.opened.factor, 1.0);
  EXPECT_EQ(noisy(w.state), made);
  EXPECT_EQ(restored(w.state), madeAnswer);
  EXPECT_EQ(w.state.viewState, 6);
  EXPECT_EQ(w.window.openFileRequests().back().title, "Open series");

  // The result view leaves out what needs the truth.
  const auto lines =
      resultTextLines(w.window, w.state.lpChainsHeader, *w.state.lpCutOffSeriesHeader, 16, false);
  for (const auto& line : lines) EXPECT_EQ(line.left.find("Restore Error"), std::string::npos);
  EXPECT_EQ(openedSeriesTitle(w.state.opened, 1200), " Series from rec.csv, samples 0..1199, factor 1 ");

  // Processing Same Data and another series type work on the file's series.
  ASSERT_TRUE(w.window.menuCommand(kMenuUnfixedWhole));
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingSameData));
  EXPECT_EQ(w.state.opened.seriesFile, dir.file("rec.csv"));
  EXPECT_EQ(noisy(w.state), made);
  EXPECT_FALSE(restored(w.state).empty());
  ASSERT_TRUE(w.window.menuCommand(kMenuFixedWhole));
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingSameData));
  EXPECT_EQ(restored(w.state), madeAnswer);

  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  EXPECT_TRUE(w.state.opened.seriesFile.empty());
  EXPECT_NE(noisy(w.state), made);
  EXPECT_TRUE(w.window.messages().empty());
}

TEST(FileCommands, FilesThatCannotBeUsedLeaveSeriesAndAlphabetAsTheyWere) {
  using namespace file_options_dialog;
  Workbench w;
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  const std::vector<int16_t> before = noisy(w.state);
  const auto etalonsBefore = alphabet(w.state);
  ScratchFolder dir;
  writeText(dir.file("nan.txt"), "1\n2\nnan\n");
  writeText(dir.file("short.txt"), "1\n2\n3\n");
  writeText(dir.file("etalons.txt"), "1 2 3\n4 5\n");
  writeText(dir.file("hex.txt"), "0x1F\n1\n2\n");
  // A WAV whose header declares 4000 frames of 16-bit mono and holds 478.
  std::string wav = std::string(
      "RIFF\x44\x1F\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1F\0\0\x80\x3E\0\0\x02\0\x10\0data\x40\x1F\0\0",
      44);
  wav += std::string(478 * 2, '\x05');
  writeBytes(dir.file("short.wav"), wav);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir.file("short.wav"),
       "\"" + dir.file("short.wav") + "\": the header declares 4000 frames, the file holds 478 (cut short?)"},
      {dir.file("hex.txt"), "\"" + dir.file("hex.txt") + "\": line 1, column 1: \"0x1F\" is not a number"},
      {dir.file("missing.csv"),
       "\"" + dir.file("missing.csv") + "\": cannot open: No such file or directory"},
      {dir.file("nan.txt"), "\"" + dir.file("nan.txt") + "\": line 3: value is not a number"},
      {dir.file("short.txt"),
       "\"" + dir.file("short.txt") +
           "\": the series of 3 samples holds no admissible pulses of 20 samples with Tmin 40 and "
           "Tmax 181"},
  };
  for (const auto& [path, message] : cases) {
    w.window.clearMessages();
    open(w, kMenuOpenSeries, path);
    ASSERT_EQ(w.window.messages().size(), 1u) << path;
    EXPECT_EQ(w.window.messages()[0].text, message);
    EXPECT_TRUE(w.state.opened.seriesFile.empty());
    EXPECT_EQ(noisy(w.state), before);
  }
  w.window.clearMessages();
  open(w, kMenuOpenEtalons, dir.file("etalons.txt"));
  ASSERT_EQ(w.window.messages().size(), 1u);
  EXPECT_EQ(w.window.messages()[0].text,
            "\"" + dir.file("etalons.txt") +
                "\": etalon 2 has 2 samples, etalon 1 has 3; all etalons must be of "
                "one length");
  EXPECT_EQ(alphabet(w.state), etalonsBefore);

  // A bad option field and a cancelled dialog change nothing either.
  w.window.clearMessages();
  w.window.queueOpenFileName(dir.file("nan.txt"));
  DialogScript bad;
  bad.templateId = kTemplate;
  bad.type(kScaleFactor, "1,5");
  w.window.queueDialog(bad);
  ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
  ASSERT_EQ(w.window.messages().size(), 1u);
  EXPECT_EQ(w.window.messages()[0].text, "Scale factor \"1,5\" is not a number");
  w.window.queueOpenFileName(std::nullopt);
  ASSERT_TRUE(w.window.menuCommand(kMenuOpenSeries));
  EXPECT_EQ(noisy(w.state), before);
}

TEST(FileCommands, OpenedEtalonsReplaceTheFirstAndRestartGivesTheBuiltInAlphabetBack) {
  Workbench w;
  const auto builtIn = alphabet(w.state);
  ScratchFolder dir;
  std::string rows;
  for (int k = 0; k < 2; ++k) {
    for (int i = 0; i < 20; ++i) rows += std::to_string((k ? -1 : 1) * i * 0.05) + (i < 19 ? "," : "\n");
  }
  writeText(dir.file("etalons.csv"), rows);
  open(w, kMenuOpenEtalons, dir.file("etalons.csv"));
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  const auto opened = alphabet(w.state);
  EXPECT_EQ(opened[0].back(), 128);  // the peak 0.95 maps to the amplitude
  EXPECT_EQ(opened[1].back(), -128);
  EXPECT_EQ(opened[0][10], 67);  // 0.5 x 128 / 0.95 = 67.4
  for (size_t k = 2; k < builtIn.size(); ++k) EXPECT_EQ(opened[k], builtIn[k]);
  EXPECT_EQ(w.state.viewState, 5);

  // Processing uses them; Restart in the result view gives the built-in alphabet back.
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  EXPECT_EQ(w.state.opened.etalonsFile, dir.file("etalons.csv"));
  const Rect restart = w.state.layout.restartButtonRect;
  w.window.click((restart.left + restart.right) / 2, (restart.top + restart.bottom) / 2);
  EXPECT_EQ(w.state.viewState, 5);
  EXPECT_TRUE(w.state.opened.etalonsFile.empty());
  EXPECT_EQ(alphabet(w.state), builtIn);

  // Etalons of another length: the built-in ones are resampled to it, and come back whole.
  writeText(dir.file("short.txt"),
            "# two etalons of 12 samples\n0 1 2 3 4 5 6 5 4 3 2 1\n1 1 1 1 1 1 1 1 1 1 1 1\n");
  open(w, kMenuOpenEtalons, dir.file("short.txt"), "10");
  ASSERT_TRUE(w.window.messages().empty()) << w.window.messages()[0].text;
  EXPECT_EQ(w.state.wImpulseSize, 12);
  EXPECT_EQ(alphabet(w.state)[0], (std::vector<int16_t>{0, 10, 20, 30, 40, 50, 60, 50, 40, 30, 20, 10}));
  EXPECT_EQ(alphabet(w.state)[5].size(), 12u);
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  EXPECT_TRUE(w.window.messages().empty());
  EXPECT_EQ(w.state.lpCutOffSeriesHeader->wImpulseSize, 12);
  w.internal(CM_RESTORE_ALPHABET);
  EXPECT_EQ(w.state.wImpulseSize, 20);
  EXPECT_EQ(alphabet(w.state), builtIn);
}

TEST(FileCommands, SaveSeriesAsWritesWhatTheReadersReadBack) {
  Workbench w;
  ASSERT_TRUE(w.window.menuCommand(kMenuProcessingNextData));
  ScratchFolder dir;
  for (const char* name : {"saved", "saved.npy"}) {
    w.window.queueFileName(dir.file(name));
    ASSERT_TRUE(w.window.menuCommand(kMenuSaveSeries));
    const std::string path = dir.file(std::string(name) == "saved" ? "saved.csv" : name);
    SeriesValues values;
    SeriesReadOptions options;
    options.column = 2;
    std::string error;
    ASSERT_TRUE(readSeriesFile(path, options, values, error)) << error;
    const std::vector<int16_t> expected = noisy(w.state);
    ASSERT_EQ(values.values.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(values.values[i], expected[i]);
  }
  w.window.queueFileName(dir.file("no/such/folder.csv"));
  ASSERT_TRUE(w.window.menuCommand(kMenuSaveSeries));
  ASSERT_EQ(w.window.messages().size(), 1u);
  EXPECT_NE(w.window.messages()[0].text.find("no/such/folder.csv"), std::string::npos);
}

}  // namespace

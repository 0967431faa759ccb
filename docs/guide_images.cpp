// guide-images: renders the pictures of the user guide (docs/guide.md) from the program itself.
// The whole workbench runs in the headless window with the glyphs of the real window (Qt's font
// engine on its offscreen platform), so no display is needed and the pictures are what a user sees.
//
//   guide-images --write DIR   writes DIR/NAME.png for every scene
//   guide-images --check DIR   renders every scene and compares it pixel by pixel with DIR/NAME.png;
//                              fails on a difference, a missing picture, or a picture no scene makes
//   guide-images --list        prints the scenes
//
// A scene is a name and the user's steps from a fresh start. To add a picture, add a scene to
// scenes() below, run --write, look at the picture, and show it in docs/guide.md.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "display/app_state.h"
#include "display/opened_files.h"
#include "display/result_view.h"
#include "files/atomic_file.h"
#include "files/simulation_result.h"
#include "platform/dialog_ids.h"
#include "platform/headless_window.h"
#include "platform/message_sink.h"
#include "platform/qt/qt_glyph_source.h"
#include "platform/qt/qt_image.h"
#include "platform/window_procedure.h"
#include "shell/command_ids.h"
#include "shell/dialog_commands.h"
#include "shell/main_window.h"
#include "shell/simulation_result_command.h"
#include "signal/series_header.h"
#include "simulation/rest_err_header.h"

namespace {

constexpr int32_t kWidth = 1200;
constexpr int32_t kHeight = 800;

// A started workbench and the user's gestures on it.
struct Session {
  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  HeadlessWindow window;
  MainWindow procedure{*state};
  bool created = false;
  const GlyphSource& glyphs;

  explicit Session(const GlyphSource& g) : window(kWidth, kHeight, g), glyphs(g) {
    created = window.create(procedure);
  }
  ~Session() { window.close(); }

  void menu(uint16_t id) {
    if (!window.menuCommand(id)) std::fprintf(stderr, "guide-images: %u is no menu item\n", id);
  }
  void clickCentre(const Rect& r) { window.click((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
  // A click on the cell of etalon `number` (1-based) in the alphabet view.
  void clickEtalon(int number) { clickCentre(state->layout.etalonCellRect[number - 1]); }
  // A click on entry `entry` (1-based) of choice panel `panel` (1 length, 2 noise, 3 lost data).
  void clickChoice(int panel, int entry) { clickCentre(state->layout.choiceItemRect[panel - 1][entry - 1]); }
  void clickNext() { clickCentre(state->layout.nextButtonRect); }
  // A click on the k-th etalon (0-based) of the upper box of the subset view.
  void clickUsedEtalon(int k) { clickCentre(state->usedEtalonCellRect[k]); }
  // Repaints everything, as after the window was uncovered.
  void repaint() {
    window.invalidateAll(true);
    window.pump();
  }
};

struct Scene {
  std::string name;
  std::string shows;
  std::function<void(Session&)> steps;
};

// Selects etalons 3, 5 and 9 besides etalon 1 under the task chosen with `taskMenu`.
void requireSome(Session& s, uint16_t taskMenu) {
  s.menu(taskMenu);
  s.repaint();
  for (int e : {3, 5, 9}) s.clickEtalon(e);
}

// A small statistical simulation: series of 300 samples, 3 to 5 pulses, noise 0 to 100 in
// 6 steps, 20 repeats. The calendar times are fixed afterwards so that the picture never changes.
void smallSimulation(Session& s) {
  s.window.queueDialog(DialogScript{series_parameters_dialog::kTemplate, {}}
                           .type(series_parameters_dialog::kSamplesLength, "300")
                           .type(series_parameters_dialog::kMinInterval, "40")
                           .type(series_parameters_dialog::kMaxInterval, "181"));
  s.window.queueDialog(DialogScript{simulation_parameters_dialog::kTemplate, {}}
                           .type(simulation_parameters_dialog::kPulsesFrom, "3")
                           .type(simulation_parameters_dialog::kPulsesTo, "5")
                           .type(simulation_parameters_dialog::kPulsesIncrement, "1")
                           .type(simulation_parameters_dialog::kNoiseInitialLevel, "0")
                           .type(simulation_parameters_dialog::kNoiseSteps, "6")
                           .type(simulation_parameters_dialog::kNoiseIncrement, "20")
                           .type(simulation_parameters_dialog::kRepeats, "20"));
  s.window.queueDialog(DialogScript{chart_settings_dialog::kTemplate, {}});
  s.menu(kCmStatisticalSimulation);
  s.state->simulationStartTime = 1796025600;  // Mon Nov 30 08:00:00 2026 UTC
  s.state->simulationEndTime = 1796025600 + 12;
  s.repaint();
}

// A file a scene opens, written whole like every output; a failure is said (the scene then
// draws something else, and --check reports it).
void writeScratch(const std::string& path, const std::string& contents) {
  std::string error;
  if (!writeFileAtomically(path, contents, error))
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
}

// A scratch folder for the files a scene writes and opens; removed afterwards. Without one
// (no temporary folder to be had) the scene's files cannot be written, which writeScratch says.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "guide-images-XXXXXX").string();
    if (!error && mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string file(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

// A recording of the user's: the noisy samples of the series made by Processing Next Data, as
// volts (a thousandth of a sample) in a CSV column with a header, opened with File > Open
// series... and the options dialog left as it comes (the whole file, the scale that maps the
// series' peak to the amplitude, the current Tmin and Tmax) but for a known number of pulses.
void openRecording(Session& s) {
  using namespace file_options_dialog;
  s.menu(kMenuProcessingNextData);
  const SeriesHeader* made = s.state->lpCutOffSeriesHeader;
  const ScratchFolder folder;
  const std::string path = folder.file("recording.csv");
  std::ostringstream out;
  out << "time,volts\n";
  for (uint32_t i = 0; i < made->dwSeriesSize; ++i) out << i << "," << made->lpNoisyData[i] / 1000.0 << "\n";
  writeScratch(path, out.str());
  s.window.queueOpenFileName(path);
  s.window.queueDialog(DialogScript{kTemplate, {}}.type(kColumn, "volts").click(kKnownPulses));
  s.menu(kMenuOpenSeries);
}

// A recording with clicks: 3,000 samples of light noise with a 20-sample click every 150
// samples from sample 100 on, opened with Tmin 100 and Tmax 200 and an unknown number of
// pulses (the dialog's default); with `ownEtalon`, the first click is then dragged over with
// Shift on the noisy strip and taken as etalon 1 ("Use as etalon", Yes).
void openClicks(Session& s, bool ownEtalon) {
  using namespace file_options_dialog;
  const ScratchFolder folder;
  const std::string path = folder.file("clicks.csv");
  {
    std::ostringstream out;
    out << "volts\n";
    uint32_t noise = 12345;
    for (int i = 0; i < 3000; ++i) {
      noise = noise * 1103515245u + 12345u;
      double v = (static_cast<int>((noise >> 16) & 0x7FFF) - 16384) / 16384.0 * 0.04;
      const int k = (i - 100) % 150;
      if (i >= 100 && k < 20) v += (k % 4 < 2 ? 1.0 : -0.8) * (1.0 - k / 25.0);
      out << v << "\n";
    }
    writeScratch(path, out.str());
  }
  s.window.queueOpenFileName(path);
  s.window.queueDialog(DialogScript{kTemplate, {}}.type(kTmin, "100").type(kTmax, "200"));
  s.menu(kMenuOpenSeries);
  if (!ownEtalon) return;
  s.repaint();
  const Rect strip = resultGeometry(s.state->layout.workArea, s.state->layout.lineHeight,
                                    s.state->wEtalonsQuantity, s.state->drawSpecialGraphSize != 0)
                         .strip(1);
  const int32_t width = strip.right - strip.left, y = (strip.top + strip.bottom) / 2;
  s.window.queueAnswer(kIdYes);
  s.window.mouseDown(strip.left + (100 * width + 2998) / 2999, y, kMkShift);
  s.window.mouseUp(strip.left + (119 * width + 2998) / 2999, y, kMkShift);
}

// A whole simulation result as detection-batch simulate --json writes it: the small simulation
// run in another workbench, written to a file and opened with File > Open simulation result...,
// its detection error chosen in the chart dialog.
void openSimulationResult(Session& s, const GlyphSource& glyphs) {
  using namespace chart_settings_dialog;
  SimulationResult result;
  {
    Session other(glyphs);
    smallSimulation(other);
    const RestErrHeader& errors = *other.state->lpRestErrorHeader;
    SimulationRun& r = result.run;
    r.seriesSize = 300;
    r.tmin = 40;
    r.tmax = 181;
    r.impulseSize = other.state->wImpulseSize;
    r.etalons = other.state->wEtalonsQuantity;
    r.amplitude = other.state->wAmplitude;
    r.required = {1};
    r.subsetMode = 4;
    r.subsetPosition = 1;
    r.pulseValues.assign(errors.wPulseValues, errors.wPulseValues + errors.wVariousPulses);
    r.noiseLevels.assign(errors.lpNoiseLevel, errors.lpNoiseLevel + errors.wNoiseLevels);
    r.repeats = errors.repeats;
    result.cells = cellsOfErrors(errors);
    result.startTime = other.state->simulationStartTime;
    result.endTime = other.state->simulationEndTime;
    result.firstPulseEtalon = 1;
  }
  const ScratchFolder folder;
  const std::string path = folder.file("result.json");
  writeScratch(path, simulationResultJson(result));
  s.window.queueOpenFileName(path);
  s.window.queueDialog(DialogScript{kTemplate, {}}.click(kDetectionError));
  s.menu(kCmOpenSimulationResult);
}

const std::vector<Scene>& scenes() {
  using namespace chart_settings_dialog;
  static const std::vector<Scene> list = {
      {"alphabet", "the window after start: the alphabet view", [](Session&) {}},
      {"alphabet-joint", "joint detection with etalons 1, 3, 5 and 9 required",
       [](Session& s) { requireSome(s, kMenuJointDetection); }},
      {"result-detection", "detection of etalon 1, after Processing Next Data",
       [](Session& s) { s.menu(kMenuProcessingNextData); }},
      {"result-recognition", "recognition among etalons 1, 3, 5 and 9",
       [](Session& s) {
         requireSome(s, kMenuRecognition);
         s.menu(kMenuProcessingNextData);
       }},
      {"result-joint", "joint detection and identification of etalons 1, 3, 5 and 9",
       [](Session& s) {
         requireSome(s, kMenuJointDetection);
         s.menu(kMenuProcessingNextData);
       }},
      {"result-cutoff", "detection of cut-off pulses in 600 samples, lost data level 25",
       [](Session& s) {
         s.menu(kMenuFixedCutOff);
         s.repaint();
         s.clickChoice(1, 2);
         s.clickChoice(3, 2);
       }},
      {"result-unknown", "detection with an unknown number of pulses, noise level 35",
       [](Session& s) {
         s.menu(kMenuUnfixedWhole);
         s.repaint();
         s.clickChoice(2, 2);
       }},
      {"subset-view", "the subset view with the tuple 3, 5, 3 under construction",
       [](Session& s) {
         requireSome(s, kMenuJointDetection);
         s.menu(kCmSelectSetOfPulses);
         for (int k : {1, 2, 1}) s.clickUsedEtalon(k);
       }},
      {"result-tuples", "detection of the tuple 3, 5, 3 in a series of whole-pulse tuples",
       [](Session& s) {
         requireSome(s, kMenuJointDetection);
         s.menu(kCmSelectSetOfPulses);
         for (int k : {1, 2, 1}) s.clickUsedEtalon(k);
         s.menu(kMenuFixedTuples);
         s.menu(kMenuDetection);
         s.clickNext();  // imposes the tuple on the new series and processes it
       }},
      {"parameters", "the parameter view of the start-up series",
       [](Session& s) { s.menu(kCmViewSeriesParameters); }},
      {"simulation-restoring", "a small statistical simulation: restoring error, componentwise",
       smallSimulation},
      {"simulation-detection", "the same simulation shown as detection error, summary view",
       [](Session& s) {
         smallSimulation(s);
         s.window.queueDialog(DialogScript{kTemplate, {}}.click(kDetectionError).click(kSummaryView));
         s.menu(kCmShowStatisticalSimulation);
         s.repaint();
       }},
      {"opened-series", "a recording opened with Open series... and processed: no true pulses",
       openRecording},
      {"recording-unknown", "a recording with clicks opened with Tmin 100, Tmax 200 and an unknown number",
       [](Session& s) { openClicks(s, false); }},
      {"recording-own-etalon", "the same recording after its first click was taken with Use as etalon",
       [](Session& s) { openClicks(s, true); }},
      {"recording-parameters", "View series parameters... of the recording with clicks: the count found",
       [](Session& s) {
         openClicks(s, false);
         s.menu(kCmViewSeriesParameters);
       }},
      {"opened-simulation", "a simulation result opened with Open simulation result...: detection error",
       [](Session& s) { openSimulationResult(s, s.glyphs); }},
  };
  return list;
}

// Renders one scene; an empty image when the workbench did not start.
Image render(const Scene& scene, const GlyphSource& glyphs) {
  Session session(glyphs);
  if (!session.created) return {};
  session.repaint();
  scene.steps(session);
  // The whole window repainted, as after it was uncovered: parts that a command leaves as they
  // were (the button column after a menu command) show the current state too.
  session.repaint();
  return session.window.clientImage();
}

// The number of pixels in which two pictures differ; -1 when their sizes differ.
long long difference(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  long long count = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    count += (a.pixels[i] & 0xFFFFFFu) != (b.pixels[i] & 0xFFFFFFu);
  return count;
}

int usage() {
  std::fprintf(stderr, "usage: guide-images --write DIR | --check DIR | --list\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string mode = argv[1];
  if (mode == "--list") {
    for (const Scene& scene : scenes()) std::printf("%-22s %s\n", scene.name.c_str(), scene.shows.c_str());
    return 0;
  }
  if ((mode != "--write" && mode != "--check") || argc != 3) return usage();
  const std::string folder = argv[2];

  // No display: the offscreen platform; calendar times in one zone everywhere.
  setenv("TZ", "UTC", 1);
  const OffscreenApplication app("guide-images");
  const QtGlyphSource glyphs;

  int problems = 0;
  std::set<std::string> made;
  std::error_code folderError;
  if (mode == "--write") std::filesystem::create_directories(folder, folderError);
  if (folderError) {
    std::fprintf(stderr, "guide-images: cannot make the folder %s\n", argv[2]);
    return 1;
  }
  for (const Scene& scene : scenes()) {
    const std::string file = scene.name + ".png";
    made.insert(file);
    const std::string path = folder + "/" + file;
    const Image image = render(scene, glyphs);
    if (image.empty()) {
      std::fprintf(stderr, "%s: the workbench did not start\n", scene.name.c_str());
      ++problems;
      continue;
    }
    if (mode == "--write") {
      // A picture is replaced only by a complete new one.
      const std::string bytes = pngBytes(image, true);
      std::string error = "the picture could not be encoded";
      if (bytes.empty() || !writeFileAtomically(path, bytes, error)) {
        std::fprintf(stderr, "%s: cannot write: %s\n", path.c_str(), error.c_str());
        ++problems;
      }
      continue;
    }
    Image committed;
    if (!readPngFile(path, committed)) {
      std::fprintf(stderr, "%s: missing or unreadable; the scene %s makes it\n", path.c_str(),
                   scene.name.c_str());
      ++problems;
      continue;
    }
    const long long differing = difference(image, committed);
    if (differing != 0) {
      if (differing < 0) {
        std::fprintf(stderr, "%s: %dx%d, but the scene renders %dx%d\n", path.c_str(), committed.width,
                     committed.height, image.width, image.height);
      } else {
        std::fprintf(stderr, "%s: %lld pixels differ from what the program draws now\n", path.c_str(),
                     differing);
      }
      ++problems;
    }
  }
  if (mode == "--check") {
    std::error_code error;
    std::set<std::string> pictures;  // in the order of their names
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
      if (entry.is_regular_file(error) && entry.path().extension() == ".png")
        pictures.insert(entry.path().filename().string());
    for (const std::string& file : pictures) {
      if (made.count(file) == 0) {
        std::fprintf(stderr, "%s/%s: no scene makes this picture\n", argv[2], file.c_str());
        ++problems;
      }
    }
    if (problems > 0) {
      std::fprintf(stderr,
                   "guide-images: %d picture(s) are stale; run guide-images --write docs/images, "
                   "look at them, and commit them\n",
                   problems);
    }
  }
  return problems == 0 ? 0 : 1;
}

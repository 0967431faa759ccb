// Random sessions on the headless window: after every user step and the paints it causes,
// the screen must be what a full repaint of the same state draws, and the buttons on the
// screen must do what their images say.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "display/app_state.h"
#include "display/internal_commands.h"
#include "display/layout.h"
#include "display/opened_files.h"
#include "display/params_header.h"
#include "platform/dialog_ids.h"
#include "platform/headless_window.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "simulation/rest_err_header.h"
#include "tests/screen/window_answers.h"
#include "tests/support/test_scale.h"

namespace {

// A headless window that notes the commands sent to it from outside any other command:
// the commands a click or a menu item starts.
class RecordingWindow : public HeadlessWindow {
 public:
  RecordingWindow(int32_t w, int32_t h) : HeadlessWindow(w, h) {}
  void sendCommand(uint16_t id) override {
    if (depth_ == 0) sent.push_back(id);
    ++depth_;
    HeadlessWindow::sendCommand(id);
    --depth_;
  }
  std::vector<uint16_t> sent;

 private:
  int depth_ = 0;
};

// Writes `image` as a binary PPM file, for looking at a failure.
void writePpm(const std::string& path, const Image& image) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  for (Color c : image.pixels)
    out << static_cast<char>(redOf(c)) << static_cast<char>(greenOf(c)) << static_cast<char>(blueOf(c));
}

// A recording as a user brings one: 6,000 samples of noise with 18 clicks of one shape planted
// 250 to 400 samples apart; written once, a CSV file the sessions open.
struct RemovedAtExit {
  std::string path;
  ~RemovedAtExit() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const std::string& recordingFile() {
  static const RemovedAtExit file{[] {
    const std::string name = (std::filesystem::temp_directory_path() /
                              ("detection-screen-recording-" + std::to_string(::getpid()) + ".csv"))
                                 .string();
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 0.05);
    std::vector<double> samples(6000);
    for (double& v : samples) v = noise(rng);
    size_t at = 200;
    for (int click = 0; click < 18 && at + 20 < samples.size(); ++click, at += 250 + rng() % 150)
      for (size_t k = 0; k < 20; ++k) samples[at + k] += (k % 4 < 2 ? 1.0 : -0.8) * (1.0 - k / 25.0);
    std::ofstream out(name);
    out << "volts\n";
    for (double v : samples) out << v << "\n";
    return name;
  }()};
  return file.path;
}

// The near-white pen the parameter panel erases moved lines with.
constexpr Color kErasingPen = rgb(250, 250, 250);

enum class Button { kRestart, kNext, kExit, kSelectAll, kUnselectAll };

const char* buttonName(Button b) {
  switch (b) {
    case Button::kRestart:
      return "Restart";
    case Button::kNext:
      return "Next";
    case Button::kExit:
      return "Exit";
    case Button::kSelectAll:
      return "Select All";
    default:
      return "Unselect All";
  }
}

struct DrawnButton {
  Button button;
  Rect rect;  // inclusive
};

// One random session.
class Session {
 public:
  Session(uint32_t seed, int32_t w, int32_t h) : rng_(seed), window_(w, h), procedure_(state_) {
    created_ = window_.create(procedure_);
  }
  ~Session() { window_.close(); }

  bool created() const { return created_; }
  const std::string& failure() const { return failure_; }
  std::string log() const {
    std::ostringstream out;
    for (size_t i = 0; i < log_.size(); ++i) out << "  " << i + 1 << ". " << log_[i] << "\n";
    return out.str();
  }

  // Runs one random step and checks the screen; false once a check failed.
  bool step() {
    const bool inParameterView = state_.viewState == 10;
    const int kind = pick(100);
    if (kind < 22)
      menuStep();
    else if (kind < 42)
      buttonStep();
    else if (kind < 50)
      emptyColumnStep();
    else if (kind < 62)
      choiceStep();
    else if (kind < 86)
      viewStep();
    else if (kind < 95)
      resizeStep();
    else
      keyStep();
    if (!failure_.empty()) return false;
    if (window_.destroyed()) return false;
    if (!screenMatchesRepaint(inParameterView && state_.viewState == 10)) return false;
    return windowComputesWhatItShows();
  }

 private:
  int pick(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  bool chance(int percent) { return pick(100) < percent; }
  template <class T>
  const T& oneOf(const std::vector<T>& v) {
    return v[static_cast<size_t>(pick(static_cast<int>(v.size())))];
  }

  void fail(const std::string& what) {
    if (failure_.empty()) failure_ = what;
  }

  // --- The checks -------------------------------------------------------------------------

  // The one exception: the parameter panel, redrawn in part during and after a drag, erases
  // what moved by drawing it again with a near-white pen, which leaves that pen's traces on
  // white and its gaps in the lines it crosses until the next full draw. Inside the view, a
  // pixel may then differ from the full repaint where it shows that pen's colour.
  bool screenMatchesRepaint(bool partialParameterRedraw) {
    const Rect view = viewArea(state_.layout);
    const Image before = window_.clientImage();
    window_.invalidateAll(true);
    window_.pump();
    const Image& after = window_.clientImage();
    if (before.width != after.width || before.height != after.height) {
      fail("image size changed by a repaint");
      return false;
    }
    Rect box{after.width, after.height, -1, -1};
    int64_t differing = 0;
    for (int32_t y = 0; y < after.height; ++y)
      for (int32_t x = 0; x < after.width; ++x)
        if (before.at(x, y) != after.at(x, y)) {
          if (partialParameterRedraw && before.at(x, y) == kErasingPen && x >= view.left && x < view.right &&
              y >= view.top && y < view.bottom)
            continue;
          ++differing;
          box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                 std::max(box.bottom, y)};
        }
    if (differing == 0) return true;
    if (const char* dump = std::getenv("DETECTION_SCREEN_DUMP"); dump != nullptr && failure_.empty()) {
      writePpm(std::string(dump) + "-before.ppm", before);
      writePpm(std::string(dump) + "-after.ppm", after);
    }
    std::ostringstream out;
    out << "screen differs from a full repaint in " << differing << " pixels within (" << box.left << ","
        << box.top << ")-(" << box.right << "," << box.bottom << "); view " << state_.viewState << ", task "
        << state_.effectiveTaskType << ", series type " << state_.seriesType << ", client " << after.width
        << "x" << after.height;
    fail(out.str());
    return false;
  }

  // The answer on screen is the shared run's on the same series with the settings its header
  // shows, the header names its task and series type, and a chart shown after a cancelled or
  // any later step is the chart of the last complete run.
  bool windowComputesWhatItShows() {
    if (std::string p = headerProblem(state_); !p.empty()) fail(p);
    if (std::string p = answerProblem(state_); failure_.empty() && !p.empty()) fail(p);
    if (failure_.empty() && lastRun_) {
      if (std::string p = chartProblem(window_, state_, *lastRun_); !p.empty()) fail(p);
    }
    return failure_.empty();
  }

  // The buttons the screen shows: a button image found pixel for pixel at a place of the
  // button column.
  std::vector<DrawnButton> drawnButtons() const {
    std::vector<DrawnButton> out;
    const Image& screen = window_.clientImage();
    const ButtonBitmaps& b = procedure_.bitmaps();
    const struct {
      Button button;
      const Image* image;
    } images[] = {{Button::kRestart, &b.restart},
                  {Button::kNext, &b.next},
                  {Button::kExit, &b.exit},
                  {Button::kSelectAll, &b.selectAll},
                  {Button::kUnselectAll, &b.unselectAll}};
    const int32_t left = screen.width - 154;
    for (int32_t top : {screen.height - 42, screen.height - 84, screen.height - 126, screen.height - 168}) {
      for (const auto& candidate : images) {
        const Image& img = *candidate.image;
        bool same =
            left >= 0 && top >= 0 && left + img.width <= screen.width && top + img.height <= screen.height;
        for (int32_t y = 0; same && y < img.height; ++y)
          for (int32_t x = 0; same && x < img.width; ++x) same = screen.at(left + x, top + y) == img.at(x, y);
        if (same)
          out.push_back({candidate.button, Rect{left, top, left + img.width - 1, top + img.height - 1}});
      }
    }
    return out;
  }

  // --- The steps --------------------------------------------------------------------------

  void note(const std::string& what) { log_.push_back(what); }

  // A dialog script: Cancel, or the typing given followed by OK.
  DialogScript script(uint16_t id, std::vector<std::pair<uint16_t, std::string>> typing,
                      int cancelPercent = 20) {
    DialogScript s;
    s.templateId = id;
    if (chance(cancelPercent)) {
      s.click(kIdCancel);
      return s;
    }
    for (auto& [control, text] : typing) s.type(control, text);
    return s;
  }

  std::string number(std::vector<std::string> choices) { return oneOf(choices); }

  void queueSeriesDialogs(bool forSimulation) {
    std::vector<std::pair<uint16_t, std::string>> typing;
    if (chance(60)) {
      typing.push_back({series_parameters_dialog::kSamplesLength,
                        forSimulation
                            ? number({"200", "240"})
                            : number({"200", "600", "1200", "900", "0", "abc", "40000", "1000000"})});
      typing.push_back({series_parameters_dialog::kMinInterval, number({"40", "30", "50", "0", "abc"})});
      typing.push_back({series_parameters_dialog::kMaxInterval, number({"181", "120", "90", "10"})});
      if (chance(30))
        typing.push_back({series_parameters_dialog::kEtalonNumber, number({"1", "3", "20", "25"})});
      if (chance(30))
        typing.push_back({series_parameters_dialog::kMakingEnergyLevel, number({"100", "75", "50"})});
    }
    window_.queueDialog(script(series_parameters_dialog::kTemplate, typing));
    if (!forSimulation) {
      std::vector<std::pair<uint16_t, std::string>> structure;
      if (chance(40))
        structure.push_back({series_structure_dialog::kPulseCount, number({"3", "5", "12", "0"})});
      if (chance(30)) structure.push_back({series_structure_dialog::kNoiseLevel, number({"0", "20", "50"})});
      window_.queueDialog(script(series_structure_dialog::kTemplate, structure));
    }
  }

  void queueChartDialog() {
    using namespace chart_settings_dialog;
    DialogScript s;
    s.templateId = state_.taskType == 2 ? kRecognitionTemplate : kTemplate;
    if (chance(20)) {
      s.click(kIdCancel);
    } else {
      if (chance(50)) s.click(oneOf<uint16_t>({kRestoringError, kDetectionError}));
      if (chance(50)) s.click(oneOf<uint16_t>({kComponentwise, kSummaryView}));
      if (chance(30)) {
        s.click(kFixedUpperBound);
        s.type(kUpperBound, number({"0.5", "1", "abc"}));
      }
    }
    window_.queueDialog(s);
  }

  void menuStep() {
    static const std::vector<uint16_t> kItems = {
        40002, 40001, 40031, 40016, 40017, 40018, 40018, 40018, 40019, 40020,          40021, 40022,
        40012, 40015, 40023, 40024, 40025, 40026, 40005, 40006, 40007, 40027,          40008, 40009,
        40010, 40011, 40028, 40032, 40029, 40030, 40014, 40033, 40003, kMenuOpenSeries};
    const uint16_t id = oneOf(kItems);
    const RestErrHeader* errorsBefore = state_.lpRestErrorHeader;
    bool cancelQueued = false;
    switch (id) {
      case 40001:
        queueSeriesDialogs(false);
        break;
      case 40002: {
        std::vector<std::pair<uint16_t, std::string>> typing;
        typing.push_back({required_etalons_dialog::kCount, number({"1", "3", "5", "0", "20"})});
        typing.push_back(
            {required_etalons_dialog::kList, number({"1", "2,3,4", "5,1,7,9,11", "21,2", "abc"})});
        window_.queueDialog(script(required_etalons_dialog::kTemplate, typing));
        break;
      }
      case 40012: {
        queueSeriesDialogs(true);
        std::vector<std::pair<uint16_t, std::string>> typing = {
            {simulation_parameters_dialog::kPulsesFrom, number({"3", "5"})},
            {simulation_parameters_dialog::kPulsesTo, number({"5", "6"})},
            {simulation_parameters_dialog::kPulsesIncrement, "1"},
            {simulation_parameters_dialog::kNoiseInitialLevel, number({"0", "20"})},
            {simulation_parameters_dialog::kNoiseSteps, number({"1", "2"})},
            {simulation_parameters_dialog::kNoiseIncrement, "10"},
            {simulation_parameters_dialog::kRepeats, number({"1", "2"})}};
        window_.queueDialog(script(simulation_parameters_dialog::kTemplate, typing));
        queueChartDialog();
        if (chance(40)) {
          window_.cancelProgressAt(window_.progressTexts().size() + 2);
          cancelQueued = true;
        }
        break;
      }
      case 40015:
        queueChartDialog();
        break;
      case 40029: {
        DialogScript s;
        s.templateId = subset_settings_dialog::kTemplate;
        if (chance(60)) s.click(static_cast<uint16_t>(subset_settings_dialog::kSingleRandom + pick(5)));
        if (chance(40)) s.click(static_cast<uint16_t>(subset_settings_dialog::kProceedingComplete + pick(2)));
        if (chance(20)) s.click(kIdCancel);
        window_.queueDialog(s);
        break;
      }
      case 40030: {
        DialogScript s;
        s.templateId = drawing_settings_dialog::kTemplate;
        for (int k = pick(4); k > 0; --k)
          s.click(oneOf<uint16_t>(
              {drawing_settings_dialog::kDottedFrame, drawing_settings_dialog::kColouredBackground,
               drawing_settings_dialog::kNoHighlight, drawing_settings_dialog::kFrameGraphFields,
               drawing_settings_dialog::kShadedPulses, drawing_settings_dialog::kHighlightDetectedPulses,
               drawing_settings_dialog::kSpecialGraphSize}));
        if (chance(20)) s.click(kIdCancel);
        window_.queueDialog(s);
        break;
      }
      case kMenuOpenSeries: {
        window_.queueOpenFileName(recordingFile());
        DialogScript s;
        s.templateId = file_options_dialog::kTemplate;
        if (chance(10)) s.click(kIdCancel);
        window_.queueDialog(s);
        break;
      }
      default:
        break;
    }
    note("menu " + std::to_string(id) + (cancelQueued ? " (Cancel in the progress box)" : ""));
    window_.menuCommand(id);
    window_.cancelProgressAt(0);
    // A simulation that ran to its end: its result, as a fresh window would open it.
    if (id == 40012 && !cancelQueued && state_.lpRestErrorHeader != errorsBefore &&
        state_.lpRestErrorHeader != nullptr && state_.lpRestErrorHeader->ifComplete != 0)
      lastRun_ = resultOfRun(state_);
  }

  // A click at the centre of a button on the screen does what its image says.
  void buttonStep() {
    std::vector<DrawnButton> buttons = drawnButtons();
    buttons.erase(std::remove_if(buttons.begin(), buttons.end(),
                                 [](const DrawnButton& d) { return d.button == Button::kExit; }),
                  buttons.end());
    if (buttons.empty()) return emptyColumnStep();
    const DrawnButton target = oneOf(buttons);
    const int32_t x = (target.rect.left + target.rect.right) / 2,
                  y = (target.rect.top + target.rect.bottom) / 2;
    note(std::string("click ") + buttonName(target.button) + " at " + std::to_string(x) + "," +
         std::to_string(y));
    uint16_t flagsBefore[kAlphabetRecords];
    std::copy(std::begin(state_.etalonSelected), std::end(state_.etalonSelected), flagsBefore);
    window_.sent.clear();
    window_.click(x, y);
    const uint16_t first = window_.sent.empty() ? 0 : window_.sent.front();
    const bool flagsKept =
        std::equal(std::begin(state_.etalonSelected), std::end(state_.etalonSelected), flagsBefore);
    const int32_t n = std::min<int32_t>(state_.wEtalonsQuantity, kAlphabetRecords);
    auto allFlags = [&](uint16_t v) {
      return std::all_of(state_.etalonSelected, state_.etalonSelected + n,
                         [v](uint16_t f) { return f == v; });
    };
    bool ok = false;
    switch (target.button) {
      case Button::kRestart:
        ok = (first == CM_REDRAW_WORK_AREA_AND_BUTTONS || first == kMenuSelectSetOfPulses) && flagsKept &&
             (state_.viewState == 5 || state_.viewState == 9);
        break;
      case Button::kNext:
        ok = (first == CM_NEXT_DATA || first == kMenuSelectSetOfPulses || first == CM_REDRAW_SUBSETS ||
              first == CM_NOTHING) &&
             flagsKept;
        break;
      case Button::kSelectAll:
        ok = first == CM_REDRAW_WORK_AREA_AND_BUTTONS && allFlags(1);
        break;
      case Button::kUnselectAll:
        ok = first == CM_REDRAW_WORK_AREA_AND_BUTTONS && allFlags(0);
        break;
      default:
        break;
    }
    if (!ok)
      fail(std::string("the button drawn as ") + buttonName(target.button) + " sent command " +
           std::to_string(first) + (flagsKept ? "" : " and changed the selected etalons"));
  }

  // A click in the right-hand column where no button and no choice entry is drawn acts on
  // nothing.
  void emptyColumnStep() {
    const Image& screen = window_.clientImage();
    const std::vector<DrawnButton> buttons = drawnButtons();
    const ScreenLayout& layout = state_.layout;  // as the last full repaint laid it out
    for (int attempt = 0; attempt < 20; ++attempt) {
      const int32_t x = screen.width - 154 + pick(144);
      const int32_t y = pick(screen.height);
      bool covered = false;
      for (const DrawnButton& d : buttons) covered = covered || d.rect.contains(x, y);
      for (int32_t p = 0; p < layout.choicePanelCount; ++p)
        for (int32_t i = 0; i < 3; ++i) covered = covered || layout.choiceItemRect[p][i].contains(x, y);
      if (covered) continue;
      note("click in the button column at " + std::to_string(x) + "," + std::to_string(y));
      window_.sent.clear();
      window_.click(x, y);
      if (window_.sent != std::vector<uint16_t>{CM_NOTHING})
        fail("a click where nothing is drawn sent command " +
             std::to_string(window_.sent.empty() ? 0 : window_.sent.front()));
      return;
    }
  }

  void choiceStep() {
    const ScreenLayout& layout = state_.layout;
    if (layout.choicePanelCount <= 0) return;
    const int32_t p = pick(layout.choicePanelCount);
    const Rect r = layout.choiceItemRect[p][pick(3)];
    const int32_t x = r.left + pick(std::max(1, r.right - r.left + 1));
    const int32_t y = r.top + pick(std::max(1, r.bottom - r.top + 1));
    note("click choice panel " + std::to_string(p + 1) + " at " + std::to_string(x) + "," +
         std::to_string(y));
    window_.click(x, y);
  }

  void clickIn(const Rect& r, const std::string& what) {
    if (r.right < r.left || r.bottom < r.top) return;
    const int32_t x = r.left + pick(r.right - r.left + 1), y = r.top + pick(r.bottom - r.top + 1);
    note("click " + what + " at " + std::to_string(x) + "," + std::to_string(y));
    window_.click(x, y);
  }

  void viewStep() {
    const ScreenLayout& layout = state_.layout;
    if (chance(15)) return clickIn(layout.workArea, "the work area");
    switch (state_.viewState) {
      case 5: {
        const int32_t k = pick(std::min<int32_t>(state_.wEtalonsQuantity, kMaxEtalonCells));
        return clickIn(layout.etalonCellRect[k], "etalon cell " + std::to_string(k + 1));
      }
      case 9: {
        const int kind = pick(4);
        if (kind == 0 && state_.requiredCount > 0)
          return clickIn(
              state_.usedEtalonCellRect[pick(std::min<int32_t>(state_.requiredCount, kMaxEtalonCells))],
              "a used etalon");
        if (kind == 1) return clickIn(state_.possibleSubsetBox, "the subset box");
        if (kind == 2 && state_.ButtonsWhileSelectedSubsetRect != nullptr && state_.subsetButtonCount > 0) {
          const int32_t b = pick(state_.subsetButtonCount);
          return clickIn(state_.ButtonsWhileSelectedSubsetRect[b], "subset button " + std::to_string(b));
        }
        if (state_.subsetRowRect != nullptr && state_.reservedSubsetCapacity > 0)
          return clickIn(state_.subsetRowRect[pick(state_.reservedSubsetCapacity)], "a reserved row");
        return clickIn(layout.workArea, "the work area");
      }
      case 10:
        return parameterGesture();
      default:
        return clickIn(layout.workArea, "the work area");
    }
  }

  void parameterGesture() {
    ParamsHeader* p = state_.lpParamsHeader;
    if (p == nullptr) return clickIn(state_.layout.workArea, "the work area");
    const int kind = pick(6);
    if (kind == 0) {
      const std::string text = number({"40", "30", "60", "0", "abc", "", "1000"});
      note("type '" + text + "' into the Tmin field");
      window_.setEditText(kTminEditId, text);
      return;
    }
    if (kind == 1) return clickIn(p->okButton, "the panel's OK");
    if (kind == 2) return clickIn(p->cancelButton, "the panel's Cancel");
    // A drag from a handle or a line, or from anywhere in the diagram.
    Point from{0, 0};
    const int where = pick(5);
    auto mid = [](const Segment& s) { return Point{(s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2}; };
    if (where == 0)
      from = {(p->firstStartHandle.left + p->firstStartHandle.right) / 2,
              (p->firstStartHandle.top + p->firstStartHandle.bottom) / 2};
    else if (where == 1)
      from = {(p->lastStartHandle.left + p->lastStartHandle.right) / 2,
              (p->lastStartHandle.top + p->lastStartHandle.bottom) / 2};
    else if (where == 2)
      from = mid(p->tminLine);
    else if (where == 3)
      from = mid(p->tmaxLine);
    else
      from = {p->graphRect.left + pick(std::max(1, p->graphRect.right - p->graphRect.left)),
              p->graphRect.top + pick(std::max(1, p->graphRect.bottom - p->graphRect.top))};
    std::ostringstream out;
    out << "drag from " << from.x << "," << from.y;
    window_.mouseMove(from.x, from.y);
    window_.mouseDown(from.x, from.y);
    Point at = from;
    for (int k = 1 + pick(4); k > 0; --k) {
      at = {at.x + pick(61) - 30, at.y + pick(61) - 30};
      window_.mouseMove(at.x, at.y, kMkLButton);
      out << " to " << at.x << "," << at.y;
    }
    window_.mouseUp(at.x, at.y);
    note(out.str());
  }

  void resizeStep() {
    const int32_t w = 760 + pick(700), h = 560 + pick(460);
    note("resize to " + std::to_string(w) + "x" + std::to_string(h));
    window_.resize(w, h);
    window_.pump();
  }

  void keyStep() {
    const uint32_t key = static_cast<uint32_t>(pick(3) == 0 ? pick(2) : 0x41 + pick(26));
    note("key " + std::to_string(key));
    window_.keyDown(key);
  }

  std::mt19937 rng_;
  AppState state_;
  RecordingWindow window_;
  MainWindow procedure_;
  bool created_ = false;
  std::vector<std::string> log_;
  std::string failure_;
  std::optional<SimulationResult> lastRun_;  // of the last complete statistical simulation
};

// Sequences per run: 2,000 in the normal build, dealt to ten test cases so that ctest runs
// them side by side, and 60 under the sanitizers. DETECTION_SCREEN_SCALE multiplies both, or
// else DETECTION_TEST_SCALE (the quick scripts/test runs a tenth; --full runs them all).
constexpr int kSequences = 2000;
constexpr int kSanitizedSequences = 60;
constexpr int kParts = 10;
constexpr int kMaxSteps = 40;

class ScreenProperty : public ::testing::TestWithParam<int> {};

TEST_P(ScreenProperty, ScreenIsAlwaysAFullRepaintAndButtonsDoWhatTheyShow) {
  const int total = std::max(
      kParts, scaledCount(std::getenv("DETECTION_SANITIZED") != nullptr ? kSanitizedSequences : kSequences,
                          "DETECTION_SCREEN_SCALE"));
  const int part = GetParam();
  int failed = 0;
  int run = 0;
  std::string report;
  // DETECTION_SCREEN_SEED replays one sequence (and DETECTION_SCREEN_DUMP names the
  // pictures of its first difference).
  const char* only = std::getenv("DETECTION_SCREEN_SEED");
  if (only != nullptr && part != 0) GTEST_SKIP() << "DETECTION_SCREEN_SEED replays its sequence in part 0";
  for (int seq = part; seq < (only != nullptr ? 1 : total); seq += kParts) {
    ++run;
    const uint32_t seed =
        only != nullptr ? static_cast<uint32_t>(std::atol(only)) : 1000u + static_cast<uint32_t>(seq);
    std::mt19937 sizes(seed);
    Session session(seed, 800 + static_cast<int32_t>(sizes() % 600),
                    600 + static_cast<int32_t>(sizes() % 400));
    ASSERT_TRUE(session.created());
    const int steps = 1 + static_cast<int>(sizes() % kMaxSteps);
    for (int k = 0; k < steps; ++k) {
      if (session.step()) continue;
      if (session.failure().empty()) break;  // the window was closed
      if (++failed <= 3)
        report += "seed " + std::to_string(seed) + ": " + session.failure() + "\n" + session.log();
      break;
    }
  }
  EXPECT_EQ(failed, 0) << failed << " of " << run << " sequences failed; the first:\n" << report;
}

INSTANTIATE_TEST_SUITE_P(Part, ScreenProperty, ::testing::Range(0, kParts));

}  // namespace

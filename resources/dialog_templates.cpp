#include "platform/dialog_ids.h"
#include "platform/message_sink.h"
#include "platform/resources.h"

namespace {

using K = ControlKind;

DialogControl ok(int16_t x, int16_t y) { return {K::kDefPushButton, kIdOk, "OK", x, y, 50, 14, false}; }
DialogControl cancel(int16_t x, int16_t y) {
  return {K::kPushButton, kIdCancel, "Cancel", x, y, 50, 14, false};
}
DialogControl group(const char* text, int16_t x, int16_t y, int16_t cx, int16_t cy) {
  return {K::kGroupBox, kStaticId, text, x, y, cx, cy, false};
}
DialogControl label(const char* text, int16_t x, int16_t y, int16_t cx, int16_t cy = 8,
                    uint16_t id = kStaticId) {
  return {K::kStatic, id, text, x, y, cx, cy, false};
}
DialogControl edit(uint16_t id, int16_t x, int16_t y, int16_t cx) {
  return {K::kEdit, id, "", x, y, cx, 12, false};
}
DialogControl radio(uint16_t id, const char* text, int16_t x, int16_t y, int16_t cx) {
  return {K::kRadioButton, id, text, x, y, cx, 10, false};
}
DialogControl check(uint16_t id, const char* text, int16_t x, int16_t y, int16_t cx) {
  return {K::kCheckBox, id, text, x, y, cx, 10, false};
}
DialogControl disabled(DialogControl c) {
  c.disabled = true;
  return c;
}

DialogTemplate seriesParameters() {
  using namespace series_parameters_dialog;
  return {kTemplate,
          "Create Series",
          209,
          168,
          8,
          {group("Parameters for creating series", 7, 7, 195, 95), label("Samples Length", 15, 20, 140),
           edit(kSamplesLength, 157, 18, 40), label("Min Length of Interval", 15, 36, 140),
           edit(kMinInterval, 157, 34, 40), label("Max Length of Interval", 15, 52, 140),
           edit(kMaxInterval, 157, 50, 40), label("Etalon Number", 15, 68, 140),
           edit(kEtalonNumber, 157, 66, 40), label("Saved Energy Level (from 0 to 100)", 15, 84, 140),
           edit(kMakingEnergyLevel, 157, 82, 40), group("Parameters for processing series", 7, 107, 195, 30),
           label("Saved Energy Level (from 0 to 100)", 15, 120, 140),
           edit(kProcessingEnergyLevel, 157, 118, 40), ok(40, 146), cancel(119, 146)}};
}

DialogTemplate seriesStructure() {
  using namespace series_structure_dialog;
  return {
      kTemplate,
      "Create Series",
      192,
      138,
      8,
      {group(" Series structure ", 7, 7, 178, 88),
       label("Number of Pulses in Series", 15, 20, 162, 8, kPulseCountLabel), edit(kPulseCount, 15, 31, 50),
       label("Sequence of Etalons in Series", 15, 48, 162, 16, kSequenceLabel),
       edit(kEtalonSequence, 15, 66, 162), label("Noise Level", 15, 102, 60), edit(kNoiseLevel, 80, 100, 50),
       ok(30, 118), cancel(112, 118)}};
}

DialogTemplate requiredEtalons() {
  using namespace required_etalons_dialog;
  return {kTemplate,
          "List of Required Etalons",
          137,
          95,
          8,
          {label("Number of Required Etalons", 7, 7, 123), edit(kCount, 7, 17, 40),
           label("List of Required Etalons", 7, 34, 123, 16, kListLabel), edit(kList, 7, 52, 123), ok(12, 74),
           cancel(75, 74)}};
}

DialogTemplate simulationParameters() {
  using namespace simulation_parameters_dialog;
  return {kTemplate,
          " Location Parameters",
          240,
          109,
          8,
          {group(" Number of Pulses in Series ", 7, 7, 110, 52), label("from", 14, 20, 18),
           edit(kPulsesFrom, 34, 18, 28), label("to", 68, 20, 10), edit(kPulsesTo, 80, 18, 28),
           label("incr.", 14, 38, 18), edit(kPulsesIncrement, 34, 36, 28),
           label("Number of Repeats", 7, 67, 75), edit(kRepeats, 83, 65, 34),
           group(" Noise parameters ", 123, 7, 110, 70), label("Initial Level", 130, 20, 62),
           edit(kNoiseInitialLevel, 197, 18, 30), label("Number of Steps in Simulation", 130, 34, 62, 16),
           edit(kNoiseSteps, 197, 36, 30), label("Noise Increment per Step", 130, 52, 62, 16),
           edit(kNoiseIncrement, 197, 54, 30), ok(60, 88), cancel(130, 88)}};
}

DialogTemplate subsetSettings() {
  using namespace subset_settings_dialog;
  return {
      kTemplate,
      "Subset settings",
      235,
      113,
      8,
      {group(" Subset employment ", 7, 7, 92, 80), radio(kSingleRandom, "Single random ", 14, 19, 82),
       radio(kSingleFixed, "Single fixed", 14, 31, 82), radio(kMultipleRandom, "Multiple random", 14, 43, 82),
       radio(kComplete, "Complete ", 14, 55, 82), radio(kShiftedComplete, "Shifted complete", 14, 67, 82),
       disabled(label("Subset init position", 104, 60, 110)), disabled(edit(kInitPosition, 104, 71, 50)),
       group(" Subset proceeding ", 104, 7, 125, 45), radio(kProceedingComplete, "Complete ", 110, 19, 116),
       radio(kProceedingShiftedComplete, "Probably shifted complete", 110, 33, 116), ok(50, 94),
       cancel(120, 94)}};
}

DialogTemplate drawingSettings() {
  using namespace drawing_settings_dialog;
  return {
      kTemplate,
      "Drawing settings",
      175,
      122,
      8,
      {group(" Highlight detected tuples ", 7, 5, 161, 46), radio(kDottedFrame, "dotted frame", 14, 16, 140),
       radio(kColouredBackground, "coloured background", 14, 27, 140),
       radio(kNoHighlight, "none", 14, 38, 140), check(kFrameGraphFields, "frame graph fields", 14, 55, 140),
       check(kShadedPulses, "shaded original pulses", 14, 66, 140),
       check(kHighlightDetectedPulses, "highlight detected pulses", 14, 77, 140),
       check(kSpecialGraphSize, "special graph size", 14, 88, 140), ok(35, 103), cancel(95, 103)}};
}

DialogTemplate chartSettings() {
  using namespace chart_settings_dialog;
  return {
      kTemplate,
      " Show Statistical Simulation parameters",
      190,
      97,
      8,
      {group(" Handling case ", 7, 7, 85, 38), radio(kRestoringError, "restoring error", 13, 18, 75),
       radio(kDetectionError, "detection error", 13, 30, 75), group(" View case ", 98, 7, 85, 38),
       radio(kComponentwise, "componentwise", 104, 18, 75), radio(kSummaryView, "summary view", 104, 30, 75),
       group(" Upper bound case ", 7, 48, 176, 26), check(kFixedUpperBound, "fixed upper bound", 13, 60, 84),
       label("upper bound", 99, 61, 48), edit(kUpperBound, 148, 59, 32), ok(40, 80), cancel(100, 80)}};
}

DialogTemplate recognitionChartSettings() {
  using namespace chart_settings_dialog;
  return {
      kRecognitionTemplate,
      "Show Statistical Simulation",
      186,
      117,
      8,
      {group(" Handling case ", 7, 7, 85, 50), radio(kRestoringError, "restoring error", 13, 18, 78),
       radio(kDetectionError, "detection error", 13, 30, 78),
       radio(kRecognitionError, "recognition error", 13, 42, 78), group(" View case ", 96, 7, 83, 38),
       radio(kComponentwise, "componentwise", 102, 18, 75), radio(kSummaryView, "summary view", 102, 30, 75),
       check(kBoundsIncluded, "bounds incl.", 102, 47, 75), group(" Upper bound case ", 7, 62, 172, 28),
       check(kFixedUpperBound, "fixed upper bound", 13, 75, 84), label("upper bound", 99, 76, 48),
       edit(kUpperBound, 148, 74, 29), ok(35, 98), cancel(100, 98)}};
}

// Options of a series or etalon file chosen by "Open series..." or "Open etalons...". The
// processing group applies to a series: the run it starts at once (disabled for etalons).
DialogTemplate fileOptions() {
  using namespace file_options_dialog;
  return {kTemplate,
          "File Options",
          250,
          196,
          8,
          {group(" Which values ", 7, 7, 236, 76),
           label("Column (number or header name)", 15, 20, 165),
           edit(kColumn, 185, 18, 50),
           label("Channel of a sound file", 15, 34, 165),
           edit(kChannel, 185, 32, 50),
           label("Skip samples at the start", 15, 48, 165),
           edit(kSkipSamples, 185, 46, 50),
           label("Number of samples (empty: all)", 15, 62, 165),
           edit(kSampleCount, 185, 60, 50),
           label("Scale factor (empty: peak to amplitude)", 7, 90, 175),
           edit(kScaleFactor, 185, 88, 50),
           group(" Processing of the series ", 7, 104, 236, 70),
           label("Tmin", 15, 118, 25),
           edit(kTmin, 42, 116, 40),
           label("Tmax", 100, 118, 25),
           edit(kTmax, 127, 116, 40),
           radio(kKnownPulses, "known number of pulses", 15, 133, 105),
           radio(kUnknownPulses, "unknown number of pulses", 125, 133, 110),
           label("Etalon (number; empty: the opened etalons)", 15, 152, 165),
           edit(kEtalon, 185, 150, 50),
           ok(70, 178),
           cancel(140, 178)}};
}

std::vector<DialogTemplate> makeTemplates() {
  return {seriesParameters(),     seriesStructure(),          requiredEtalons(),
          simulationParameters(), subsetSettings(),           drawingSettings(),
          chartSettings(),        recognitionChartSettings(), fileOptions()};
}

}  // namespace

const DialogTemplate* dialogResource(uint16_t id) {
  static const std::vector<DialogTemplate> kTemplates = makeTemplates();
  for (const DialogTemplate& t : kTemplates)
    if (t.id == id) return &t;
  return nullptr;
}

#pragma once
#include <cstdint>

// The ids of the dialog templates and of their controls, shared by the templates
// (resources/dialog_templates.cpp), the dialog procedures (shell/) and the tests that script the
// dialogs. The numbers are the dialogs' own and never change; one number may mean different
// controls in different dialogs, so each dialog keeps its controls in a namespace of its own.
// OK and Cancel are kIdOk and kIdCancel of platform/message_sink.h in every dialog.

// 105 "Create Series": the series to make and how it is processed.
namespace series_parameters_dialog {
inline constexpr uint16_t kTemplate = 105;
inline constexpr uint16_t kSamplesLength = 1000;
inline constexpr uint16_t kMinInterval = 1001;
inline constexpr uint16_t kMaxInterval = 1003;
inline constexpr uint16_t kEtalonNumber = 1004;
inline constexpr uint16_t kMakingEnergyLevel = 1005;      // saved energy level of the pulses made
inline constexpr uint16_t kProcessingEnergyLevel = 1006;  // saved energy level of the processing
}  // namespace series_parameters_dialog

// 106 "Create Series": the pulses of the series and its noise.
namespace series_structure_dialog {
inline constexpr uint16_t kTemplate = 106;
inline constexpr uint16_t kPulseCount = 1007;
inline constexpr uint16_t kPulseCountLabel = 1008;  // names the admissible pulse counts
inline constexpr uint16_t kSequenceLabel = 1009;    // names the admissible etalon numbers
inline constexpr uint16_t kEtalonSequence = 1010;
inline constexpr uint16_t kNoiseLevel = 1011;
}  // namespace series_structure_dialog

// 107 "List of Required Etalons".
namespace required_etalons_dialog {
inline constexpr uint16_t kTemplate = 107;
inline constexpr uint16_t kListLabel = 1012;  // names the admissible etalon numbers
inline constexpr uint16_t kList = 1013;
inline constexpr uint16_t kCount = 1014;
}  // namespace required_etalons_dialog

// 110 " Location Parameters": the grid of a statistical simulation.
namespace simulation_parameters_dialog {
inline constexpr uint16_t kTemplate = 110;
inline constexpr uint16_t kPulsesFrom = 1015;
inline constexpr uint16_t kPulsesTo = 1016;
inline constexpr uint16_t kPulsesIncrement = 1017;
inline constexpr uint16_t kNoiseSteps = 1018;
inline constexpr uint16_t kNoiseInitialLevel = 1019;
inline constexpr uint16_t kNoiseIncrement = 1020;
inline constexpr uint16_t kRepeats = 1021;
}  // namespace simulation_parameters_dialog

// 111 "Subset settings". The employment buttons are consecutive, in the order of the
// employments 1 to 5; the proceeding buttons likewise for the proceedings 1 and 2.
namespace subset_settings_dialog {
inline constexpr uint16_t kTemplate = 111;
inline constexpr uint16_t kSingleRandom = 1015;
inline constexpr uint16_t kSingleFixed = 1016;
inline constexpr uint16_t kMultipleRandom = 1017;
inline constexpr uint16_t kComplete = 1018;
inline constexpr uint16_t kShiftedComplete = 1019;
inline constexpr uint16_t kInitPosition = 1020;  // disabled
inline constexpr uint16_t kProceedingComplete = 1021;
inline constexpr uint16_t kProceedingShiftedComplete = 1022;
}  // namespace subset_settings_dialog

// 112 "Drawing settings".
namespace drawing_settings_dialog {
inline constexpr uint16_t kTemplate = 112;
inline constexpr uint16_t kHighlightDetectedPulses = 1023;
inline constexpr uint16_t kShadedPulses = 1024;
inline constexpr uint16_t kDottedFrame = 1025;  // the three ways of highlighting detected tuples
inline constexpr uint16_t kColouredBackground = 1026;
inline constexpr uint16_t kNoHighlight = 1027;
inline constexpr uint16_t kSpecialGraphSize = 1043;
inline constexpr uint16_t kFrameGraphFields = 1044;
}  // namespace drawing_settings_dialog

// 113 " Show Statistical Simulation parameters" and, for recognition, 114 "Show Statistical
// Simulation", which adds "recognition error" and "bounds incl." to the same controls.
namespace chart_settings_dialog {
inline constexpr uint16_t kTemplate = 113;
inline constexpr uint16_t kRecognitionTemplate = 114;
inline constexpr uint16_t kRestoringError = 1028;
inline constexpr uint16_t kDetectionError = 1029;
inline constexpr uint16_t kComponentwise = 1030;
inline constexpr uint16_t kSummaryView = 1031;
inline constexpr uint16_t kFixedUpperBound = 1032;
inline constexpr uint16_t kUpperBound = 1033;
inline constexpr uint16_t kRecognitionError = 1034;  // 114 only
inline constexpr uint16_t kBoundsIncluded = 1042;    // 114 only
}  // namespace chart_settings_dialog

// 130 "File Options": the values read from a series or etalon file, and the run a series starts.
namespace file_options_dialog {
inline constexpr uint16_t kTemplate = 130;
inline constexpr uint16_t kColumn = 1101;
inline constexpr uint16_t kChannel = 1102;
inline constexpr uint16_t kSkipSamples = 1103;
inline constexpr uint16_t kSampleCount = 1104;
inline constexpr uint16_t kScaleFactor = 1105;
inline constexpr uint16_t kTmin = 1106;
inline constexpr uint16_t kTmax = 1107;
inline constexpr uint16_t kKnownPulses = 1108;
inline constexpr uint16_t kUnknownPulses = 1109;
inline constexpr uint16_t kEtalon = 1110;
}  // namespace file_options_dialog

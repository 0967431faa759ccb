#pragma once
#include <nlohmann/json.hpp>
#include <string>

struct PulseHeader;
struct SeriesHeader;
struct ChainsHeader;

using OrderedJson = nlohmann::ordered_json;

// {"etalons": [{"wNumber": n, "samples": [...]}, ...]} for the first count records.
OrderedJson alphabetJson(const PulseHeader* alphabet, uint16_t count);

// The sizes of the series header: dwSeriesSize, wTmin, wTmax, wImpulseSize,
// wImpulseQuantity, wMinPulses, wMaxPulses, wNoiseLevel.
void addSeriesSizesJson(OrderedJson& doc, const SeriesHeader& series);

// The series header: sizes, the pure and noisy samples and the per-pulse truth, the
// per-pulse tables cut to wImpulseQuantity entries.
void addSeriesJson(OrderedJson& doc, const SeriesHeader& series);

// The answer of the last solver kept in the series: restored pulses (cut to
// wRestoredQuantity) and tuples (cut to wRestoredTuples), and the recognised subset.
void addRestoredJson(OrderedJson& doc, const SeriesHeader& series);

// "chains": the kept chains in rank order, each {"distance", "pulses": [{"etalon",
// "position", "begin", "end"}, ...]}, and "wSeekingPulsesQuantity".
void addChainsJson(OrderedJson& doc, const ChainsHeader& chains);

// The document as text: one member of the top-level object per line, arrays of numbers
// on one line, an array of objects one object per line; ends with a line break.
std::string formatDocument(const OrderedJson& doc);

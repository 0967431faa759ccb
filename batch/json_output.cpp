#include "batch/json_output.h"

#include <algorithm>

#include "processing/chains_header.h"
#include "signal/pulse_header.h"
#include "signal/series_header.h"

namespace {

OrderedJson numbers(const int16_t* values, size_t count) {
  OrderedJson array = OrderedJson::array();
  for (size_t i = 0; i < count; ++i) array.push_back(values[i]);
  return array;
}

// A per-pulse table never holds more than wPulsesCapacity entries, whatever a count says.
size_t tableEntries(const SeriesHeader& series, int64_t count) {
  return static_cast<size_t>(std::clamp<int64_t>(count, 0, series.wPulsesCapacity));
}

std::string compact(const OrderedJson& value) {
  if (value.is_array()) {
    std::string text = "[";
    for (size_t i = 0; i < value.size(); ++i) {
      if (i) text += ", ";
      text += compact(value[i]);
    }
    return text + "]";
  }
  if (value.is_object()) {
    std::string text = "{";
    bool first = true;
    for (const auto& [key, member] : value.items()) {
      if (!first) text += ", ";
      first = false;
      text += OrderedJson(key).dump() + ": " + compact(member);
    }
    return text + "}";
  }
  return value.dump();
}

}  // namespace

OrderedJson alphabetJson(const PulseHeader* alphabet, uint16_t count) {
  OrderedJson etalons = OrderedJson::array();
  for (uint16_t i = 0; i < count; ++i) {
    const PulseHeader& pulse = alphabet[i];
    OrderedJson etalon;
    etalon["wNumber"] = pulse.wNumber;
    etalon["samples"] = pulse.lpData ? numbers(pulse.lpData, pulse.wSize) : OrderedJson::array();
    etalons.push_back(etalon);
  }
  OrderedJson doc;
  doc["etalons"] = etalons;
  return doc;
}

void addSeriesSizesJson(OrderedJson& doc, const SeriesHeader& series) {
  doc["dwSeriesSize"] = series.dwSeriesSize;
  doc["wTmin"] = series.wTmin;
  doc["wTmax"] = series.wTmax;
  doc["wImpulseSize"] = series.wImpulseSize;
  doc["wImpulseQuantity"] = series.wImpulseQuantity;
  doc["wMinPulses"] = series.wMinPulses;
  doc["wMaxPulses"] = series.wMaxPulses;
  doc["wNoiseLevel"] = series.wNoiseLevel;
}

void addSeriesJson(OrderedJson& doc, const SeriesHeader& series) {
  const size_t samples = std::min(series.dwSeriesSize, series.dwReservedSize);
  const size_t pulses = tableEntries(series, series.wImpulseQuantity);
  addSeriesSizesJson(doc, series);
  doc["lpPureData"] = numbers(series.lpPureData, samples);
  doc["lpNoisyData"] = numbers(series.lpNoisyData, samples);
  doc["lpPositions"] = numbers(series.lpPositions, pulses);
  doc["lpLowBounds"] = numbers(series.lpLowBounds, pulses);
  doc["lpHighBounds"] = numbers(series.lpHighBounds, pulses);
  doc["lpEtalonNumbers"] = numbers(series.lpEtalonNumbers, pulses);
  doc["lpCutBegin"] = numbers(series.lpCutBegin, pulses);
  doc["lpCutEnd"] = numbers(series.lpCutEnd, pulses);
}

void addRestoredJson(OrderedJson& doc, const SeriesHeader& series) {
  const size_t found = tableEntries(series, series.wRestoredQuantity);
  const size_t tuples = tableEntries(series, series.wRestoredTuples);
  doc["wRestoredQuantity"] = series.wRestoredQuantity;
  doc["lpRestoredPositions"] = numbers(series.lpRestoredPositions, found);
  doc["lpRestoredEtalons"] = numbers(series.lpRestoredEtalons, found);
  doc["lpRestoredCutBegin"] = numbers(series.lpRestoredCutBegin, found);
  doc["lpRestoredCutEnd"] = numbers(series.lpRestoredCutEnd, found);
  doc["wRestoredTuples"] = series.wRestoredTuples;
  doc["lpRestoredTupleFirst"] = numbers(series.lpRestoredTupleFirst, tuples);
  doc["lpRestoredTupleLast"] = numbers(series.lpRestoredTupleLast, tuples);
  doc["wRecognizedSubset"] = series.wRecognizedSubset;
}

void addChainsJson(OrderedJson& doc, const ChainsHeader& chains) {
  OrderedJson list = OrderedJson::array();
  const uint16_t kept = std::min(chains.wPretenders, chains.wMaxSize);
  for (uint16_t i = 0; i < kept; ++i) {
    OrderedJson pulses = OrderedJson::array();
    const int32_t length = std::clamp<int32_t>(chains.chainLength[i], 0, chains.wMaxPulses);
    for (int32_t j = 0; j < length; ++j) {
      OrderedJson pulse;
      pulse["etalon"] = chains.pulsesList[i][j];
      pulse["position"] = chains.positionsList[i][j];
      pulse["begin"] = chains.cutOffBeginList[i][j];
      pulse["end"] = chains.cutOffEndList[i][j];
      pulses.push_back(pulse);
    }
    OrderedJson chain;
    chain["distance"] = chains.distance[i];
    chain["pulses"] = pulses;
    list.push_back(chain);
  }
  doc["chains"] = list;
  doc["wSeekingPulsesQuantity"] = chains.wSeekingPulsesQuantity;
}

std::string formatDocument(const OrderedJson& doc) {
  std::string text = "{";
  bool first = true;
  for (const auto& [key, value] : doc.items()) {
    text += first ? "\n  " : ",\n  ";
    first = false;
    text += OrderedJson(key).dump() + ": ";
    const bool objectList = value.is_array() && !value.empty() && value.front().is_object();
    if (!objectList) {
      text += compact(value);
      continue;
    }
    text += "[";
    for (size_t i = 0; i < value.size(); ++i) text += (i ? ",\n    " : "\n    ") + compact(value[i]);
    text += "\n  ]";
  }
  return text + "\n}\n";
}

#include "batch/simulation_table.h"

#include "simulation/rest_err_header.h"

namespace {

OrderedJson rows(int32_t* const* table, uint16_t levels, uint16_t pulses) {
  OrderedJson result = OrderedJson::array();
  for (uint16_t k = 0; k < levels; ++k) {
    OrderedJson row = OrderedJson::array();
    for (uint16_t j = 0; j < pulses; ++j) row.push_back(table[k][j]);
    result.push_back(row);
  }
  return result;
}

}  // namespace

OrderedJson simulationTableJson(const RestErrHeader& errors) {
  OrderedJson doc;
  const uint16_t levels = errors.wNoiseLevels;
  const uint16_t pulses = errors.wVariousPulses;
  doc["noise_level"] = OrderedJson::array();
  for (uint16_t k = 0; k < levels; ++k) doc["noise_level"].push_back(errors.lpNoiseLevel[k]);
  doc["pulses"] = OrderedJson::array();
  for (uint16_t j = 0; j < pulses; ++j) doc["pulses"].push_back(errors.wPulseValues[j]);
  doc["restoring_error"] = rows(errors.lpErrors, levels, pulses);
  doc["position_error"] = rows(errors.lpFragmentErrors, levels, pulses);
  doc["recognition_errors"] = rows(errors.lpRecognitionErrors, levels, pulses);
  return doc;
}

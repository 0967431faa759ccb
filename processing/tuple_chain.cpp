#include "processing/tuple_chain.h"

#include "processing/solver_input.h"
#include "signal/series_header.h"

void reserveTupleChain(TupleChain& chain, uint16_t pulses) {
  for (std::vector<int32_t>* list : {&chain.etalons, &chain.positions, &chain.begins, &chain.ends})
    list->resize(pulses);
  chain.firsts.resize(pulses);
  chain.lasts.resize(pulses);
}

void writeTupleChain(SeriesHeader& series, const TupleChain* chain) {
  if (chain == nullptr) {
    series.wRestoredQuantity = 0;
    series.wRestoredTuples = 0;
    return;
  }
  writeRestoredChain(series, chain->count, chain->etalons.data(), chain->positions.data(),
                     chain->begins.data(), chain->ends.data());
  series.wRestoredTuples = static_cast<int16_t>(chain->tuples);
  for (uint16_t t = 0; t < chain->tuples; ++t) {
    series.lpRestoredTupleFirst[t] = chain->firsts[t];
    series.lpRestoredTupleLast[t] = chain->lasts[t];
  }
}

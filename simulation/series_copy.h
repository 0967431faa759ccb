#pragma once

class MessageSink;
struct SeriesHeader;

// Copies one series into another header with storage of its own: the scalars, the pure and
// noisy samples, the etalon pointers and the per-pulse tables (as many entries as both
// capacities allow), the current subset included; the selected subsets and the capacities of
// the target stay as they are. Lets a series be solved on a private copy. Returns false,
// copying nothing, when the target's sample storage or etalon list is too small.
bool copySeriesContents(const SeriesHeader& source, SeriesHeader& target);

// A new header holding a copy of the series, its selected subsets included, for a record
// that must outlive later runs (the series a simulation's chart describes). Null after a
// message when storage cannot be had.
SeriesHeader* duplicateSeries(MessageSink& window, const SeriesHeader& series);

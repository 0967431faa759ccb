#pragma once
// Reader of the JSON documents the workbench writes: a series document (as `detection-batch
// series` writes it) gives its noisy samples "lpNoisyData", or another array of numbers
// chosen by name ("lpPureData"); an alphabet document {"etalons": [{"samples": [...]}, ...]}
// gives etalons.

#include <string>
#include <string_view>

#include "files/series_values.h"

bool parseJsonSeries(std::string_view bytes, const std::string& source, const SeriesReadOptions& options,
                     SeriesValues& out, std::string& error);

bool parseJsonEtalons(std::string_view bytes, const std::string& source, EtalonValues& out,
                      std::string& error);

// True when the first character that is not blank (after a UTF-8 byte order mark) is '{'.
bool looksLikeJson(std::string_view bytes);

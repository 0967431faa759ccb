#pragma once
// The files of a simulation: its description for result files, and writing them.
#include <string>

#include "files/atomic_file.h"
#include "files/simulation_result.h"

struct RestErrHeader;
struct SimulateSettings;

// The description of the run of the settings, with the grid of the initialised error header.
SimulationRun simulationRunOf(const SimulateSettings& settings, const RestErrHeader& errors);

// Opens an output of the command early, so that a folder that cannot be written is reported
// before the work; false after a message on standard error naming the option.
bool openOutput(const char* option, AtomicFile& file);

// Writes the whole text to an opened output and renames it into place; false after a message.
bool finishOutput(const char* option, AtomicFile& file, const std::string& text);

// Writes text to standard output; false after a message.
bool writeStandardOutput(const std::string& text);

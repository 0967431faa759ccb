#pragma once
#include "batch/command_line/wired_command.h"

// The series subcommand and its options.
WiredCommand wireSeries(CLI::App& app);

#pragma once
#include "batch/command_line/wired_command.h"

// The merge subcommand and its options.
WiredCommand wireMerge(CLI::App& app);

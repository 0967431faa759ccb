#pragma once
#include "batch/command_line/wired_command.h"

// The simulate subcommand and its options.
WiredCommand wireSimulate(CLI::App& app);

#pragma once
#include "batch/command_line/wired_command.h"

// The chart subcommand and its options (built where Qt is found).
WiredCommand wireChart(CLI::App& app);

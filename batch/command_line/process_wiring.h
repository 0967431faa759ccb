#pragma once
#include "batch/command_line/wired_command.h"

// The process subcommand and its options.
WiredCommand wireProcess(CLI::App& app);

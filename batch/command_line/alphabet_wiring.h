#pragma once
#include "batch/command_line/wired_command.h"

// The alphabet subcommand and its options.
WiredCommand wireAlphabet(CLI::App& app);

#pragma once

// Exit statuses of the companion.
enum : int { kExitOk = 0, kExitFailed = 1, kExitBadOptions = 2 };

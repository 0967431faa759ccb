#pragma once
#include <string>
#include <string_view>

class AtomicFile;

// A user's value as it may appear inside a one-line message: in double quotes, with
// backslashes, double quotes and control characters escaped (\n, \t, \r, \xHH).
std::string quotedValue(std::string_view value);

// Text made safe for one line: control characters escaped as quotedValue() escapes them, nothing
// else changed, no quotes added.
std::string oneLine(std::string_view text);

// Writes text to standard output. Returns false after the line "detection-batch: cannot
// write standard output: <reason>" on standard error once a write or flush has failed;
// after a first failure nothing more is written and every later call fails silently.
bool writeStandardOutput(std::string_view text);

// Flushes standard output; false (after the same message, given once) when it or any
// earlier write to it failed.
bool finishStandardOutput();

// Writes text to the named file through an AtomicFile, or to standard output when the name
// is empty. Returns false after one line naming the option: "detection-batch: --csv: cannot
// write \"a.csv\": No space left on device".
bool writeOutputFile(const std::string& option, const std::string& fileName, std::string_view text);

// Opens an AtomicFile early, so that a folder that cannot be written is reported before the
// work; false after the line below.
bool openOutputFile(const std::string& option, AtomicFile& file);

// Commits an open AtomicFile with text written into it; false after the line above.
bool commitOutputFile(const std::string& option, AtomicFile& file, std::string_view text);

// Prints "detection-batch: <option>: <the file's error>" on standard error.
void reportFileError(const std::string& option, const AtomicFile& file);

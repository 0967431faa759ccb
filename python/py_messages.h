#pragma once
// What the libraries say, as Python sees it: message boxes of a failed run become a
// WorkbenchError, the others WorkbenchWarnings; bad options become an OptionError.
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "batch/options.h"
#include "batch/workbench_runs.h"
#include "platform/message_recorder.h"

namespace py = pybind11;

// Creates WorkbenchError (RuntimeError), OptionError (ValueError) and WorkbenchWarning
// (UserWarning) in the module.
void addExceptionTypes(py::module_& module);

// The keyword argument an option of the companion stands for: "--pulses-from" -> "pulses_from".
std::string keywordFor(const std::string& option);

// Raises OptionError naming the keyword: "pulses: 40 lies outside the admissible range 6..30".
[[noreturn]] void raiseOptionError(const OptionError& error);

// Raises OptionError (a ValueError) for a given series too short for one pulse: the message as the
// window and the companion give it, with option set to the argument that holds the series.
[[noreturn]] void raiseSeriesTooShort(const std::string& message, const char* argument);

// Hands on the message boxes of a run: each one a WorkbenchWarning when the run succeeded;
// when it failed, the last box (its caption and text, followed by the outcome's own reason)
// becomes the WorkbenchError raised and the earlier ones warnings. Needs the interpreter lock.
void reportRun(const std::vector<MessageRecorder::Message>& messages, const RunOutcome& outcome);

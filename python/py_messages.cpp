#include "python/py_messages.h"

#include "batch/stderr_window.h"

namespace {

// Kept alive by the module (and one reference of our own) for the life of the process.
py::handle workbenchError;
py::handle optionError;
py::handle workbenchWarning;

// The one-line form of a box, as detection-batch prints it: "[caption] text".
std::string boxText(const std::string& text, const std::string& caption) {
  std::string line = messageLines(text, caption);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

void warn(const MessageRecorder::Message& message) {
  py::object warning = workbenchWarning(boxText(message.text, message.caption));
  warning.attr("caption") = message.caption;
  warning.attr("text") = message.text;
  py::module_::import("warnings").attr("warn")(warning, py::arg("stacklevel") = 3);
}

[[noreturn]] void raise(py::handle type, const py::object& instance) {
  PyErr_SetObject(type.ptr(), instance.ptr());
  throw py::error_already_set();
}

py::handle newType(py::module_& module, const char* name, PyObject* base, const char* doc) {
  const std::string qualified = std::string("detection_workbench.") + name;
  py::object type =
      py::reinterpret_steal<py::object>(PyErr_NewExceptionWithDoc(qualified.c_str(), doc, base, nullptr));
  if (!type) throw py::error_already_set();
  module.attr(name) = type;
  return type.release();
}

}  // namespace

void addExceptionTypes(py::module_& module) {
  workbenchError = newType(module, "WorkbenchError", PyExc_RuntimeError,
                           "A run of the workbench failed. caption and text hold the message of the "
                           "library (caption empty when the failure had no message box).");
  optionError = newType(module, "OptionError", PyExc_ValueError,
                        "A bad argument: option names the keyword, the text says what is wrong.");
  workbenchWarning = newType(module, "WorkbenchWarning", PyExc_UserWarning,
                             "A notice of the library during a run that succeeded; caption and text as "
                             "the library gave them.");
}

std::string keywordFor(const std::string& option) {
  std::string name = option.rfind("--", 0) == 0 ? option.substr(2) : option;
  for (char& c : name)
    if (c == '-' || c == ' ') c = '_';
  return name;
}

void raiseOptionError(const OptionError& error) {
  const std::string what = error.what();
  const std::string problem =
      what.rfind(error.option + ": ", 0) == 0 ? what.substr(error.option.size() + 2) : what;
  const std::string keyword = keywordFor(error.option);
  py::object instance = optionError(keyword + ": " + problem);
  instance.attr("option") = keyword;
  raise(optionError, instance);
}

void raiseSeriesTooShort(const std::string& message, const char* argument) {
  py::object instance = optionError(message);
  instance.attr("option") = argument;
  raise(optionError, instance);
}

void reportRun(const std::vector<MessageRecorder::Message>& messages, const RunOutcome& outcome) {
  if (outcome.ok) {
    for (const auto& message : messages) warn(message);
    return;
  }
  // The last box of a failed run is its error, the earlier ones stay notices; a run that failed
  // without a box says why in its own words.
  for (size_t i = 0; i + 1 < messages.size(); ++i) warn(messages[i]);
  MessageRecorder::Message last;
  if (!messages.empty()) last = messages.back();
  std::string line = messages.empty() ? std::string() : boxText(last.text, last.caption);
  const std::string reason = outcome.failure.empty() && messages.empty() ? "the run failed" : outcome.failure;
  if (!reason.empty()) line += (line.empty() ? "" : "; ") + reason;
  if (messages.empty()) last.text = reason;
  py::object instance = workbenchError(line);
  instance.attr("caption") = last.caption;
  instance.attr("text") = last.text;
  raise(workbenchError, instance);
}

#pragma once
// Processing of an opened recording longer than the workbench's series: the long path
// (processing/long_recording.h) for the tasks it answers, its answer kept in
// state.opened.longResult for the result view.
#include <string>

class Window;
struct AppState;

// Runs the long path on state.opened with the current task, distances and required etalons,
// and shows the result view. A task the path does not answer is refused with a message naming
// the limit (the view then shows the recording unprocessed); false then, and after a failure
// the solver reported.
bool processLongRecording(Window& window, AppState& state);

// The refusal of a recording of `samples` samples for a task the long path does not answer.
std::string longRecordingRefusal(const std::string& file, uint64_t samples);

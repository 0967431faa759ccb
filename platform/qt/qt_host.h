#pragma once

class WindowProcedure;

// Runs the program's main window on Qt: makes the application object, creates the window titled
// "DetectionFixedWhole" with menu 104, runs `procedure`'s start-up, shows the window maximized and
// runs the event loop. Returns the loop's exit code (0 after close()), or 0 when the start-up fails.
int runMainWindow(WindowProcedure& procedure, int argc, char** argv);

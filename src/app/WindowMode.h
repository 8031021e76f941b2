#pragma once
// velk3-manager's window mode: the only place the process makes a QApplication, so the server
// and listing modes never need a display.
#include "app/WindowOptions.h"

// Runs the main window until it is closed; the process's exit status. Without a display it says
// in one line that velk3 is the way without one and returns 1.
int RunWindowMode(const WindowOptions& options, int argc, char** argv);

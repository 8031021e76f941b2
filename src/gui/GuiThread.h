#pragma once
// Runs a piece of window work on the window's thread and waits for it: directly when the caller is
// that thread already (a blocking queued call there would wait for itself), else as a blocking
// queued call. The window's thread never waits on a worker, so the wait always ends.
#include <functional>

void RunOnGuiThread(const std::function<void()>& work);
bool OnGuiThread();

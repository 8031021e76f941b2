#pragma once
// Work handed to the window's thread from the others. A call waits in a queue of our own under a
// std::mutex, and a queued call that carries nothing only wakes the window's thread: Qt's queued
// functors would hand their captures over under Qt's locks, which a thread sanitizer cannot see
// (Qt is not built with it), so every hand-over here stays checkable. Without an application
// there is no other thread to hand to: the work runs at once.
#include <functional>

class QObject;

// Runs call on the window's thread when it next turns its events, in the order of posting;
// dropped (destroyed there) when context is given and has gone by then.
void PostToGuiThread(QObject* context, std::function<void()> call);
// Runs work on the window's thread and waits for it: directly when the caller is that thread
// already (a posted call would wait for itself). The window's thread never waits on a worker,
// so the wait always ends.
void RunOnGuiThread(const std::function<void()>& work);
bool OnGuiThread();

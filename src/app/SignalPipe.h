#pragma once
// Signals as bytes on a socket that an event loop watches. The handler only writes one byte: it
// never blocks (a full socket already says that a signal came) and leaves errno as the code it
// interrupted had it. One pipe per process.
#include <initializer_list>

namespace signal_pipe {
// Makes the socket and installs the handler for the signal numbers; false when no socket could be made (the
// signals then keep their default action).
bool Install(std::initializer_list<int> numbers);
// The end to watch for reading; -1 before Install.
int ReadEnd();
// Takes every waiting byte; true when there was one.
bool Drain();
}  // namespace signal_pipe

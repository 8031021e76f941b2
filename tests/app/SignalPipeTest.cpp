// The window's signal pipe: a burst of signals that nobody reads yet must neither hang the process
// in its handler nor change errno under the code the signals interrupt.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "app/SignalPipe.h"
#include "support/ChildProcess.h"

namespace {

constexpr int kBurst = 100000;  // far more than the socket holds

TEST(SignalPipe, ABurstNobodyReadsNeitherBlocksNorChangesErrnoAndIsSeenOnce) {
    const pid_t child = ForkChild([] {
        if (!signal_pipe::Install({SIGUSR1})) return 10;
        for (int i = 0; i < kBurst; ++i) {
            errno = EDOM;
            ::raise(SIGUSR1);
            if (errno != EDOM) return 11;
        }
        if (!signal_pipe::Drain()) return 12;
        if (signal_pipe::Drain()) return 13;  // everything was taken at once
        ::raise(SIGUSR1);
        return signal_pipe::Drain() ? 0 : 14;  // and the pipe works again after being full
    });
    EXPECT_EQ(WaitChild(child, 20000), 0) << "-1: the handler blocked on the full pipe";
}

}  // namespace

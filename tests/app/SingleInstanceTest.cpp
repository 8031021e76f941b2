// The single-instance rules between processes: each start is a forked child that runs the check
// and then holds its result (and the instance record) until the test lets it go.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>

#include "app/ManagerApp.h"
#include "platform/NamedObjects.h"
#include "support/ChildProcess.h"
#include "support/RecordingPrompt.h"

namespace {

using namespace std::chrono_literals;

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_checked.Create("TEST_CHECKED"));
        ASSERT_TRUE(m_release.Create("TEST_RELEASE"));
    }

    // Starts a process in mode; returns once it has decided. Its exit status is 1 when it was
    // allowed, 0 when refused, 2 when it showed a message.
    pid_t Start(int32_t mode) {
        m_checked.Reset();
        const pid_t pid = ForkChild([mode] {
            CRecordingPrompt prompt;
            const bool allowed = CheckSingleInstance(mode, prompt);
            CNamedEvent checked, release;
            if (!checked.Open("TEST_CHECKED") || !release.Open("TEST_RELEASE")) return 10;
            checked.Set();
            if (allowed && WaitFor(release, 20s) != 0) return 11;
            return prompt.messages.empty() ? int(allowed) : 2;
        });
        EXPECT_EQ(WaitFor(m_checked, 10s), 0);
        return pid;
    }

    CPrivateObjectDirectory m_objects;
    CNamedEvent m_checked, m_release;
};

TEST_F(SingleInstance, ServersRunSideBySideAndRefuseEveryOtherMode) {
    const pid_t first = Start(kServerMode);
    const pid_t second = Start(kServerMode);
    for (int32_t other : {kListingMode, kWindowMode})
        EXPECT_EQ(WaitChild(Start(other)), 0) << "mode " << other << " beside a server";
    EXPECT_TRUE(ChildRunning(first));
    m_release.Set();
    EXPECT_EQ(WaitChild(first), 1);
    EXPECT_EQ(WaitChild(second), 1);
}

TEST_F(SingleInstance, ListingOrWindowRefusesEveryLaterStartUntilItEnds) {
    for (int32_t running : {kListingMode, kWindowMode}) {
        m_release.Reset();
        const pid_t first = Start(running);
        for (int32_t other : {kServerMode, kListingMode, kWindowMode})
            EXPECT_EQ(WaitChild(Start(other)), 0) << "mode " << other << " beside mode " << running;
        m_release.Set();
        EXPECT_EQ(WaitChild(first), 1);
    }
    m_release.Reset();
    const pid_t afterwards = Start(kListingMode);  // the record died with the last holder
    m_release.Set();
    EXPECT_EQ(WaitChild(afterwards), 1);
}

TEST_F(SingleInstance, EachFailingStepIsReportedWithItsTextAndRefused) {
    struct Case {
        const char* want;
        std::function<void(const std::string& directory)> breakIt;
    };
    const Case cases[] = {
        {"Unable to get VELK3MANAGER_STARTUPMUTEX",
         [](const std::string&) { ::setenv("VELK3_OBJECT_DIR", "/nonexistent/velk3-objects", 1); }},
        // Planted by someone else in a shared directory: its holder would keep every start waiting.
        {"Unable to get VELK3MANAGER_STARTUPMUTEX",
         [](const std::string& directory) { ::mkfifo((directory + "/VELK3MANAGER_STARTUPMUTEX").c_str(), 0666); }},
        {"Unable to open VELK3MANAGER_WHOISRUNNING",
         [](const std::string& directory) { ::mkdir((directory + "/VELK3MANAGER_WHOISRUNNING").c_str(), 0700); }},
        // Held by a live process but cut to nothing: mapping it would fault, so it is refused.
        {"Unable to open map of VELK3MANAGER_WHOISRUNNING",
         [](const std::string& directory) {
             const int fd = ::open((directory + "/VELK3MANAGER_WHOISRUNNING").c_str(), O_RDWR | O_CREAT, 0600);
             ::flock(fd, LOCK_SH);
         }},
    };
    for (const auto& c : cases) {
        CPrivateObjectDirectory objects;
        const std::string directory = objects.Path();
        const pid_t child = ForkChild([&c, directory] {
            c.breakIt(directory);
            CRecordingPrompt prompt;
            const bool allowed = CheckSingleInstance(kServerMode, prompt);
            return !allowed && prompt.messages.size() == 1 && prompt.messages[0].text == c.want &&
                           prompt.messages[0].icon == MessageIcon::Warning
                       ? 0
                       : 1;
        });
        EXPECT_EQ(WaitChild(child), 0) << c.want;
    }
}

}  // namespace

// Events and mappings seen from two processes, with the futex_waitv wait and with the fallback.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <thread>
#include <unistd.h>

#include "platform/NamedObjects.h"
#include "support/ChildProcess.h"

extern "C" {
#include "velk3/named_objects.h"
int c_client_create_event(velk3_event* event, const char* name);
int c_client_set_then_wait(const char* setName, const char* waitName, int timeoutMs);
int c_client_write_mapping(const char* name, const char* text);
}

namespace {

using namespace std::chrono_literals;

class NamedObjects : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { UseVectorWait(GetParam()); }
    void TearDown() override { UseVectorWait(true); }

    CPrivateObjectDirectory m_objects;
};

INSTANTIATE_TEST_SUITE_P(Wait, NamedObjects, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "FutexWaitv" : "Fallback"; });

TEST_P(NamedObjects, EventSetInOneProcessWakesAWaiterBlockedInAnother) {
    CNamedEvent ping, pong;
    ASSERT_TRUE(ping.Create("PING"));
    ASSERT_TRUE(pong.Create("PONG"));
    const pid_t child = ForkChild([] {
        CNamedEvent ping, pong;
        if (!ping.Open("PING") || !pong.Open("PONG")) return 10;
        if (WaitFor(ping, 10s) != 0) return 11;  // blocks until the parent sets it
        ping.Reset();
        pong.Set();
        return 0;
    });
    std::this_thread::sleep_for(30ms);  // let the child reach its wait (harmless if it has not)
    ping.Set();
    EXPECT_EQ(WaitFor(pong, 10s), 0);
    EXPECT_EQ(WaitChild(child), 0);
    EXPECT_FALSE(ping.IsSet()) << "the child's reset must reach this process";
    EXPECT_EQ(WaitFor(ping, 20ms), kWaitTimedOut);
}

TEST_P(NamedObjects, WaitForAnyReportsTheFirstSetEventAndWakesOnEither) {
    CNamedEvent quit, ready;
    ASSERT_TRUE(quit.Create("QUIT"));
    ASSERT_TRUE(ready.Create("READY"));
    struct Case {
        bool quitSet, readySet;
        int want;
    };
    const Case cases[] = {{true, true, 0}, {false, true, 1}, {true, false, 0}, {false, false, kWaitTimedOut}};
    for (const auto& c : cases) {
        c.quitSet ? quit.Set() : quit.Reset();
        c.readySet ? ready.Set() : ready.Reset();
        EXPECT_EQ(WaitForAny({&quit, &ready}, 20ms), c.want) << c.quitSet << c.readySet;
    }
    // A waiter in another process must wake for the first event as well as for the last.
    for (const char* which : {"QUIT", "READY"}) {
        quit.Reset();
        ready.Reset();
        const pid_t child = ForkChild([] {
            CNamedEvent quit, ready;
            if (!quit.Open("QUIT") || !ready.Open("READY")) return 10;
            return WaitForAny({&quit, &ready}, 10s);
        });
        std::this_thread::sleep_for(30ms);
        (std::strcmp(which, "QUIT") == 0 ? quit : ready).Set();
        EXPECT_EQ(WaitChild(child), std::strcmp(which, "QUIT") == 0 ? 0 : 1) << which;
    }
}

TEST_P(NamedObjects, SecondSetBeforeTheFirstIsHandledCountsOnce) {
    CNamedEvent data, handled;
    ASSERT_TRUE(data.Create("DATA"));
    ASSERT_TRUE(handled.Create("HANDLED"));
    data.Set();
    data.Set();
    const pid_t child = ForkChild([] {
        CNamedEvent data, handled;
        if (!data.Open("DATA") || !handled.Open("HANDLED")) return 100;
        int seen = 0;
        while (WaitFor(data, 100ms) == 0) {
            ++seen;
            data.Reset();
        }
        return seen;
    });
    EXPECT_EQ(WaitChild(child), 1);
}

TEST_P(NamedObjects, MappingWrittenByOneProcessIsSeenByTheOther) {
    CFileMapping area;
    ASSERT_TRUE(area.Create("AREA", 300));
    ASSERT_TRUE(area.Map());
    EXPECT_EQ(area.Size(), 300u);
    const pid_t child = ForkChild([] {
        CFileMapping area;
        if (!area.Open("AREA") || !area.Map() || area.Size() != 300) return 10;
        std::memcpy(area.View() + 250, "from the child", 15);
        return 0;
    });
    EXPECT_EQ(WaitChild(child), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(area.View() + 250), "from the child");
}

TEST(NamedObjectNames, CreateIsExclusiveOpenNeedsTheObjectAndOnlyTheCreatorRemovesIt) {
    CPrivateObjectDirectory objects;
    CFileMapping created, second, opened;
    EXPECT_FALSE(opened.Open("X_SHAREDMEM"));
    EXPECT_EQ(opened.LastError(), ENOENT);
    ASSERT_TRUE(created.Create("X_SHAREDMEM", 128));
    EXPECT_FALSE(second.Create("X_SHAREDMEM", 128));
    EXPECT_EQ(second.LastError(), EEXIST);
    ASSERT_TRUE(opened.Open("X_SHAREDMEM"));
    opened.Close();
    EXPECT_EQ(objects.Entries(), std::vector<std::string>{"X_SHAREDMEM"}) << "an opener must not remove the name";
    created.Close();
    EXPECT_TRUE(objects.Entries().empty());

    for (const char* bad : {"", "a/b", "..", "."}) EXPECT_FALSE(created.Create(bad, 4)) << bad;
    CFileMapping empty;
    ASSERT_TRUE(empty.Create("EMPTY", 0));
    EXPECT_FALSE(empty.Map()) << "an empty object has no view";
    CNamedEvent tooShort;
    EXPECT_FALSE(tooShort.Open("EMPTY"));
}

TEST(NamedObjectNames, ObjectDirectoryFollowsTheEnvironment) {
    CPrivateObjectDirectory objects;
    EXPECT_EQ(named_objects::ObjectDirectory(), objects.Path());
    ::unsetenv("VELK3_OBJECT_DIR");
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(named_objects::ObjectPath("VELK1_SHAREDMEM"), "/run/user/4242/VELK1_SHAREDMEM");
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(NamedObjectNames, InstanceRecordDiesWithItsLastHolder) {
    CPrivateObjectDirectory objects;
    CNamedEvent hold, release;
    ASSERT_TRUE(hold.Create("HOLD"));
    ASSERT_TRUE(release.Create("RELEASE"));
    // Each holder reports whether the record existed (bit 0) and the code it found (bits 1-).
    auto holder = [](int32_t code) {
        return ForkChild([code] {
            CInstanceRecord record;
            bool existed = false;
            if (!record.Open("WHO", existed) || !record.Map()) return 100;
            const int32_t found = existed ? record.Load() : code;
            if (!existed) record.Store(code);
            record.Unmap();
            CNamedEvent hold, release;
            if (!hold.Open("HOLD") || !release.Open("RELEASE")) return 101;
            hold.Set();
            if (WaitFor(release, 10s) != 0) return 102;
            return int(existed) | found << 1;
        });
    };
    const pid_t first = holder(2);
    ASSERT_EQ(WaitFor(hold, 10s), 0);
    hold.Reset();
    const pid_t second = holder(0);
    ASSERT_EQ(WaitFor(hold, 10s), 0);
    hold.Reset();
    release.Set();
    EXPECT_EQ(WaitChild(first), 0 | 2 << 1) << "the first finds no record and stores its code";
    EXPECT_EQ(WaitChild(second), 1 | 2 << 1) << "the second sees the first's code";
    release.Reset();
    const pid_t later = holder(1);
    ASSERT_EQ(WaitFor(hold, 10s), 0);
    release.Set();
    EXPECT_EQ(WaitChild(later), 0 | 1 << 1) << "with every holder gone the record is absent again";
}

TEST(NamedObjectNames, StartupLockIsExclusiveBetweenProcessesAndDroppedWhenItsHolderDies) {
    CPrivateObjectDirectory objects;
    CStartupLock lock;
    ASSERT_TRUE(lock.Open("LOCK"));
    ASSERT_TRUE(lock.Acquire(1s));
    const pid_t blocked = ForkChild([] {
        CStartupLock lock;
        return lock.Open("LOCK") && !lock.Acquire(50ms) && lock.LastError() == ETIMEDOUT ? 0 : 1;
    });
    EXPECT_EQ(WaitChild(blocked), 0);
    lock.Release();
    const pid_t dies = ForkChild([] {
        CStartupLock lock;
        return lock.Open("LOCK") && lock.Acquire(1s) ? 0 : 1;  // exits holding it
    });
    EXPECT_EQ(WaitChild(dies), 0);
    EXPECT_TRUE(lock.Acquire(1s));
}

// A killed creator leaves its object behind with nobody holding it: the next creator, core or C
// client, makes it afresh. A living creator's object is never taken over.
TEST(NamedObjectNames, AnObjectLeftByAKilledCreatorIsMadeAfreshAndALiveOneIsNot) {
    CPrivateObjectDirectory objects;
    struct Creator {
        const char* name;
        std::function<int(const char*)> make;  // 0 or the errno; keeps the object open until the end
    };
    std::vector<CNamedEvent> coreKept(8);
    std::vector<velk3_event> clientKept;
    size_t coreUsed = 0;
    const Creator creators[] = {
        {"core", [&](const char* name) {
             CNamedEvent& event = coreKept[coreUsed++];
             return event.Create(name) ? 0 : event.LastError();
         }},
        {"C client", [&](const char* name) {
             velk3_event event;
             if (c_client_create_event(&event, name) != 0) return errno;
             clientKept.push_back(event);
             return 0;
         }},
    };
    CNamedEvent made;
    ASSERT_TRUE(made.Create("MADE"));
    for (const Creator& killed : creators) {
        for (const Creator& next : creators) {
            SCOPED_TRACE(std::string(killed.name) + " killed, then " + next.name);
            made.Reset();
            const pid_t child = ForkChild([&killed] {
                CNamedEvent signal;
                if (killed.make("OBJ") != 0 || !signal.Open("MADE")) return 1;
                signal.Set();
                for (;;) ::pause();
            });
            ASSERT_EQ(WaitFor(made, 10s), 0);
            EXPECT_EQ(next.make("OBJ"), EEXIST) << "the creator is alive";
            ::kill(child, SIGKILL);
            EXPECT_EQ(WaitChild(child), 128 + SIGKILL);
            EXPECT_EQ(next.make("OBJ"), 0) << "the killed creator's object is stale";
            for (CNamedEvent& event : coreKept) event.Close();
            for (velk3_event& event : clientKept) velk3_event_close(&event);
            clientKept.clear();
            coreUsed = 0;
            EXPECT_EQ(objects.Entries(), std::vector<std::string>{"MADE"}) << "closing removes the new object";
        }
    }
}

TEST(CClientHeader, CClientAndCoreMeetOnTheSameObjects) {
    CPrivateObjectDirectory objects;
    velk3_event madeByC;
    ASSERT_EQ(c_client_create_event(&madeByC, "C_EVENT"), 0);
    CNamedEvent fromCore, answer;
    ASSERT_TRUE(fromCore.Open("C_EVENT"));
    ASSERT_TRUE(answer.Create("ANSWER"));
    velk3_event_set(&madeByC);
    EXPECT_TRUE(fromCore.IsSet());
    fromCore.Reset();

    const pid_t child = ForkChild([] { return c_client_set_then_wait("C_EVENT", "ANSWER", 10000); });
    EXPECT_EQ(WaitFor(fromCore, 10s), 0);
    answer.Set();
    EXPECT_EQ(WaitChild(child), 0);

    CFileMapping area;
    ASSERT_TRUE(area.Create("C_AREA", 64));
    ASSERT_TRUE(area.Map());
    EXPECT_EQ(c_client_write_mapping("C_AREA", "VELK3"), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(area.View()), "VELK3");
    velk3_event_close(&madeByC);
    EXPECT_FALSE(fromCore.Open("C_EVENT")) << "the C creator removes its object";
}

}  // namespace

// The logind client against a stand-in on a private bus: what it asks for, that the lock lasts
// until it is dropped, and that every way logind can be missing gives an empty lock.
#include <gtest/gtest.h>

#include <optional>

#include "platform/SleepInhibitor.h"
#include "support/LogindMock.h"

namespace {

constexpr std::chrono::milliseconds kShortTimeout{300};

class SleepInhibitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (m_bus.Address().empty()) GTEST_SKIP() << m_bus.Error();
    }

    CPrivateBus m_bus;
    CScopedEnvironment m_system{"DBUS_SYSTEM_BUS_ADDRESS", m_bus.Address()};
};

TEST_F(SleepInhibitorTest, BlocksSleepAndIdleUntilTheLockIsDropped) {
    CLogindMock logind(m_bus.Address());
    ASSERT_TRUE(logind.Ready());
    const int descriptors = OpenDescriptorCount();
    {
        CSleepLock lock = CLogindInhibitor().Inhibit("Writing Card");
        EXPECT_TRUE(lock.Held());
        EXPECT_EQ(logind.Calls(),
                  (std::vector<std::string>{"Inhibit sleep:idle|VELK3 Manager|Writing Card|block", "Lock Writing Card"}));
        const CSleepLock moved = std::move(lock);
        EXPECT_FALSE(lock.Held());
        EXPECT_EQ(logind.Held(), 1) << "a moved lock is still held";
    }
    EXPECT_TRUE(logind.AllReleased());
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(SleepInhibitorTest, WithoutLogindTheLockIsEmptyAndNothingIsLeftOpen) {
    struct Case {
        const char* name;
        std::optional<LogindMockSetup> logind;  // none: no logind on the bus
        std::string bus;                        // empty: the private bus
    };
    const Case cases[] = {
        {"no logind on the bus", std::nullopt, ""},
        {"logind refuses", LogindMockSetup{true, false}, ""},
        {"logind never answers", LogindMockSetup{false, true}, ""},
        {"no system bus", std::nullopt, "unix:path=/nonexistent/velk3-test-bus"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<CLogindMock> logind;
        if (c.logind) {
            ASSERT_TRUE(logind.emplace(m_bus.Address(), *c.logind).Ready());
        }
        CScopedEnvironment bus("DBUS_SYSTEM_BUS_ADDRESS", c.bus.empty() ? m_bus.Address() : c.bus);
        const int descriptors = OpenDescriptorCount();
        EXPECT_FALSE(CLogindInhibitor(kShortTimeout).Inhibit("Writing MP3").Held());
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/TransferRate.h"

using namespace std::chrono_literals;

// 2048 sectors are one megabyte: the rate and the time left follow from positions and elapsed time.
TEST(TransferRate, RateAndTimeLeftFollowSectorsAndElapsedTime) {
    struct Case { int lower, upper, position; std::chrono::milliseconds elapsed; double mbps; double left; };
    const Case cases[] = {
        {0, 4096, 2048, 1000ms, 1.0, 1.0},
        {100, 100 + 8192, 100 + 2048, 500ms, 2.0, 1.5},
        {0, 2048, 2048, 2000ms, 0.5, 0.0},
    };
    const CTransferRate::Clock::time_point start{};
    for (const auto& c : cases) {
        CTransferRate rate;
        rate.Start(c.lower, c.upper, start);
        rate.Update(c.position);
        EXPECT_DOUBLE_EQ(rate.MegabytesPerSecond(start + c.elapsed), c.mbps) << c.position;
        ASSERT_TRUE(rate.SecondsLeft(start + c.elapsed).has_value());
        EXPECT_DOUBLE_EQ(*rate.SecondsLeft(start + c.elapsed), c.left) << c.position;
    }
}

TEST(TransferRate, NoTimeLeftBeforeAnythingMovedOrTimePassed) {
    const CTransferRate::Clock::time_point start{};
    CTransferRate rate;
    rate.Start(0, 100, start);
    EXPECT_FALSE(rate.SecondsLeft(start + 1s).has_value());
    rate.Update(10);
    EXPECT_FALSE(rate.SecondsLeft(start).has_value());
    EXPECT_EQ(rate.MegabytesPerSecond(start), 0.0);
}

TEST(TransferRate, TimeLeftReadsAsSecondsThenMinutes) {
    EXPECT_EQ(FormatTimeLeft(0.4), "0 s left");
    EXPECT_EQ(FormatTimeLeft(59.4), "59 s left");
    EXPECT_EQ(FormatTimeLeft(65), "1:05 left");
    EXPECT_EQ(FormatTimeLeft(3600), "60:00 left");
}

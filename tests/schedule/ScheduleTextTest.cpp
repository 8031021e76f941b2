#include <gtest/gtest.h>

#include "schedule/ScheduleText.h"

namespace {

// One test, a table of cases: each row is a fault that would ship if the rule broke.
TEST(ParseField, PullsNumbersIntoRangeAndTreatsEveryOtherCharacterAsSeparator) {
    struct Case {
        const char* text;
        int lo, hi;
        std::vector<int> want;
    };
    const Case cases[] = {
        {"*", 0, 59, {}},
        {"", 0, 59, {}},
        {"5,1,5,3", 0, 59, {1, 3, 5}},
        {"5 , 1 ,5, 3", 0, 59, {1, 3, 5}},
        {"1-5", 0, 23, {1, 5}},
        {"08, 09", 0, 59, {8, 9}},
        {"0", 1, 7, {1}},
        {"99", 1, 31, {31}},
        {"13", 1, 12, {12}},
        {"75", 0, 59, {59}},
        {"-3", 0, 59, {3}},
        {"a7b", 0, 59, {7}},
        {"99999999999999999999999", 0, 59, {59}},
        {"000", 1, 12, {1}},
    };
    for (const auto& c : cases) {
        ValueSet set{42};  // parsing replaces what was there
        ParseField(set, c.text, c.lo, c.hi);
        EXPECT_EQ(std::vector<int>(set.begin(), set.end()), c.want) << '"' << c.text << '"';
    }
}

TEST(FormatField, WritesStarForEveryValueAndJoinsOthersWithCommaBlank) {
    struct Case {
        ValueSet set;
        const char* want;
    };
    const Case cases[] = {
        {{}, "*"},
        {{7}, "7"},
        {{15, 1, 3}, "1, 3, 15"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatField(c.set), c.want);
}

TEST(ParseField, AllSixtyMinutesStayAListUntilTheCardTurnsThemIntoEvery) {
    std::string text;
    for (int m = 0; m < 60; ++m) text += std::to_string(m) + ",";
    ScheduleEntry entry;
    ParseField(entry.minutes, text, 0, 59);
    EXPECT_EQ(entry.minutes.size(), 60u);

    uint8_t sector[512];
    entry.Encode(sector);
    ScheduleEntry back;
    back.Decode(sector);
    EXPECT_EQ(FormatField(back.minutes), "*");
}

}  // namespace

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "disk/ScheduleEntry.h"
#include "platform/ByteOrder.h"

namespace {

using Sector = std::array<uint8_t, 512>;

// Map offsets and BCD positions as the unit's firmware reads them.
constexpr int kMinutes = 2, kHours = 92, kWeekdays = 128, kDays = 136, kMonths = 186;

// What the schedule text and the dialog rely on: each value once, in ascending order, whatever
// order it came in, up to the last value a field can have.
TEST(ValueSet, HoldsEachValueOnceInAscendingOrder) {
    ValueSet set{59, 0, 7, 59, 31};
    set.insert(63);
    EXPECT_EQ(std::vector<int>(set.begin(), set.end()), (std::vector<int>{0, 7, 31, 59, 63}));
    EXPECT_EQ(set.size(), 5u);
    EXPECT_EQ(set, (ValueSet{63, 31, 7, 0, 59}));
    EXPECT_TRUE(set.contains(31) && !set.contains(30));
    set.clear();
    EXPECT_TRUE(set.empty() && set.begin() == set.end());
}

TEST(ScheduleEntryEncode, PutsEachValueAtItsBcdByte) {
    ScheduleEntry entry;
    entry.trackIndex = 0x1234;
    entry.minutes = {0, 9, 10, 59};
    entry.hours = {23};
    entry.weekdays = {1, 7};
    entry.daysOfMonth = {31};
    entry.months = {12};
    Sector s;
    s.fill(0xEE);
    entry.Encode(s.data());
    EXPECT_EQ(LoadLe16(s.data()), 0x1234);
    std::vector<int> set;
    for (int i = 0; i < 512; ++i)
        if (i >= 2 && s[i]) set.push_back(i);
    const std::vector<int> want = {kMinutes + 0x00, kMinutes + 0x09, kMinutes + 0x10, kMinutes + 0x59,
                                   kHours + 0x23,   kWeekdays + 1,   kWeekdays + 7,   kDays + 0x31,
                                   kMonths + 0x12};
    EXPECT_EQ(set, want);
}

TEST(ScheduleEntryEncode, EveryValueSetsTheWholeRangeSlotZeroIncludedAndNoHexGaps) {
    ScheduleEntry entry;  // all sets empty
    Sector s;
    entry.Encode(s.data());
    struct Map {
        int offset, max;
    };
    for (const Map m : {Map{kMinutes, 59}, Map{kHours, 23}, Map{kWeekdays, 7}, Map{kDays, 31}, Map{kMonths, 12}}) {
        for (int v = 0; v <= m.max; ++v) EXPECT_EQ(s[m.offset + (v / 10) * 16 + v % 10], 1) << m.offset << ":" << v;
        if (m.max >= 10) {
            EXPECT_EQ(s[m.offset + 0x0A], 0) << "not a decimal pair";
        }
    }
    for (int i = 205; i < 512; ++i) ASSERT_EQ(s[i], 0) << i;
}

TEST(ScheduleEntryDecode, FullOrEmptyMapsAndSlotZeroMeanEveryValue) {
    struct Case {
        const char* what;
        void (*fill)(Sector&);
        ValueSet minutes, weekdays;
    };
    const Case cases[] = {
        {"all 60 minute bytes set", [](Sector& s) { for (int v = 0; v < 60; ++v) s[kMinutes + (v / 10) * 16 + v % 10] = 1; }, {}, {}},
        {"all bytes zero", [](Sector&) {}, {}, {}},
        {"weekday slot 0 alone", [](Sector& s) { s[kWeekdays] = 1; }, {}, {}},
        {"non-decimal bytes ignored", [](Sector& s) { s[kMinutes + 0x0F] = 1; s[kMinutes + 0x21] = 7; }, {21}, {}},
        {"one weekday", [](Sector& s) { s[kWeekdays + 3] = 1; s[kWeekdays] = 1; }, {}, {3}},
    };
    for (const auto& c : cases) {
        Sector s{};
        c.fill(s);
        ScheduleEntry entry;
        entry.minutes = {1};
        entry.Decode(s.data());
        EXPECT_EQ(entry.minutes, c.minutes) << c.what;
        EXPECT_EQ(entry.weekdays, c.weekdays) << c.what;
    }
}

TEST(ScheduleEntryCodec, RoundTripsEverySet) {
    ScheduleEntry entry;
    entry.trackIndex = 65535;
    entry.minutes = {0, 30, 59};
    entry.hours = {0, 12};
    entry.weekdays = {2, 3, 4, 5, 6};
    entry.daysOfMonth = {1, 15, 31};
    entry.months = {1, 6, 12};
    Sector s;
    entry.Encode(s.data());
    ScheduleEntry back;
    back.Decode(s.data());
    EXPECT_EQ(back, entry);
}

TEST(ScheduleEntryEncode, ValuesAboveTheMaximumAreLeftOut) {
    ScheduleEntry entry;
    entry.hours = {5, 24, 99};
    Sector s;
    entry.Encode(s.data());
    ScheduleEntry back;
    back.Decode(s.data());
    EXPECT_EQ(back.hours, ValueSet{5});
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schedule/NextPlays.h"
#include "schedule/ScheduleNotes.h"
#include "schedule/ScheduleText.h"
#include "schedule/ScheduleWeek.h"

namespace {

// A schedule as the dialog's cells hold it: track, minutes, hours, weekdays, days, months.
struct Rule {
    uint16_t track;
    const char* minutes;
    const char* hours = "*";
    const char* weekdays = "*";
    const char* days = "*";
    const char* months = "*";
};

std::vector<ScheduleEntry> Schedules(const std::vector<Rule>& rules) {
    std::vector<ScheduleEntry> schedules;
    for (const Rule& rule : rules) {
        ScheduleEntry entry;
        entry.trackIndex = rule.track;
        const char* texts[] = {rule.minutes, rule.hours, rule.weekdays, rule.days, rule.months};
        for (size_t f = 0; f < std::size(kScheduleFields); ++f)
            ParseField(entry.*kScheduleFields[f].member, texts[f], kScheduleFields[f].minimum, kScheduleFields[f].maximum);
        schedules.push_back(entry);
    }
    return schedules;
}

std::vector<TrackEntry> Tracks(size_t count) {
    std::vector<TrackEntry> tracks(count);
    for (size_t i = 0; i < count; ++i) tracks[i].SetTitle("Routine " + std::to_string(i));
    return tracks;
}

LocalMinute At(const char* text) {
    const auto minute = ParseLocalMinute(text);
    EXPECT_TRUE(minute) << text;
    return minute.value_or(LocalMinute{});
}

// "YYYY-MM-DD HH:MM #schedule" for each play.
std::vector<std::string> Texts(const std::vector<SchedulePlay>& plays) {
    std::vector<std::string> texts;
    for (const SchedulePlay& play : plays) texts.push_back(FormatLocalMinute(play.time) + " #" + std::to_string(play.schedule));
    return texts;
}

// Whether the schedule plays in the minute, straight from its sets: the rule the search must obey.
bool PlaysAt(const ScheduleEntry& s, LocalMinute minute) {
    using namespace std::chrono;
    const local_days day = floor<days>(minute);
    const year_month_day date(day);
    const auto inDay = (minute - day).count();
    auto in = [](const ValueSet& set, unsigned value) { return set.empty() || set.contains(uint8_t(value)); };
    return in(s.minutes, unsigned(inDay % 60)) && in(s.hours, unsigned(inDay / 60)) &&
           in(s.weekdays, weekday(day).c_encoding() + 1) && in(s.daysOfMonth, unsigned(date.day())) &&
           in(s.months, unsigned(date.month()));
}

TEST(NextPlays, FollowTheCalendarDayByDay) {
    struct Case {
        const char* what;
        std::vector<Rule> rules;
        const char* from;
        size_t count;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"two schedules in one minute are both listed, by index",
         {{1, "5", "14"}, {0, "5", "14"}, {2, "0", "15"}},
         "2026-12-09 14:05", 4,
         {"2026-12-09 14:05 #0", "2026-12-09 14:05 #1", "2026-12-09 15:00 #2", "2026-12-10 14:05 #0"}},
        {"the year's end", {{0, "0", "0", "*", "1", "1"}, {0, "*", "23", "*", "31", "12"}}, "2026-12-31 23:58", 3,
         {"2026-12-31 23:58 #1", "2026-12-31 23:59 #1", "2027-01-01 00:00 #0"}},
        {"29 February waits for a leap year", {{0, "30", "12", "*", "29", "2"}}, "2026-03-01 00:00", 2,
         {"2028-02-29 12:30 #0", "2032-02-29 12:30 #0"}},
        {"29 February on a Monday, 40 years on across 2100", {{0, "0", "12", "2", "29", "2"}}, "2072-02-29 12:01", 1,
         {"2112-02-29 12:00 #0"}},
        {"weekday and day must both hold: Friday the 13th", {{0, "0", "9", "6", "13"}}, "2026-01-01 00:00", 3,
         {"2026-02-13 09:00 #0", "2026-03-13 09:00 #0", "2026-11-13 09:00 #0"}},
        {"day 31 skips the short months", {{0, "0", "0", "*", "31"}}, "2026-04-01 00:00", 3,
         {"2026-05-31 00:00 #0", "2026-07-31 00:00 #0", "2026-08-31 00:00 #0"}},
        {"rules that never play say nothing", {{0, "0", "0", "*", "31", "4"}, {0, "*", "*", "*", "30, 31", "2"}},
         "2026-01-01 00:00", 5, {}},
        {"a missing routine plays nothing", {{5, "*"}, {1, "0", "10"}}, "2026-12-09 09:59", 2,
         {"2026-12-09 10:00 #1", "2026-12-10 10:00 #1"}},
        {"the minute from counts, later hours follow", {{0, "15, 45", "10, 11"}}, "2026-12-09 10:15", 4,
         {"2026-12-09 10:15 #0", "2026-12-09 10:45 #0", "2026-12-09 11:15 #0", "2026-12-09 11:45 #0"}},
    };
    for (const Case& c : cases) {
        const auto plays = NextPlays(Schedules(c.rules), Tracks(3), At(c.from), c.count);
        EXPECT_EQ(Texts(plays), c.want) << c.what;
    }
}

TEST(NextPlays, NameTheTrackAndItsTitle) {
    const auto plays = NextPlays(Schedules({{2, "5", "14"}}), Tracks(3), At("2026-12-09 14:00"), 1);
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].track, 2);
    EXPECT_EQ(plays[0].title, "Routine 2");
    EXPECT_TRUE(NextPlays(Schedules({{0, "*"}}), Tracks(1), At("2026-12-09 14:00"), 0).empty());
}

// Minute by minute over ten days around 29 February and a month's end: the search and the plain
// rule agree on every play.
TEST(NextPlays, AgreeWithTheRuleMinuteByMinute) {
    const auto schedules = Schedules({{0, "0, 59", "0, 23"}, {1, "30", "*", "1, 3"}, {0, "7", "6", "*", "29, 1"},
                                      {2, "*", "12", "5", "*", "2"}, {1, "45", "18", "*", "28", "3"}});
    const LocalMinute from = At("2028-02-24 00:00"), until = At("2028-03-05 00:00");
    std::vector<std::string> want;
    for (LocalMinute m = from; m < until; m += std::chrono::minutes(1))
        for (size_t i = 0; i < schedules.size(); ++i)
            if (PlaysAt(schedules[i], m)) want.push_back(FormatLocalMinute(m) + " #" + std::to_string(i));
    EXPECT_EQ(Texts(NextPlays(schedules, Tracks(3), from, want.size())), want);
}

TEST(LocalMinute, ReadsOnlyRealMinutesInOneForm) {
    struct Case {
        const char* text;
        const char* want;  // null: refused
    };
    const Case cases[] = {
        {"2026-12-09 14:05", "2026-12-09 14:05"}, {"2026-12-09T14:05", "2026-12-09 14:05"},
        {"2028-02-29  00:00", "2028-02-29 00:00"}, {"2026-02-29 10:00", nullptr}, {"2026-12-09 24:00", nullptr},
        {"2026-12-09 14:60", nullptr}, {"2026-13-01 00:00", nullptr}, {"2026-12-9 14:05", nullptr},
        {"2026-12-09", nullptr}, {"2026-12-09 14:05x", nullptr}, {"2026-12-0914:05", nullptr}, {"", nullptr},
    };
    for (const Case& c : cases) {
        const auto minute = ParseLocalMinute(c.text);
        EXPECT_EQ(minute ? FormatLocalMinute(*minute) : "refused", c.want ? c.want : "refused") << c.text;
    }
    EXPECT_EQ(FormatLocalMinute(At("2026-12-09 14:05"), 'T'), "2026-12-09T14:05");
    EXPECT_EQ(FormatLocalMinute(ToLocalMinute({2026, 12, 9, 4, 14, 5, 59})), "2026-12-09 14:05");
}

TEST(ScheduleNotes, NameWhatTheFieldsDoNotSay) {
    struct Case {
        const char* what;
        std::vector<Rule> rules;
        const char* from;
        std::vector<std::string> want;  // NoteText of each schedule
    };
    const Case cases[] = {
        {"31 April never comes; a missing routine; an empty note",
         {{0, "0", "0", "*", "31", "4"}, {7, "0"}, {1, "0", "0", "*", "31", "4, 5"}},
         "2026-01-01 00:00",
         {"never plays", "no such routine", ""}},
        {"a shared minute names the other; a neighbouring minute does not",
         {{0, "5", "14"}, {1, "5", "14, 15"}, {2, "6", "14"}},
         "2026-01-01 00:00",
         {"same minute as schedule 1", "same minute as schedule 0", ""}},
        {"Sundays never meet 29 February 2028, a Tuesday; Tuesdays do",
         {{0, "0", "12", "1"}, {1, "0", "12", "*", "29", "2"}, {2, "0", "12", "3"}},
         "2027-06-01 00:00",
         {"", "same minute as schedule 2", "same minute as schedule 1"}},
        {"29 February more than a year ahead shares nothing yet",
         {{1, "0", "12", "*", "29", "2"}, {2, "0", "12", "3"}},
         "2026-03-01 00:00",
         {"", ""}},
        {"on the first day only the minutes still to come count (29 February 2028 is a Tuesday)",
         {{0, "0", "8", "*", "29", "2, 3"}, {1, "0", "8", "3"}, {2, "0", "13", "*", "29", "2"}, {0, "0", "13"}},
         "2028-02-29 12:00",
         {"", "", "same minute as schedule 3", "same minute as schedule 2"}},
        {"copies of a rule that never plays share nothing",
         {{0, "0", "0", "*", "30", "2"}, {0, "0", "0", "*", "30", "2"}},
         "2026-01-01 00:00",
         {"never plays", "never plays"}},
    };
    for (const Case& c : cases) {
        const auto notes = ScheduleNotes(Schedules(c.rules), 3, At(c.from));
        std::vector<std::string> texts;
        for (const ScheduleNote& note : notes) texts.push_back(NoteText(note));
        EXPECT_EQ(texts, c.want) << c.what;
    }
}

TEST(ScheduleNotes, NameTheFirstOthersAndCountTheRest) {
    // Two rules by turns: the names come from both groups of copies, in order.
    std::vector<Rule> rules;
    for (int i = 0; i < 15; ++i) rules.push_back(i % 2 ? Rule{0, "0"} : Rule{0, "*"});
    const auto notes = ScheduleNotes(Schedules(rules), 1, At("2026-01-01 00:00"));
    EXPECT_EQ(notes[0].sameMinuteCount, 14u);
    EXPECT_EQ(NoteText(notes[0]), "same minute as schedules 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 4 more");
    EXPECT_EQ(NoteText(notes[3]), "same minute as schedules 0, 1, 2, 4, 5, 6, 7, 8, 9, 10 and 4 more");
    ScheduleNote both;
    both.neverPlays = both.noSuchRoutine = true;
    EXPECT_EQ(NoteText(both, [](const char* text) { return std::string("[") + text + "]"; }),
              "[never plays]; [no such routine]");
}

TEST(WeekOfPlays, CountsEachHourFromTheStartMinute) {
    // Wednesday 9 December 2026, 14:30: every minute of Wednesdays' 14 o'clock hour, and 14:05 and
    // 14:30 every day.
    const auto schedules = Schedules({{0, "*", "14", "4"}, {1, "5, 30", "14"}});
    const ScheduleWeek week = WeekOfPlays(schedules, Tracks(2), At("2026-12-09 14:30"), 3);
    EXPECT_EQ(FormatLocalMinute(week.firstDay), "2026-12-09 00:00");
    EXPECT_EQ(week.At(0, 14).count, 31u);
    EXPECT_EQ(Texts(week.At(0, 14).first),
              (std::vector<std::string>{"2026-12-09 14:30 #0", "2026-12-09 14:30 #1", "2026-12-09 14:31 #0"}));
    EXPECT_EQ(week.At(1, 14).count, 2u);
    EXPECT_EQ(Texts(week.At(6, 14).first), (std::vector<std::string>{"2026-12-15 14:05 #1", "2026-12-15 14:30 #1"}));
    EXPECT_EQ(week.At(0, 13).count + week.At(0, 15).count + week.At(1, 13).count, 0u);
    EXPECT_EQ(week.MostInAnHour(), 31u);
}

// The week and the list of plays are two views of one answer.
TEST(WeekOfPlays, HoldsTheSamePlaysAsTheList) {
    const auto schedules = Schedules({{0, "0, 20, 40", "8, 9, 20"}, {1, "15", "*", "2, 6"}, {2, "*", "3", "*", "1"},
                                      {0, "59", "23", "*", "*", "1"}, {1, "0", "9", "*", "31", "12"}});
    const LocalMinute from = At("2026-12-29 08:20");
    const ScheduleWeek week = WeekOfPlays(schedules, Tracks(3), from, 2);
    std::array<std::vector<SchedulePlay>, ScheduleWeek::kDays * ScheduleWeek::kHoursPerDay> byHour;
    for (const SchedulePlay& play : NextPlays(schedules, Tracks(3), from, 5000)) {
        const auto hour = std::chrono::floor<std::chrono::hours>(play.time - week.firstDay).count();
        if (hour < int(byHour.size())) byHour[size_t(hour)].push_back(play);
    }
    for (size_t h = 0; h < byHour.size(); ++h) {
        EXPECT_EQ(week.hours[h].count, byHour[h].size()) << "hour " << h;
        byHour[h].resize(std::min<size_t>(byHour[h].size(), 2));
        EXPECT_EQ(week.hours[h].first, byHour[h]) << "hour " << h;
    }
}

}  // namespace

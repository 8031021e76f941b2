// What the schedule dialog computes after each edit, for 1,000 schedules: the next plays and the
// week (goal: under 20 ms together), and the notes, which the dialog computes with them. The
// baseline, measured in the same run, is the plain way to the week: every minute of the seven days
// tested against every schedule. Two card shapes: mixed rules, and copies of one every-minute rule.
// Usage: bench_schedule_preview [SCHEDULES]
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "schedule/SchedulePreview.h"
#include "schedule/ScheduleText.h"

namespace {

constexpr size_t kDefaultSchedules = 1000;
constexpr size_t kTracks = 40;
constexpr int kRuns = 9;
constexpr double kGoalSeconds = 0.020;
constexpr int kWeekMinutes = 7 * 24 * 60;

// Each field is "*" or one to three values; days and months are mostly "*", as on real cards.
std::vector<ScheduleEntry> MixedSchedules(size_t count) {
    std::mt19937 random(2026);
    std::vector<ScheduleEntry> schedules(count);
    for (ScheduleEntry& entry : schedules) {
        entry.trackIndex = uint16_t(random() % kTracks);
        for (const ScheduleField& field : kScheduleFields) {
            const bool calendar = field.maximum >= 12 && field.maximum <= 31;  // days, months
            if (random() % 10 < (calendar ? 8u : 4u)) continue;
            const unsigned values = 1 + random() % 3;
            for (unsigned v = 0; v < values; ++v)
                (entry.*field.member).insert(uint8_t(field.minimum + random() % (field.maximum - field.minimum + 1)));
        }
    }
    return schedules;
}

bool PlaysAt(const ScheduleEntry& s, std::chrono::local_days day, int minute) {
    using namespace std::chrono;
    const year_month_day date(day);
    auto in = [](const ValueSet& set, unsigned value) { return set.empty() || set.contains(uint8_t(value)); };
    return in(s.minutes, unsigned(minute % 60)) && in(s.hours, unsigned(minute / 60)) &&
           in(s.weekdays, weekday(day).c_encoding() + 1) && in(s.daysOfMonth, unsigned(date.day())) &&
           in(s.months, unsigned(date.month()));
}

size_t PlainWeek(const std::vector<ScheduleEntry>& schedules, LocalMinute from) {
    size_t plays = 0;
    for (int m = 0; m < kWeekMinutes; ++m) {
        const LocalMinute minute = from + std::chrono::minutes(m);
        const auto day = std::chrono::floor<std::chrono::days>(minute);
        for (const ScheduleEntry& s : schedules) plays += PlaysAt(s, day, int((minute - day).count()));
    }
    return plays;
}

bool Measure(const char* shape, const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
             LocalMinute from) {
    size_t sink = 0;
    const double listAndWeek = MedianSeconds(kRuns, [&] {
        sink += NextPlays(schedules, tracks, from, SchedulePreview::kPlays).size();
        sink += WeekOfPlays(schedules, tracks, from, SchedulePreview::kPlaysPerHour).MostInAnHour();
    });
    const double notes = MedianSeconds(kRuns, [&] { sink += ScheduleNotes(schedules, tracks.size(), from).size(); });
    const double plain = MedianSeconds(3, [&] { sink += PlainWeek(schedules, from); });
    std::printf("%zu schedules, %s:\n", schedules.size(), shape);
    ReportRatio("  next plays + week", listAndWeek, plain, 1.0);
    std::printf("  next plays + week: %.2f ms, ratio to the %.0f ms goal %.2f; notes %.2f ms; all three %.2f ms (%zu)\n",
                listAndWeek * 1e3, kGoalSeconds * 1e3, listAndWeek / kGoalSeconds, notes * 1e3,
                (listAndWeek + notes) * 1e3, sink % 10);
    return listAndWeek < kGoalSeconds;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::stoul(argv[1]) : kDefaultSchedules;
    std::vector<TrackEntry> tracks(kTracks);
    for (size_t i = 0; i < kTracks; ++i) tracks[i].SetTitle("Routine " + std::to_string(i));
    const LocalMinute from = *ParseLocalMinute("2026-12-09 14:37");
    bool within = Measure("mixed rules", MixedSchedules(count), tracks, from);
    within = Measure("every minute", std::vector<ScheduleEntry>(count), tracks, from) && within;
    return within ? 0 : 1;
}

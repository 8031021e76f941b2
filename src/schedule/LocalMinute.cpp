#include "schedule/LocalMinute.h"

#include <cstdio>

#include "platform/TextFormat.h"

namespace {

constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;

LocalMinute MinuteOf(const std::chrono::year_month_day& date, int hour, int minute) {
    return std::chrono::local_days(date) + std::chrono::hours(hour) + std::chrono::minutes(minute);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly `width` digits at text[at].
std::optional<int> Digits(const std::string& text, size_t at, size_t width) {
    if (at + width > text.size()) return std::nullopt;
    int value = 0;
    for (size_t i = at; i < at + width; ++i) {
        if (!IsDigit(text[i])) return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY-MM-DD" at the start of text, a date the calendar has.
std::optional<std::chrono::year_month_day> DateAtStart(const std::string& text) {
    using namespace std::chrono;
    const auto y = Digits(text, 0, 4), m = Digits(text, 5, 2), d = Digits(text, 8, 2);
    if (!y || !m || !d || text[4] != '-' || text[7] != '-') return std::nullopt;
    const year_month_day date = year(*y) / month(unsigned(*m)) / day(unsigned(*d));
    return date.ok() ? std::optional(date) : std::nullopt;
}

// Where the time begins after the date: behind a 'T', or behind one or more blanks.
std::optional<size_t> TimeStart(const std::string& text) {
    constexpr size_t kDateLength = 10;
    if (text.size() > kDateLength && text[kDateLength] == 'T') return kDateLength + 1;
    const size_t at = text.find_first_not_of(' ', kDateLength);
    if (at == kDateLength || at == std::string::npos) return std::nullopt;
    return at;
}

}  // namespace

LocalMinute ToLocalMinute(const LocalTime& time) {
    using namespace std::chrono;
    return MinuteOf(year(time.year) / month(unsigned(time.month)) / day(unsigned(time.day)), time.hour, time.minute);
}

std::string FormatLocalMinute(LocalMinute minute, char separator) {
    using namespace std::chrono;
    const local_days day = floor<days>(minute);
    const year_month_day date(day);
    const auto inDay = (minute - day).count();
    return StringPrintf("%04d-%02u-%02u%c%02d:%02d", int(date.year()), unsigned(date.month()), unsigned(date.day()),
                        separator, int(inDay / kMinutesPerHour), int(inDay % kMinutesPerHour));
}

std::optional<LocalMinute> ParseLocalMinute(const std::string& text) {
    const std::optional<std::chrono::year_month_day> date = DateAtStart(text);
    if (!date) return std::nullopt;
    const std::optional<size_t> at = TimeStart(text);
    if (!at) return std::nullopt;
    const auto h = Digits(text, *at, 2), m = Digits(text, *at + 3, 2);
    if (!h || !m || text[*at + 2] != ':' || text.size() != *at + 5) return std::nullopt;
    if (*h >= kHoursPerDay || *m >= kMinutesPerHour) return std::nullopt;
    return MinuteOf(*date, *h, *m);
}

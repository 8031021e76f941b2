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
    using namespace std::chrono;
    // YYYY-MM-DD, then the separator, then HH:MM and nothing else.
    const auto y = Digits(text, 0, 4), mo = Digits(text, 5, 2), d = Digits(text, 8, 2);
    if (!y || !mo || !d || text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    size_t at = 10;
    if (at < text.size() && text[at] == 'T') {
        ++at;
    } else {
        while (at < text.size() && text[at] == ' ') ++at;
        if (at == 10) return std::nullopt;
    }
    const auto h = Digits(text, at, 2), mi = Digits(text, at + 3, 2);
    if (!h || !mi || text[at + 2] != ':' || text.size() != at + 5) return std::nullopt;
    const year_month_day date = year(*y) / month(unsigned(*mo)) / day(unsigned(*d));
    if (!date.ok() || *h >= kHoursPerDay || *mi >= kMinutesPerHour) return std::nullopt;
    return MinuteOf(date, *h, *mi);
}

#include "schedule/ScheduleMatch.h"

#include <bit>

namespace {

using namespace std::chrono;

constexpr int kMinutesPerHour = 60;
constexpr int kLongestFebruary = 29;
constexpr unsigned kLongestMonth[] = {31, kLongestFebruary, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Bits minimum … maximum.
constexpr uint64_t RangeMask(int minimum, int maximum) {
    return (maximum >= 63 ? ~uint64_t(0) : (uint64_t(1) << (maximum + 1)) - 1) & ~((uint64_t(1) << minimum) - 1);
}

// The values of the field's range that the set selects; a set that selects none of them (empty,
// or holding only values the card cannot store) selects every value, as the card reads it back.
uint64_t FieldMask(const ValueSet& set, const ScheduleField& field) {
    uint64_t mask = 0;
    for (uint8_t value : set) mask |= uint64_t(1) << value;
    mask &= RangeMask(field.minimum, field.maximum);
    return mask ? mask : RangeMask(field.minimum, field.maximum);
}

// Days 1 … last.
uint32_t DaysUpTo(unsigned last) { return uint32_t(RangeMask(1, int(last))); }

unsigned WeekdayNumber(local_days day) { return weekday(day).c_encoding() + 1; }  // 1 = Sunday

bool AnyFieldEmpty(const ScheduleMasks& m) {
    return m.minutes == 0 || m.hours == 0 || m.days == 0 || m.months == 0 || m.weekdays == 0;
}

}  // namespace

ScheduleMasks ScheduleMasks::Of(const ScheduleEntry& entry) {
    ScheduleMasks masks;
    const ScheduleField* field = kScheduleFields;
    masks.minutes = FieldMask(entry.minutes, *field++);
    masks.hours = uint32_t(FieldMask(entry.hours, *field++));
    masks.weekdays = uint8_t(FieldMask(entry.weekdays, *field++));
    masks.days = uint32_t(FieldMask(entry.daysOfMonth, *field++));
    masks.months = uint16_t(FieldMask(entry.months, *field));
    return masks;
}

bool ScheduleMasks::CanEverPlay() const {
    if (AnyFieldEmpty(*this)) return false;
    for (unsigned m = 1; m <= 12; ++m)
        if ((months >> m & 1) && (days & DaysUpTo(kLongestMonth[m - 1]))) return true;
    return false;
}

bool ScheduleMasks::PlaysOn(local_days day) const {
    const year_month_day date(day);
    return (months >> unsigned(date.month()) & 1) && (days >> unsigned(date.day()) & 1) &&
           (weekdays >> WeekdayNumber(day) & 1);
}

std::optional<int> ScheduleMasks::FirstMinuteOfDay(int from) const {
    const int hour = from / kMinutesPerHour;
    if (hours >> hour & 1) {
        const uint64_t later = minutes & (~uint64_t(0) << (from % kMinutesPerHour));
        if (later) return hour * kMinutesPerHour + std::countr_zero(later);
    }
    const uint32_t laterHours = hours & ~uint32_t(0) << (hour + 1);
    if (!laterHours || !minutes) return std::nullopt;
    return std::countr_zero(laterHours) * kMinutesPerHour + std::countr_zero(minutes);
}

ScheduleMasks ScheduleMasks::operator&(const ScheduleMasks& other) const {
    return {minutes & other.minutes, hours & other.hours, days & other.days, uint16_t(months & other.months),
            uint8_t(weekdays & other.weekdays)};
}

std::optional<LocalMinute> FirstPlay(const ScheduleMasks& masks, LocalMinute from, LocalMinute before) {
    if (AnyFieldEmpty(masks) || from >= before) return std::nullopt;
    const local_days firstDay = floor<days>(from), lastDay = floor<days>(before - minutes(1));
    const int fromInDay = int((from - firstDay).count());
    const year_month_day start(firstDay);
    for (year y = start.year(); local_days(y / January / 1) <= lastDay; ++y) {
        const unsigned firstMonth = y == start.year() ? unsigned(start.month()) : 1;
        for (unsigned monthsLeft = masks.months & (~0u << firstMonth); monthsLeft; monthsLeft &= monthsLeft - 1) {
            const year_month ym = y / month(unsigned(std::countr_zero(monthsLeft)));
            if (local_days(ym / 1) > lastDay) return std::nullopt;
            uint32_t daysLeft = masks.days & DaysUpTo(unsigned((ym / last).day()));
            if (ym == start.year() / start.month()) daysLeft &= ~0u << unsigned(start.day());
            for (; daysLeft; daysLeft &= daysLeft - 1) {
                const local_days day(ym / std::countr_zero(daysLeft));
                if (day > lastDay) return std::nullopt;
                if (!(masks.weekdays >> WeekdayNumber(day) & 1)) continue;
                const std::optional<int> inDay = masks.FirstMinuteOfDay(day == firstDay ? fromInDay : 0);
                if (!inDay) continue;
                const LocalMinute play = day + minutes(*inDay);
                return play < before ? std::optional(play) : std::nullopt;
            }
        }
    }
    return std::nullopt;
}

#include "gui/ScheduleTexts.h"

#include <QLocale>

#include "platform/Translatable.h"

namespace {
constexpr int kMinutesPerHour = 60;
}

QDate CScheduleTexts::DateOf(std::chrono::local_days day) {
    const std::chrono::year_month_day date(day);
    return QDate(int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())));
}

QTime CScheduleTexts::TimeOf(LocalMinute minute) {
    const auto inDay = (minute - std::chrono::floor<std::chrono::days>(minute)).count();
    return QTime(int(inDay / kMinutesPerHour), int(inDay % kMinutesPerHour));
}

QString CScheduleTexts::DateText(std::chrono::local_days day) {
    const QLocale locale;
    const QDate date = DateOf(day);
    return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(date, QLocale::ShortFormat);
}

QString CScheduleTexts::TimeText(LocalMinute minute) {
    return TimeOf(minute).toString(QStringLiteral("HH:mm"));  // the schedules' own 24-hour clock
}

QString CScheduleTexts::PlayLine(const SchedulePlay& play) {
    return tr("%1  track %2  %3  (schedule %4)")
        .arg(TimeText(play.time))
        .arg(play.track)
        .arg(Title(play))
        .arg(play.schedule);
}

QString CScheduleTexts::NoteText(const ScheduleNote& note) {
    return QString::fromStdString(::NoteText(note, [](const char* text) {
        return QCoreApplication::translate(kCoreTextContext, text).toStdString();
    }));
}

QString CScheduleTexts::PlayCount(size_t count) {
    if (count == 0) return tr("no plays");
    if (count == 1) return tr("1 play");
    return tr("%1 plays").arg(count);
}

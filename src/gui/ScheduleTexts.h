#pragma once
// How the schedule dialog words the plays and notes the core works out: dates and times in the
// user's locale, the rest in the user's language.
#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QTime>

#include "schedule/NextPlays.h"
#include "schedule/ScheduleNotes.h"

class CScheduleTexts {
    Q_DECLARE_TR_FUNCTIONS(CScheduleTexts)
public:
    static QDate DateOf(std::chrono::local_days day);
    static QTime TimeOf(LocalMinute minute);
    // "Wed 09/12/2026" in the user's locale.
    static QString DateText(std::chrono::local_days day);
    // "14:05"
    static QString TimeText(LocalMinute minute);
    // "14:05  track 2  Title  (schedule 1)"
    static QString PlayLine(const SchedulePlay& play);
    // The note in the user's language, empty for an empty note.
    static QString NoteText(const ScheduleNote& note);
    // "1 play", "3 plays", "no plays"
    static QString PlayCount(size_t count);
    static QString Title(const SchedulePlay& play) { return QString::fromStdString(play.title); }
};

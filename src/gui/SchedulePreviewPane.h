#pragma once
// Under the schedule grid: what the schedules will do, as two tabs. "Next plays" lists the coming
// plays (date, time, track, title, schedule); "Week" shows the next seven days hour by hour.
#include <QTabWidget>

#include "schedule/SchedulePreview.h"

class CControlList;
class CScheduleWeekView;
class QLabel;

class CSchedulePreviewPane : public QTabWidget {
    Q_OBJECT
public:
    explicit CSchedulePreviewPane(QWidget* parent = nullptr);

    void Show(const SchedulePreview& preview);

    CControlList* PlaysList() const { return m_plays; }
    QLabel* NothingLabel() const { return m_nothing; }
    CScheduleWeekView* WeekView() const { return m_week; }

private:
    QWidget* BuildPlaysPage();

    CControlList* m_plays = nullptr;
    QLabel* m_nothing = nullptr;
    CScheduleWeekView* m_week = nullptr;
};

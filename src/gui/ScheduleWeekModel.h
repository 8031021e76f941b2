#pragma once
// The next seven days as a table of hours: a row a day, a column an hour, each cell the plays that
// fall into that hour. Views shade a cell by its share of the busiest hour; its tooltip and the
// text screen readers read name the hour, how many plays it holds and the first of them.
#include <QAbstractTableModel>

#include "schedule/ScheduleWeek.h"

class CScheduleWeekModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kCountRole = Qt::UserRole + 1;  // the hour's plays, as a number
    static constexpr int kShadeRole = Qt::UserRole + 2;  // 0 for none, else 0.25 … 1 by the busiest hour
    static constexpr int kPastRole = Qt::UserRole + 3;   // the hour is over before the week starts

    using QAbstractTableModel::QAbstractTableModel;

    // The same seven rows and 24 columns stay: a view keeps its current cell.
    void SetWeek(ScheduleWeek week);
    const ScheduleWeek& Week() const { return m_week; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QString HourTitle(int day, int hour) const;
    // The title, the count, and the first plays: lines for a tooltip, or one line for a screen reader.
    QStringList Description(int day, int hour) const;
    double Shade(size_t count) const;

    ScheduleWeek m_week;
    size_t m_most = 0;
    bool m_filled = false;  // before the first week arrives the cells say nothing
};

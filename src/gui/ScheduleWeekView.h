#pragma once
// The week of plays as a grid of hours: a row a day, a column an hour, each cell shaded from the
// palette's base colour towards its highlight colour by how many plays it holds, so it reads on
// light and dark desktops alike. Drawn, not pictured, so it stays sharp at any scaling. The arrow
// keys walk the cells; a screen reader reads each cell's hour, count and first plays.
#include <QStyledItemDelegate>
#include <QTableView>

#include "schedule/ScheduleWeek.h"

class CScheduleWeekModel;

class CScheduleWeekView : public QTableView {
    Q_OBJECT
public:
    explicit CScheduleWeekView(QWidget* parent = nullptr);

    void SetWeek(ScheduleWeek week);
    CScheduleWeekModel* WeekModel() const { return m_model; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    QSize SizeFor(int days) const;

    CScheduleWeekModel* m_model;
};

class CScheduleWeekDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

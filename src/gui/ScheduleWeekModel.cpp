#include "gui/ScheduleWeekModel.h"

#include <QLocale>

#include <cmath>

#include "gui/ScheduleTexts.h"

namespace {
constexpr double kLeastShade = 0.25;  // one play must stand out from none
}

void CScheduleWeekModel::SetWeek(ScheduleWeek week) {
    m_week = std::move(week);
    m_most = m_week.MostInAnHour();
    m_filled = true;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

int CScheduleWeekModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ScheduleWeek::kDays;
}

int CScheduleWeekModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ScheduleWeek::kHoursPerDay;
}

double CScheduleWeekModel::Shade(size_t count) const {
    if (count == 0 || m_most == 0) return 0;
    return kLeastShade + (1 - kLeastShade) * std::log1p(double(count)) / std::log1p(double(m_most));
}

QString CScheduleWeekModel::HourTitle(int day, int hour) const {
    const QDate date = CScheduleTexts::DateOf(m_week.firstDay + std::chrono::days(day));
    return tr("%1, %2:00 to %3:59")
        .arg(QLocale().toString(date, QLocale::LongFormat))
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(hour, 2, 10, QLatin1Char('0'));
}

QStringList CScheduleWeekModel::Description(int day, int hour) const {
    const WeekHour& cell = m_week.At(day, hour);
    const QString state = m_week.IsPast(day, hour) ? tr("past") : CScheduleTexts::PlayCount(cell.count);
    QStringList lines{tr("%1: %2").arg(HourTitle(day, hour), state)};
    for (const SchedulePlay& play : cell.first) lines << CScheduleTexts::PlayLine(play);
    if (cell.count > cell.first.size()) lines << tr("and %1 more").arg(cell.count - cell.first.size());
    return lines;
}

QVariant CScheduleWeekModel::data(const QModelIndex& index, int role) const {
    if (!m_filled || !index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const size_t count = m_week.At(index.row(), index.column()).count;
    switch (role) {
        case Qt::DisplayRole: return count ? QString::number(count) : QString();
        case kCountRole: return qulonglong(count);
        case kShadeRole: return Shade(count);
        case kPastRole: return m_week.IsPast(index.row(), index.column());
        case Qt::ToolTipRole: return Description(index.row(), index.column()).join(QLatin1Char('\n'));
        case Qt::AccessibleTextRole: return Description(index.row(), index.column()).join(QStringLiteral("; "));
        default: return {};
    }
}

QVariant CScheduleWeekModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return QString::number(section);
    if (orientation != Qt::Vertical || !m_filled || section < 0 || section >= rowCount()) return {};
    const QDate date = CScheduleTexts::DateOf(m_week.firstDay + std::chrono::days(section));
    const QLocale locale;
    if (role == Qt::DisplayRole) return locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ') + QString::number(date.day());
    if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) return locale.toString(date, QLocale::LongFormat);
    return {};
}

Qt::ItemFlags CScheduleWeekModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

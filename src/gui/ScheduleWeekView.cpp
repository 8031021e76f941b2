#include "gui/ScheduleWeekView.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

#include "gui/ScheduleWeekModel.h"

namespace {

constexpr int kCellPadding = 4;      // around a cell's number
constexpr double kDarkText = 0.55;   // from this shade on, the number is drawn in the highlight's text colour
constexpr int kFocusFrame = 2;
constexpr int kLeastDaysShown = 3;

QColor Mix(const QColor& from, const QColor& to, double share) {
    auto channel = [share](int a, int b) { return int(a + (b - a) * share + 0.5); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

}  // namespace

CScheduleWeekView::CScheduleWeekView(QWidget* parent) : QTableView(parent), m_model(new CScheduleWeekModel(this)) {
    setModel(m_model);
    setItemDelegate(new CScheduleWeekDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);  // Tab leaves the week as it leaves any control
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAccessibleName(tr("Week"));
    const int rowHeight = fontMetrics().height() + kCellPadding;
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setSectionResizeMode(QHeaderView::Stretch);
        header->setSectionsClickable(false);
        header->setHighlightSections(true);
    }
    horizontalHeader()->setMinimumSectionSize(fontMetrics().horizontalAdvance(QStringLiteral("00")) + kCellPadding);
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
}

void CScheduleWeekView::SetWeek(ScheduleWeek week) {
    m_model->SetWeek(std::move(week));
    if (!currentIndex().isValid()) setCurrentIndex(m_model->index(0, 0));
}

// 24 columns of two digits each and the headers; in height the whole week, or on a small screen a
// few days and a scroll bar.
QSize CScheduleWeekView::SizeFor(int days) const {
    const int frame = 2 * frameWidth();
    return {verticalHeader()->sizeHint().width() + ScheduleWeek::kHoursPerDay * horizontalHeader()->minimumSectionSize() +
                verticalScrollBar()->sizeHint().width() + frame,
            horizontalHeader()->sizeHint().height() + days * verticalHeader()->minimumSectionSize() + frame};
}

QSize CScheduleWeekView::minimumSizeHint() const {
    return SizeFor(kLeastDaysShown);
}

QSize CScheduleWeekView::sizeHint() const {
    return SizeFor(ScheduleWeek::kDays);
}

void CScheduleWeekDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QPalette& palette = option.palette;
    const double shade = index.data(CScheduleWeekModel::kShadeRole).toDouble();
    painter->save();
    const bool past = index.data(CScheduleWeekModel::kPastRole).toBool();
    painter->fillRect(option.rect, past ? palette.color(QPalette::Window)
                                        : Mix(palette.color(QPalette::Base), palette.color(QPalette::Highlight), shade));
    const QString count = index.data(Qt::DisplayRole).toString();
    if (!count.isEmpty() && option.fontMetrics.horizontalAdvance(count) + kCellPadding <= option.rect.width()) {
        painter->setPen(palette.color(shade >= kDarkText ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(option.rect, Qt::AlignCenter, count);
    }
    if (option.state & (QStyle::State_HasFocus | QStyle::State_Selected)) {
        const bool focused = option.state & QStyle::State_HasFocus;
        QPen frame(palette.color(focused ? QPalette::Text : QPalette::Mid), kFocusFrame);
        frame.setJoinStyle(Qt::MiterJoin);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option.rect).adjusted(kFocusFrame / 2.0, kFocusFrame / 2.0, -kFocusFrame / 2.0, -kFocusFrame / 2.0));
    }
    painter->restore();
}

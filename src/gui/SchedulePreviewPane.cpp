#include "gui/SchedulePreviewPane.h"

#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/BitmapResource.h"
#include "controls/ControlList.h"
#include "gui/ScheduleTexts.h"
#include "gui/ScheduleWeekView.h"

namespace {

enum PlayColumn { kDateColumn, kTimeColumn, kTrackColumn, kTitleColumn, kScheduleColumn };
constexpr int kColumnPadding = 16;  // pixels beside the widest text a column must show

// Wide enough for the title and for the widest text of the column's kind.
int ColumnWidth(const QFontMetrics& metrics, const QString& title, const QString& widest) {
    return qMax(metrics.horizontalAdvance(title), metrics.horizontalAdvance(widest)) + kColumnPadding;
}

}  // namespace

CSchedulePreviewPane::CSchedulePreviewPane(QWidget* parent) : QTabWidget(parent) {
    setAccessibleName(tr("Preview"));
    addTab(BuildPlaysPage(), tr("Next plays"));
    m_week = new CScheduleWeekView(this);
    addTab(m_week, tr("Week"));
}

QWidget* CSchedulePreviewPane::BuildPlaysPage() {
    auto* page = new QWidget(this);
    m_plays = new CControlList(bitmap_id::kCheckImages, page);
    m_plays->setAccessibleName(tr("Next plays"));
    const QFontMetrics metrics = m_plays->fontMetrics();
    const QStringList titles{tr("Date"), tr("Time"), tr("Track"), tr("Title"), tr("Schedule")};
    const QString sampleDate = CScheduleTexts::DateText(std::chrono::local_days(std::chrono::year(2026) / 12 / 30));
    m_plays->SetColumns(titles, {ColumnWidth(metrics, titles[kDateColumn], sampleDate + QStringLiteral("0")),
                                 ColumnWidth(metrics, titles[kTimeColumn], QStringLiteral("00:00")),
                                 ColumnWidth(metrics, titles[kTrackColumn], QStringLiteral("00000")),
                                 ColumnWidth(metrics, titles[kTitleColumn], QStringLiteral("MMMMMMMMMMMMMMM")),
                                 ColumnWidth(metrics, titles[kScheduleColumn], QStringLiteral("0000000"))});
    m_plays->horizontalHeader()->setSectionResizeMode(kTitleColumn, QHeaderView::Stretch);
    m_nothing = new QLabel(tr("No schedule plays in the next %1 years.").arg(kPlayHorizon.count()), page);
    m_nothing->setWordWrap(true);
    m_nothing->hide();
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plays, 1);
    layout->addWidget(m_nothing);
    return page;
}

void CSchedulePreviewPane::Show(const SchedulePreview& preview) {
    std::vector<QStringList> rows;
    rows.reserve(preview.plays.size());
    for (const SchedulePlay& play : preview.plays) {
        rows.push_back({CScheduleTexts::DateText(std::chrono::floor<std::chrono::days>(play.time)),
                        CScheduleTexts::TimeText(play.time), QString::number(play.track), CScheduleTexts::Title(play),
                        QString::number(play.schedule)});
    }
    const int current = m_plays->currentIndex().row();
    m_plays->SetRows(std::move(rows));
    if (current >= 0 && current < m_plays->GetRowCount()) m_plays->setCurrentIndex(m_plays->model()->index(current, 0));
    m_nothing->setVisible(preview.plays.empty());
    m_week->SetWeek(preview.week);
}

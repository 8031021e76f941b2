#include "gui/SchedulerDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/BitmapResource.h"
#include "controls/ControlList.h"
#include "controls/DialogUnits.h"
#include "controls/ImageButton.h"
#include "gui/SchedulePreviewPane.h"
#include "gui/SchedulePreviewer.h"
#include "gui/ScheduleTexts.h"
#include "gui/Translations.h"
#include "schedule/ScheduleText.h"

namespace {

// The dialog's size and its parts' widths in dialog units.
constexpr int kDialogWidth = 381;
constexpr int kDialogHeight = 239;
constexpr int kHelpWidth = 222;
constexpr int kRangesWidth = 120;
constexpr int kGridWidth = 366;
constexpr int kGridHeight = 108;
constexpr int kGridLeastHeight = 56;   // the preview below may take the rest on a small screen
constexpr int kNoteIconSize = 16;     // pixels, the grid's small icons
constexpr int kMillisecondsPerSecond = 1000;
constexpr int kSecondsPerMinute = 60;
constexpr int kButtonWidth = 66;
constexpr int kButtonHeight = 36;
constexpr int kButtonGap = 12;
constexpr int kMargin = 6;
constexpr int kTrackColumnWidth = 75;  // pixels
constexpr int kTrackColumn = 0;
constexpr int kFieldColumns = 5;

const QColor kTransparent = Qt::white;

QLabel* HelpLabel(const QString& text, int width) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

CSchedulerDialog::CSchedulerDialog(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                                   QWidget* parent, ClockSource clock)
    : QDialog(parent), m_schedules(schedules), m_trackCount(int(tracks.size())),
      m_tracks(std::make_shared<const std::vector<TrackEntry>>(tracks)), m_clock(std::move(clock)),
      m_previewer(new CSchedulePreviewer(this)), m_nextMinute(new QTimer(this)),
      m_noteIcon(LoadSvgIcon(QStringLiteral(":/icons/schedule-note.svg"), kNoteIconSize)) {
    setWindowTitle(tr("Schedule"));
    BuildLayout();
    SetUpGrid();
    m_nextMinute->setSingleShot(true);
    connect(m_nextMinute, &QTimer::timeout, this, &CSchedulerDialog::RequestPreview);
    connect(m_previewer, &CSchedulePreviewer::ready, this, &CSchedulerDialog::ShowPreview);
    FillGrid();
    m_add->SetBitmaps(bitmap_id::kAddRoutine, kTransparent);
    m_remove->SetBitmaps(bitmap_id::kRemoveLast, kTransparent);
    m_cancel->SetBitmaps(bitmap_id::kCancel, kTransparent);
    m_ok->SetBitmaps(bitmap_id::kExit, kTransparent);
    if (m_grid->GetRowCount() > 0) m_grid->SelectRow(0);
}

CSchedulerDialog::CSchedulerDialog(const std::vector<ScheduleEntry>& schedules, int trackCount, QWidget* parent)
    : CSchedulerDialog(schedules, std::vector<TrackEntry>(size_t(std::max(trackCount, 0))), parent) {}

CSchedulerDialog::~CSchedulerDialog() = default;

void CSchedulerDialog::BuildLayout() {
    const CDialogUnits units(font());
    auto* help = new QVBoxLayout;
    help->addWidget(HelpLabel(tr("The scheduler will play the specified track when the conditions of the Minutes, "
                                 "Hours, Weekdays, Days of month, and Months fields are all satisfied."),
                              units.X(kHelpWidth)));
    help->addWidget(HelpLabel(tr("Use a comma (',') to specify a list of values, for example: \"1,3,4,7,8\"."),
                              units.X(kHelpWidth)));
    help->addWidget(HelpLabel(tr("Use the asterisk ('*') to specify all possible values for a field. For example, an "
                                 "asterisk in the hour time field would be equivalent to 'every hour'. See the manual "
                                 "for details and examples."),
                              units.X(kHelpWidth)));
    auto* top = new QHBoxLayout;
    top->addLayout(help);
    top->addStretch();
    top->addWidget(HelpLabel(tr("Minutes: 0-59\nHours: 0-23 (Military time)\nWeekdays: 1-7 (1=Sun, 7=Sat)\n"
                                "Days of month: 1-31\nMonths: 1-12 (1=Jan, 12=Dec)"),
                             units.X(kRangesWidth)),
                   0, Qt::AlignTop);

    m_grid = new CControlList(bitmap_id::kCheckImages, this);
    m_grid->setAccessibleName(tr("Schedules"));
    m_grid->setMinimumSize(units.Size(kGridWidth, kGridLeastHeight));
    // Rows are numbered from 0, as the notes and the plays name them.
    m_grid->verticalHeader()->show();
    m_preview = new CSchedulePreviewPane(this);

    m_add = new CImageButton(tr("Add"), this);
    m_remove = new CImageButton(tr("Remove"), this);
    m_ok = new CImageButton(tr("OK"), this);
    m_cancel = new CImageButton(tr("Cancel"), this);
    m_ok->SetDefaultButton(true);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(units.X(kButtonGap));
    buttons->addStretch();
    for (CImageButton* button : {m_add, m_remove, m_ok, m_cancel}) {
        button->setFixedSize(units.Size(kButtonWidth, kButtonHeight));
        button->setAutoDefault(true);  // Enter presses the focused button; elsewhere OK, the default
        button->SetDrawFlatFocus(true);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    connect(m_add, &QAbstractButton::clicked, this, &CSchedulerDialog::OnAdd);
    connect(m_remove, &QAbstractButton::clicked, this, &CSchedulerDialog::OnRemove);
    connect(m_ok, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QAbstractButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(units.X(kMargin), units.Y(kMargin), units.X(kMargin), units.Y(kMargin));
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_preview);  // as tall as the whole week; the grid takes the rest
    layout->addLayout(buttons);
    resize(FirstSizeOnScreen(*this, units.Size(kDialogWidth, kDialogHeight) + QSize(0, m_preview->sizeHint().height())));
}

void CSchedulerDialog::SetUpGrid() {
    // The numbers in front of the rows take their room from the grid's width; three digits fit.
    const int numbers = m_grid->verticalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("000")) +
                        2 * m_grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, m_grid);
    m_grid->verticalHeader()->setMinimumWidth(numbers);
    const int width = CDialogUnits(font()).X(kGridWidth) - numbers;
    const int fieldWidth = (width - kTrackColumnWidth) / kFieldColumns;
    QStringList titles{tr("Track")};
    QList<int> widths{kTrackColumnWidth};
    for (const ScheduleField& field : kScheduleFields) {
        titles << CoreText(field.name);
        widths << fieldWidth;
    }
    m_grid->SetColumns(titles, widths);
    connect(m_grid, &CControlList::cellEdited, this, &CSchedulerDialog::OnCellEdited);
}

void CSchedulerDialog::FillGrid() {
    // With no tracks the range would be empty; the track cell then holds 0.
    const int lastTrack = qMax(m_trackCount - 1, 0);
    m_grid->SetRedraw(false);
    for (int row = 0; row < static_cast<int>(m_schedules.size()); ++row) {
        const ScheduleEntry& entry = m_schedules[row];
        auto track = std::make_unique<CControlListCell>();
        track->type = CellType::Number;
        track->minimum = 0;
        track->maximum = lastTrack;
        track->value = qMin<int>(entry.trackIndex, lastTrack);
        m_grid->SetCell(row, kTrackColumn, std::move(track));
        int column = kTrackColumn + 1;
        for (const ScheduleField& field : kScheduleFields) {
            auto text = std::make_unique<CControlListCell>();
            text->type = CellType::Text;
            text->text = QString::fromStdString(FormatField(entry.*field.member));
            m_grid->SetCell(row, column++, std::move(text));
        }
    }
    m_grid->SetRedraw(true);
    m_remove->setEnabled(!m_schedules.empty());
    RequestPreview();
}

void CSchedulerDialog::OnCellEdited(int row, int column, const QString&, const QString& newText) {
    if (row < 0 || row >= static_cast<int>(m_schedules.size())) return;
    ScheduleEntry& entry = m_schedules[row];
    if (column == kTrackColumn) {
        entry.trackIndex = ClampTrackIndex(LeadingInteger(newText), size_t(std::max(m_trackCount, 0)));
    } else if (column > kTrackColumn && column <= kFieldColumns) {
        const ScheduleField& field = kScheduleFields[column - 1];
        ParseField(entry.*field.member, newText.toStdString(), field.minimum, field.maximum);
    }
    FillGrid();
}

void CSchedulerDialog::OnAdd() {
    m_schedules.emplace_back();
    FillGrid();
}

void CSchedulerDialog::OnRemove() {
    const int row = m_grid->GetSelectedRow();
    if (row < 0 || row >= static_cast<int>(m_schedules.size())) return;
    m_schedules.erase(m_schedules.begin() + row);
    m_grid->DeleteRow(row);
    RequestPreview();
}

void CSchedulerDialog::RequestPreview() {
    const LocalTime now = m_clock();
    m_previewer->Request(m_schedules, m_tracks, ToLocalMinute(now));
    m_nextMinute->start((kSecondsPerMinute - qBound(0, now.second, kSecondsPerMinute - 1)) * kMillisecondsPerSecond);
}

void CSchedulerDialog::ShowPreview(const std::shared_ptr<const SchedulePreview>& preview) {
    m_preview->Show(*preview);
    const int rows = qMin(m_grid->GetRowCount(), int(preview->notes.size()));
    for (int row = 0; row < rows; ++row)
        m_grid->SetRowNote(row, m_noteIcon, CScheduleTexts::NoteText(preview->notes[size_t(row)]));
    emit previewShown();
}

// Shots of the controls: the schedule dialog with four schedules (its next plays, its week), the image button's states, the
// grid's kinds of cells.
#include <QApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "Shots.h"
#include "controls/BitmapResource.h"
#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "gui/SchedulePreviewPane.h"
#include "gui/ScheduleWeekView.h"
#include "gui/SchedulerDialog.h"

namespace {

constexpr int kTrackCount = 3;
const QSize kButtonSize(100, 58);  // the dialogs' 66 x 36 units in their usual font

ScheduleEntry Schedule(uint16_t track, ValueSet minutes, ValueSet hours, ValueSet weekdays = {}, ValueSet days = {},
                       ValueSet months = {}) {
    ScheduleEntry entry;
    entry.trackIndex = track;
    entry.minutes = std::move(minutes);
    entry.hours = std::move(hours);
    entry.weekdays = std::move(weekdays);
    entry.daysOfMonth = std::move(days);
    entry.months = std::move(months);
    return entry;
}

// Wednesday, 9 December 2026, 11:20: the pictures do not change with the day they are made.
LocalTime PictureClock() {
    return {2026, 12, 9, 4, 11, 20, 0};
}

std::unique_ptr<QWidget> ScheduleDialog() {
    const std::vector<ScheduleEntry> schedules{
        Schedule(0, {0, 30}, {9, 12, 15}),
        Schedule(1, {45}, {19}, {1, 7}),
        Schedule(2, {}, {12}),
        Schedule(1, {0}, {12}, {}, {31}, {4}),
    };
    std::vector<TrackEntry> tracks(kTrackCount);
    const char* titles[] = {"Chimes", "Parade", "Finale"};
    for (int i = 0; i < kTrackCount; ++i) tracks[size_t(i)].SetTitle(titles[i]);
    return std::make_unique<CSchedulerDialog>(schedules, tracks, nullptr, PictureClock);
}

// Waits (a few seconds at most) until the dialog shows its preview.
void AwaitPreview(QWidget& widget) {
    auto& dialog = static_cast<CSchedulerDialog&>(widget);
    constexpr int kWaitMs = 5000;
    QEventLoop loop;
    QObject::connect(&dialog, &CSchedulerDialog::previewShown, &loop, &QEventLoop::quit);
    QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
    if (dialog.PreviewPane()->PlaysList()->GetRowCount() == 0) loop.exec();
}

// The week, with the keyboard on today's noon hour.
void ShowWeek(QWidget& widget) {
    AwaitPreview(widget);
    auto& dialog = static_cast<CSchedulerDialog&>(widget);
    dialog.PreviewPane()->setCurrentWidget(dialog.PreviewPane()->WeekView());
    CScheduleWeekView* week = dialog.PreviewPane()->WeekView();
    week->setFocus(Qt::TabFocusReason);
    week->setCurrentIndex(week->model()->index(0, 12));
}

// One button per state, each with its name below.
const char* const kStates[] = {"Normal", "Hovered", "Pressed", "Disabled"};

std::unique_ptr<QWidget> ImageButtonStates() {
    auto strip = std::make_unique<QWidget>();
    auto* layout = new QGridLayout(strip.get());
    int column = 0;
    for (const char* state : kStates) {
        auto* button = new CImageButton(QStringLiteral("Add"));
        button->setObjectName(QString::fromLatin1(state));
        button->SetBitmaps(bitmap_id::kAddRoutine, Qt::white);
        button->setFixedSize(kButtonSize);
        layout->addWidget(button, 0, column);
        layout->addWidget(new QLabel(QString::fromLatin1(state)), 1, column++, Qt::AlignHCenter);
    }
    return strip;
}

void SetButtonStates(QWidget& strip) {
    auto* hovered = strip.findChild<CImageButton*>(QStringLiteral("Hovered"));
    const QPointF at(hovered->width() / 2.0, hovered->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, hovered->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(hovered, &move);
    strip.findChild<CImageButton*>(QStringLiteral("Pressed"))->setDown(true);
    strip.findChild<CImageButton*>(QStringLiteral("Disabled"))->setEnabled(false);
}

std::unique_ptr<CControlListCell> Cell(CellType type, const QString& text, int value = 0) {
    auto cell = std::make_unique<CControlListCell>();
    cell->type = type;
    cell->text = text;
    cell->value = value;
    return cell;
}

// Every kind of cell the grid draws, on a selected and an unselected row.
std::unique_ptr<QWidget> ControlListCells() {
    auto grid = std::make_unique<CControlList>(bitmap_id::kCheckImages);
    const int width = 110;
    grid->SetColumns({"Check", "Colour", "Time", "Choice", "Number"}, {width, width, width, width, width});
    for (int row = 0; row < 3; ++row) {
        grid->SetCell(row, 0, Cell(CellType::Check, QStringLiteral("Loop"), row % 2));
        auto colour = Cell(CellType::Colour, {});
        colour->colour = QColor::fromHsv(row * 100, 200, 220);
        grid->SetCell(row, 1, std::move(colour));
        auto time = Cell(CellType::Time, {});
        time->hours = row;
        time->minutes = 15 * row;
        time->hundredths = 5;
        grid->SetCell(row, 2, std::move(time));
        auto choice = Cell(CellType::Choice, {}, row + 1);
        choice->choices = QStringList{"MiniSSC", "SV203", "DMX"};
        grid->SetCell(row, 3, std::move(choice));
        auto number = Cell(CellType::Number, {}, 10 * row);
        grid->SetCell(row, 4, std::move(number));
    }
    grid->resize(5 * width + 4, 100);
    return grid;
}

void SelectMiddleRow(QWidget& grid) {
    static_cast<CControlList&>(grid).SelectRow(1);
}

}  // namespace

std::vector<Shot> ControlShots() {
    return {
        {"schedule-dialog", ScheduleDialog, AwaitPreview},
        {"schedule-week", ScheduleDialog, ShowWeek},
        {"image-button-states", ImageButtonStates, SetButtonStates},
        {"control-list-cells", ControlListCells, SelectMiddleRow},
    };
}

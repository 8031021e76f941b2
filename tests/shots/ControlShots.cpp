// Shots of the controls: the schedule dialog with three schedules, the image button's states.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>

#include "Shots.h"
#include "controls/BitmapResource.h"
#include "controls/ImageButton.h"
#include "gui/SchedulerDialog.h"

namespace {

constexpr int kTrackCount = 3;
const QSize kButtonSize(100, 58);  // the dialogs' 66 x 36 units in their usual font

ScheduleEntry Schedule(uint16_t track, ValueSet minutes, ValueSet hours, ValueSet weekdays = {}) {
    ScheduleEntry entry;
    entry.trackIndex = track;
    entry.minutes = std::move(minutes);
    entry.hours = std::move(hours);
    entry.weekdays = std::move(weekdays);
    return entry;
}

std::unique_ptr<QWidget> ScheduleDialog() {
    const std::vector<ScheduleEntry> schedules{
        Schedule(0, {0, 30}, {9, 12, 15}),
        Schedule(1, {45}, {19}, {1, 7}),
        Schedule(2, {}, {12}),
    };
    return std::make_unique<CSchedulerDialog>(schedules, kTrackCount);
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

}  // namespace

std::vector<Shot> ControlShots() {
    return {
        {"schedule-dialog", ScheduleDialog, nullptr},
        {"image-button-states", ImageButtonStates, SetButtonStates},
    };
}

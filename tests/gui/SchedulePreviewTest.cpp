// The schedule dialog's preview: the next plays and the row notes follow every edit before OK,
// worked out beside the window; the week counts, shades, reads aloud and is walked by keys.
#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "gui/SchedulePreviewPane.h"
#include "gui/ScheduleWeekModel.h"
#include "gui/ScheduleWeekView.h"
#include "gui/SchedulerDialog.h"
#include "gui/SchedulerDialogDriver.h"
#include "schedule/ScheduleText.h"

namespace {

constexpr int kPreviewWaitMs = 10000;

// Wednesday, 9 December 2026, 11:20.
LocalTime Wednesday() {
    return {2026, 12, 9, 4, 11, 20, 0};
}

ScheduleEntry Entry(uint16_t track, const char* minutes, const char* hours = "*", const char* days = "*",
                    const char* months = "*") {
    ScheduleEntry entry;
    entry.trackIndex = track;
    ParseField(entry.minutes, minutes, 0, 59);
    ParseField(entry.hours, hours, 0, 23);
    ParseField(entry.daysOfMonth, days, 1, 31);
    ParseField(entry.months, months, 1, 12);
    return entry;
}

std::vector<TrackEntry> Titled(std::initializer_list<const char*> titles) {
    std::vector<TrackEntry> tracks;
    for (const char* title : titles) tracks.emplace_back().SetTitle(title);
    return tracks;
}

QString CellRole(const CControlList& grid, int row, int column, int role) {
    return grid.model()->index(row, column).data(role).toString();
}

}  // namespace

class SchedulePreviewTest : public QObject {
    Q_OBJECT
private slots:
    void NextPlaysAndNotesFollowTheEditsBeforeOk();
    void TheDialogShowsBeforeThePreviewIsWorkedOut();
    void WeekCountsTheHoursAndReadsThemAloud();
    void WeekFollowsThePalette();
};

void SchedulePreviewTest::NextPlaysAndNotesFollowTheEditsBeforeOk() {
    CSchedulerDialog dialog({Entry(0, "30", "11, 12"), Entry(1, "0", "12"), Entry(1, "0", "0", "31", "4")},
                            Titled({"Chimes", "Parade"}), nullptr, Wednesday);
    QSignalSpy shown(&dialog, &CSchedulerDialog::previewShown);
    dialog.show();
    QVERIFY(shown.wait(kPreviewWaitMs));
    const CControlList* plays = dialog.PreviewPane()->PlaysList();
    QCOMPARE(plays->GetItemText(0, 1) + " " + RowTexts(*plays, 0).mid(2).join('|'), QStringLiteral("11:30 0|Chimes|0"));
    QCOMPARE(plays->GetItemText(1, 1) + " " + RowTexts(*plays, 1).mid(2).join('|'), QStringLiteral("12:00 1|Parade|1"));
    QVERIFY(plays->GetItemText(0, 0).contains("9"));
    const CControlList& grid = *dialog.Grid();
    QCOMPARE(grid.GetRowNote(0), QString());
    QCOMPARE(grid.GetRowNote(2), QStringLiteral("never plays"));
    for (const int role : {int(Qt::ToolTipRole), int(Qt::AccessibleDescriptionRole)})
        QCOMPARE(CellRole(grid, 2, 3, role), QStringLiteral("never plays"));
    QVERIFY(!grid.model()->index(2, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(grid.model()->index(0, 0).data(Qt::DecorationRole).isNull());

    // Schedule 0 moves to minute 0: it now meets schedule 1 at 12:00, and that shows before OK.
    // The edit itself turns the event loop, so the new preview may already be shown when it returns.
    const qsizetype before = shown.count();
    EditCell(dialog, 0, 1, "0");
    QTRY_VERIFY_WITH_TIMEOUT(shown.count() > before, kPreviewWaitMs);
    QCOMPARE(grid.GetRowNote(0), QStringLiteral("same minute as schedule 1"));
    QCOMPARE(grid.GetRowNote(1), QStringLiteral("same minute as schedule 0"));
    QCOMPARE(RowTexts(*plays, 0).mid(1), (QStringList{"12:00", "0", "Chimes", "0"}));
    QCOMPARE(RowTexts(*plays, 1).mid(1), (QStringList{"12:00", "1", "Parade", "1"}));

    // Removing every schedule that plays leaves the list empty and says so.
    for (int row : {1, 0}) {
        dialog.Grid()->SelectRow(row);
        QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
    }
    QTRY_COMPARE_WITH_TIMEOUT(plays->GetRowCount(), 0, kPreviewWaitMs);
    QTRY_VERIFY(dialog.PreviewPane()->NothingLabel()->isVisible());
    QTRY_COMPARE(grid.GetRowNote(0), QStringLiteral("never plays"));
    QCOMPARE(dialog.result(), 0);  // all of it before OK
}

// A full card's worth of schedules: the dialog is there and answers at once, the plays follow.
void SchedulePreviewTest::TheDialogShowsBeforeThePreviewIsWorkedOut() {
    const std::vector<ScheduleEntry> many(2000, Entry(0, "*"));
    CSchedulerDialog dialog(many, Titled({"Chimes"}), nullptr, Wednesday);
    QCOMPARE(dialog.PreviewPane()->PlaysList()->GetRowCount(), 0);
    QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);
    QCOMPARE(dialog.Grid()->GetRowCount(), 2001);
    QTRY_COMPARE_WITH_TIMEOUT(dialog.PreviewPane()->PlaysList()->GetRowCount(), int(SchedulePreview::kPlays),
                              kPreviewWaitMs);
    QTRY_COMPARE(dialog.Grid()->GetRowNote(2000), QStringLiteral("same minute as schedules 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 "
                                                                 "and 1990 more"));
}

void SchedulePreviewTest::WeekCountsTheHoursAndReadsThemAloud() {
    CSchedulerDialog dialog({Entry(0, "0, 30", "9, 12"), Entry(1, "*", "12", "10")}, Titled({"Chimes", "Parade"}),
                            nullptr, Wednesday);
    QSignalSpy shown(&dialog, &CSchedulerDialog::previewShown);
    dialog.show();
    QVERIFY(shown.wait(kPreviewWaitMs));
    dialog.PreviewPane()->setCurrentWidget(dialog.PreviewPane()->WeekView());
    CScheduleWeekView* week = dialog.PreviewPane()->WeekView();
    const QAbstractItemModel& model = *week->model();
    QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QLocale().dayName(4, QLocale::ShortFormat) + " 10");
    QCOMPARE(model.index(0, 9).data(CScheduleWeekModel::kCountRole).toInt(), 0);  // before 11:20: past
    QCOMPARE(model.index(1, 9).data(CScheduleWeekModel::kCountRole).toInt(), 2);
    QCOMPARE(model.index(1, 12).data(CScheduleWeekModel::kCountRole).toInt(), 62);  // the 10th's noon
    const QString tip = model.index(1, 12).data(Qt::ToolTipRole).toString();
    QVERIFY2(tip.contains("12:00 to 12:59: 62 plays\n12:00  track 0  Chimes  (schedule 0)\n"
                          "12:00  track 1  Parade  (schedule 1)\n12:01  track 1  Parade  (schedule 1)"),
             qPrintable(tip));
    QVERIFY2(tip.endsWith("and 54 more"), qPrintable(tip));
    QVERIFY(model.index(0, 9).data(Qt::ToolTipRole).toString().endsWith(": past"));

    // The arrow keys walk the cells; a screen reader hears the hour under the focus.
    week->setFocus();
    week->setCurrentIndex(model.index(0, 11));
    QTest::keyClick(week, Qt::Key_Down);
    QTest::keyClick(week, Qt::Key_Right);
    QCOMPARE(week->currentIndex(), model.index(1, 12));
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(week);
    QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Week"));
    const QString spoken = table->tableInterface()->cellAt(1, 12)->text(QAccessible::Name);
    QVERIFY2(spoken.contains("62 plays; 12:00  track 0  Chimes  (schedule 0); "), qPrintable(spoken));
}

// Shades run from the palette's base colour to its highlight; hours gone by take the window colour.
void SchedulePreviewTest::WeekFollowsThePalette() {
    CSchedulerDialog dialog({Entry(0, "*", "12")}, Titled({"Chimes"}), nullptr, Wednesday);
    QPalette dark = dialog.palette();
    dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    dialog.setPalette(dark);
    QSignalSpy shown(&dialog, &CSchedulerDialog::previewShown);
    dialog.show();
    QVERIFY(shown.wait(kPreviewWaitMs));
    CScheduleWeekView* week = dialog.PreviewPane()->WeekView();
    dialog.PreviewPane()->setCurrentWidget(week);
    const QImage picture = week->viewport()->grab().toImage();
    auto colourAt = [&](int day, int hour) {
        const QRect cell = week->visualRect(week->model()->index(day, hour));
        const qreal ratio = picture.devicePixelRatio();
        return picture.pixelColor(int((cell.left() + 3) * ratio), int((cell.top() + 3) * ratio));
    };
    QCOMPARE(colourAt(2, 3), dark.color(QPalette::Base));
    QCOMPARE(colourAt(2, 12), dark.color(QPalette::Highlight));  // the busiest hour
    QCOMPARE(colourAt(0, 3), dark.color(QPalette::Window));
}

QTEST_MAIN(SchedulePreviewTest)
#include "SchedulePreviewTest.moc"

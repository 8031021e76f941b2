#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "gui/SchedulerDialog.h"
#include "gui/SchedulerDialogDriver.h"

namespace {

constexpr int kTrackColumnWidth = 75;

ScheduleEntry Entry(uint16_t track, ValueSet minutes = {}, ValueSet hours = {}) {
    ScheduleEntry entry;
    entry.trackIndex = track;
    entry.minutes = std::move(minutes);
    entry.hours = std::move(hours);
    return entry;
}

// Tabs from the grid until target has the focus; false when it is never reached.
bool TabTo(CSchedulerDialog& dialog, QWidget* target) {
    constexpr int kMostTabs = 8;
    dialog.Grid()->setFocus(Qt::TabFocusReason);
    for (int tab = 0; tab < kMostTabs && QApplication::focusWidget() && QApplication::focusWidget() != target; ++tab)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget() == target;
}

}  // namespace

class SchedulerDialogTest : public QObject {
    Q_OBJECT
private slots:
    void ShowsTheColumnsInTheirOrderAndWidths();
    void WithoutSchedulesRemoveIsOffAndAddMakesAnEveryMinuteRow();
    void EditedTextsAreNormalised();
    void RemoveTakesTheSelectedRow();
    void OkKeepsTheEditsCancelEndsWithoutThem();
    void TabReachesEveryButtonWithAFocusFrameAndEnterPressesIt();
};

void SchedulerDialogTest::ShowsTheColumnsInTheirOrderAndWidths() {
    CSchedulerDialog dialog({Entry(9, {5}, {1, 3})}, 3);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Schedule"));
    CControlList* grid = dialog.Grid();
    const QStringList want{"Track", "Minutes", "Hours", "Weekdays", "Days of month", "Months"};
    QCOMPARE(grid->GetColumnCount(), static_cast<int>(want.size()));
    for (int column = 0; column < grid->GetColumnCount(); ++column) {
        QCOMPARE(grid->model()->headerData(column, Qt::Horizontal).toString(), want[column]);
    }
    QCOMPARE(grid->columnWidth(0), kTrackColumnWidth);
    for (int column = 2; column < grid->GetColumnCount(); ++column) {
        QCOMPARE(grid->columnWidth(column), grid->columnWidth(1));
    }
    // A track index beyond the card's tracks is never shown.
    QCOMPARE(RowTexts(*grid, 0), (QStringList{"2", "5", "1, 3", "*", "*", "*"}));
    QCOMPARE(grid->GetSelectedRow(), 0);
    QVERIFY(dialog.OkButton()->IsDefaultButton());
}

void SchedulerDialogTest::WithoutSchedulesRemoveIsOffAndAddMakesAnEveryMinuteRow() {
    CSchedulerDialog dialog({}, 3);
    QCOMPARE(dialog.Grid()->GetRowCount(), 0);
    QVERIFY(!dialog.RemoveButton()->isEnabled());
    QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);
    QCOMPARE(dialog.Grid()->GetRowCount(), 1);
    QCOMPARE(RowTexts(*dialog.Grid(), 0), (QStringList{"0", "*", "*", "*", "*", "*"}));
    QVERIFY(dialog.RemoveButton()->isEnabled());
    QCOMPARE(dialog.GetScheduleList().size(), size_t{1});
    QCOMPARE(dialog.GetScheduleList()[0], ScheduleEntry{});
    QCOMPARE(dialog.Grid()->GetSelectedRow(), -1);  // Add leaves the selection alone
}

void SchedulerDialogTest::EditedTextsAreNormalised() {
    struct Case {
        int column;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {1, "75", "59"},         {2, "1-5", "1, 5"}, {3, "every", "*"},   {3, "0", "1"},
        {4, "99, 08", "8, 31"},  {5, "5,1,5,3", "1, 3, 5"}, {0, "7", "2"}, {1, "-3", "3"},
    };
    for (const Case& c : cases) {
        CSchedulerDialog dialog({Entry(0), Entry(1)}, 3);
        dialog.show();
        EditCell(dialog, 1, c.column, QString::fromLatin1(c.typed));
        QCOMPARE(dialog.Grid()->GetItemText(1, c.column), QString::fromLatin1(c.shown));
        QCOMPARE(RowTexts(*dialog.Grid(), 0), (QStringList{"0", "*", "*", "*", "*", "*"}));
    }
    // A card with 3 tracks: "7" in the Track cell lands as the last track.
    CSchedulerDialog dialog({Entry(0)}, 3);
    dialog.show();
    EditCell(dialog, 0, 0, "7");
    QCOMPARE(dialog.GetScheduleList()[0].trackIndex, 2);
    QCOMPARE(dialog.Grid()->GetItemText(0, 0), QStringLiteral("2"));
    EditCell(dialog, 0, 2, "1-5");
    QCOMPARE(dialog.GetScheduleList()[0].hours, (ValueSet{1, 5}));
}

void SchedulerDialogTest::RemoveTakesTheSelectedRow() {
    CSchedulerDialog dialog({Entry(0, {1}), Entry(0, {2}), Entry(0, {3})}, 1);
    dialog.Grid()->SelectRow(1);
    QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
    QCOMPARE(dialog.GetScheduleList().size(), size_t{2});
    QCOMPARE(dialog.GetScheduleList()[1].minutes, (ValueSet{3}));
    QCOMPARE(dialog.Grid()->GetItemText(1, 1), QStringLiteral("3"));
    QCOMPARE(dialog.Grid()->GetSelectedRow(), 1);

    CSchedulerDialog single({Entry(0)}, 1);
    QTest::mouseClick(single.RemoveButton(), Qt::LeftButton);
    QCOMPARE(single.Grid()->GetRowCount(), 0);
    QVERIFY(single.GetScheduleList().empty());
    QVERIFY(single.RemoveButton()->isEnabled());
    QTest::mouseClick(single.RemoveButton(), Qt::LeftButton);  // nothing left: nothing happens
    QCOMPARE(single.Grid()->GetRowCount(), 0);
}

void SchedulerDialogTest::OkKeepsTheEditsCancelEndsWithoutThem() {
    const std::vector<ScheduleEntry> card{Entry(0, {15})};
    for (const bool ok : {true, false}) {
        CSchedulerDialog dialog(card, 2);
        dialog.show();
        EditCell(dialog, 0, 1, "30");
        QTest::mouseClick(ok ? dialog.OkButton() : dialog.CancelButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dialog.GetScheduleList()[0].minutes, (ValueSet{30}));
        QCOMPARE(card[0].minutes, (ValueSet{15}));
    }
}

// Enter presses the focused button; with the focus elsewhere it presses OK, the default.
void SchedulerDialogTest::TabReachesEveryButtonWithAFocusFrameAndEnterPressesIt() {
    struct Case {
        CImageButton* (CSchedulerDialog::*button)() const;  // null: back to the grid, then Enter
        int rows;                                            // after Enter
        int result;
    };
    const Case cases[] = {{&CSchedulerDialog::AddButton, 3, -1},
                          {&CSchedulerDialog::RemoveButton, 1, -1},
                          {&CSchedulerDialog::OkButton, 2, QDialog::Accepted},
                          {&CSchedulerDialog::CancelButton, 2, QDialog::Rejected},
                          {nullptr, 2, QDialog::Accepted}};
    for (const Case& c : cases) {
        CSchedulerDialog dialog({Entry(0), Entry(1)}, 3);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        dialog.setResult(-1);
        QWidget* target = c.button ? (dialog.*c.button)() : static_cast<QWidget*>(dialog.CancelButton());
        const QImage unfocused = target->grab().toImage();
        QVERIFY(TabTo(dialog, target));
        QVERIFY(target->grab().toImage() != unfocused);
        if (!c.button) dialog.Grid()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.Grid()->GetRowCount(), c.rows);
        QCOMPARE(dialog.result(), c.result);
    }
}

QTEST_MAIN(SchedulerDialogTest)
#include "SchedulerDialogTest.moc"

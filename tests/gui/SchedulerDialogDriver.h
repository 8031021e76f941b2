#pragma once
// Drives the schedule dialog's grid as a user does, for the tests of the dialog.
#include <QStringList>
#include <QTest>

#include "controls/ControlList.h"
#include "gui/SchedulerDialog.h"

inline QStringList RowTexts(const CControlList& grid, int row) {
    QStringList texts;
    for (int column = 0; column < grid.GetColumnCount(); ++column) texts << grid.GetItemText(row, column);
    return texts;
}

// Double-clicks the cell, types over its selected text and presses Enter, as a user would.
inline void EditCell(CSchedulerDialog& dialog, int row, int column, const QString& text) {
    CControlList* grid = dialog.Grid();
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QWidget* editor = grid->GetEditor();
    QVERIFY(editor);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid->IsEditing());
}

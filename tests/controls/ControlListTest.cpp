#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>

#include <cstring>

#include "controls/BitmapResource.h"
#include "controls/ControlList.h"
#include "controls/TimeEditCtrl.h"

namespace {

constexpr int kColumnWidth = 80;

std::unique_ptr<CControlListCell> Cell(CellType type, const QString& text = {}, int value = 0) {
    auto cell = std::make_unique<CControlListCell>();
    cell->type = type;
    cell->text = text;
    cell->value = value;
    return cell;
}

std::unique_ptr<CControlListCell> NumberCell(int minimum, int maximum, int value) {
    auto cell = Cell(CellType::Number, {}, value);
    cell->minimum = minimum;
    cell->maximum = maximum;
    return cell;
}

// A shown, active window with a three-column grid and a line edit that can take the focus.
struct GridWindow {
    QWidget window;
    CControlList* grid = new CControlList(bitmap_id::kCheckImages);
    QLineEdit* elsewhere = new QLineEdit;

    GridWindow() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(elsewhere);
        grid->SetColumns({"A", "B", "C"}, {kColumnWidth, kColumnWidth, kColumnWidth});
        window.resize(300, 240);
        window.show();
        QApplication::setActiveWindow(&window);
    }
    QPoint CellPoint(int row, int column, int x = -1) const {
        const QRect rect = grid->visualRect(grid->model()->index(row, column));
        return {x < 0 ? rect.center().x() : rect.left() + x, rect.center().y()};
    }
};

// A file dialog that answers at once, as a user would after picking a file or cancelling.
class AnsweringFileDialog : public QFileDialog {
public:
    explicit AnsweringFileDialog(const QString& path) : m_path(path) { setOption(QFileDialog::DontUseNativeDialog); }
    int exec() override {
        if (m_path.isEmpty()) return Rejected;
        selectFile(m_path);
        return Accepted;
    }

private:
    QString m_path;
};

// The text of the editor's own edit field, whatever kind the editor is.
QLineEdit* EditOf(QWidget* editor) {
    if (auto* spin = qobject_cast<QSpinBox*>(editor)) return spin->findChild<QLineEdit*>();
    return qobject_cast<QLineEdit*>(editor);
}

}  // namespace

class ControlListTest : public QObject {
    Q_OBJECT
private slots:
    void SetItemTextAppendsRowsUpToTheRow();
    void DeleteRowMovesLaterRecordsUpAndSelects();
    void SetRowsReplacesEverythingInOneChangeAndKeepsTheColumns();
    void NumberEditorCommitsTheClampedNumber();
    void EnterAndFocusOutCommitEscapeCancels();
    void UnchangedCommitStillReportsTheEdit();
    void CheckClickZone();
    void DoubleClickOpensEditorsOnlyWhereThereAreSome();
    void BrowseEditKeepsOpenWhileFocusMovesToItsButton();
    void BrowseButtonPutsTheChosenPathOrDropsTheEdit();
    void ChoiceCellCommitsTheChosenEntry();
    void ColourCellIsFilledInsideItsInsets();
    void TimeCellEditsThroughTheTimeEditor();
    void F2EditsTheCurrentCell();
    void NotificationsButTheEditAreQueued();
    void CellsAreExposedWithTheirText();
};

void ControlListTest::SetItemTextAppendsRowsUpToTheRow() {
    CControlList grid(bitmap_id::kCheckImages);
    grid.SetColumns({"A", "B"}, {kColumnWidth, kColumnWidth});
    grid.SetItemText(3, 1, QStringLiteral("x"));
    QCOMPARE(grid.GetRowCount(), 4);
    for (int row = 0; row < 3; ++row) QCOMPARE(grid.GetItemText(row, 1), QString());
    QCOMPARE(grid.GetItemText(3, 1), QStringLiteral("x"));
    QCOMPARE(grid.GetCell(3, 1).type, CellType::None);
    QCOMPARE(grid.GetCell(3, 1).text, QString());
    grid.DeleteAllRows();
    QCOMPARE(grid.GetRowCount(), 0);
}

void ControlListTest::DeleteRowMovesLaterRecordsUpAndSelects() {
    GridWindow w;
    for (int row = 0; row < 5; ++row) w.grid->SetCell(row, 0, Cell(CellType::Text, QString::number(row)));
    QSignalSpy edited(w.grid, &CControlList::cellEdited);
    w.grid->StartEdit(4, 0);
    w.grid->DeleteRow(2);
    QVERIFY(!w.grid->IsEditing());  // the edit of the row that moved is dropped
    QCOMPARE(w.grid->GetRowCount(), 4);
    const QString want[] = {"0", "1", "3", "4"};
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(w.grid->GetCell(row, 0).text, want[row]);
        QCOMPARE(w.grid->GetItemText(row, 0), want[row]);
    }
    QCOMPARE(w.grid->GetCell(4, 0).type, CellType::None);
    QCOMPARE(w.grid->GetSelectedRow(), 2);
    QTest::qWait(0);
    QCOMPARE(edited.count(), 0);
    w.grid->DeleteRow(3);
    QCOMPARE(w.grid->GetSelectedRow(), 2);  // the new last row
    w.grid->DeleteRow(7);
    QCOMPARE(w.grid->GetRowCount(), 3);

    CControlList single(bitmap_id::kCheckImages);
    single.SetColumns({"A"}, {kColumnWidth});
    single.SetCell(0, 0, Cell(CellType::Text, "only"));
    single.SelectRow(0);
    single.DeleteRow(0);
    QCOMPARE(single.GetRowCount(), 0);
    QCOMPARE(single.GetSelectedRow(), -1);
}

void ControlListTest::SetRowsReplacesEverythingInOneChangeAndKeepsTheColumns() {
    GridWindow w;
    w.grid->setColumnWidth(1, 123);
    for (int row = 0; row < 4; ++row) w.grid->SetCell(row, 0, Cell(CellType::Check, "old", 1));
    w.grid->StartEdit(0, 0);
    QSignalSpy inserted(w.grid->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(w.grid->model(), &QAbstractItemModel::rowsRemoved);
    std::vector<QStringList> rows;
    for (int row = 0; row < 1000; ++row) rows.push_back({QString::number(row), "x"});  // short rows are padded
    w.grid->SetRows(rows);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(w.grid->GetRowCount(), 1000);
    QCOMPARE(w.grid->GetItemText(999, 0), QStringLiteral("999"));
    QCOMPARE(w.grid->GetItemText(999, 2), QString());
    QCOMPARE(w.grid->GetCell(0, 0).type, CellType::None);  // the old records went with their rows
    QVERIFY(!w.grid->IsEditing());
    QCOMPARE(w.grid->columnWidth(1), 123);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(w.grid);
    QCOMPARE(table->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), QStringLiteral("0"));

    w.grid->DeleteAllRows();
    QCOMPARE(removed.count(), 2);
    QCOMPARE(w.grid->GetRowCount(), 0);
    QCOMPARE(w.grid->columnWidth(1), 123);
}

// Typed as a person types: the editor takes every key and only the commit pulls the number in.
void ControlListTest::NumberEditorCommitsTheClampedNumber() {
    struct Case {
        const char* typed;  // replaces the selected text; empty: Backspace
        int minimum, maximum;
        const char* want;
    };
    const Case cases[] = {{"25", 0, 10, "10"}, {"7", 0, 2, "2"},   {"abc", 0, 10, "0"},
                          {"", 5, 10, "5"},    {"-4", -9, 9, "-4"}, {"3", 0, 10, "3"}};
    for (const Case& c : cases) {
        GridWindow w;
        w.grid->SetCell(0, 1, NumberCell(c.minimum, c.maximum, c.minimum));
        QSignalSpy edited(w.grid, &CControlList::cellEdited);
        w.grid->StartEdit(0, 1);
        QWidget* editor = w.grid->GetEditor();
        QVERIFY(editor);
        if (*c.typed) {
            QTest::keyClicks(editor, c.typed);
            QCOMPARE(EditOf(editor)->text(), QString::fromLatin1(c.typed));  // nothing refused while typing
        } else {
            QTest::keyClick(editor, Qt::Key_Backspace);
        }
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(edited[0][3].toString(), QString::fromLatin1(c.want));
        QCOMPARE(w.grid->GetItemText(0, 1), QString::fromLatin1(c.want));
        QVERIFY(!w.grid->IsEditing());
    }
}

void ControlListTest::EnterAndFocusOutCommitEscapeCancels() {
    enum class End { Enter, Escape, FocusOut };
    struct Case {
        End end;
        bool commits;
    };
    const Case cases[] = {{End::Enter, true}, {End::Escape, false}, {End::FocusOut, true}};
    for (const Case& c : cases) {
        GridWindow w;
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.grid->SetCell(1, 2, Cell(CellType::Text, "old"));
        QSignalSpy edited(w.grid, &CControlList::cellEdited);
        w.grid->StartEdit(1, 2);
        QLineEdit* edit = EditOf(w.grid->GetEditor());
        QVERIFY(edit);
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), QStringLiteral("old"));
        QTest::keyClicks(edit, "new");
        if (c.end == End::Enter) QTest::keyClick(edit, Qt::Key_Enter);
        if (c.end == End::Escape) QTest::keyClick(edit, Qt::Key_Escape);
        if (c.end == End::FocusOut) w.elsewhere->setFocus();
        QTRY_VERIFY(!w.grid->IsEditing());
        QCOMPARE(edited.count(), c.commits ? 1 : 0);
        QCOMPARE(w.grid->GetItemText(1, 2), c.commits ? QStringLiteral("new") : QStringLiteral("old"));
        QCOMPARE(w.grid->GetCell(1, 2).text, w.grid->GetItemText(1, 2));
        if (c.commits) {
            QCOMPARE(edited[0][0].toInt(), 1);
            QCOMPARE(edited[0][1].toInt(), 2);
            QCOMPARE(edited[0][2].toString(), QStringLiteral("old"));
        }
    }
}

void ControlListTest::UnchangedCommitStillReportsTheEdit() {
    GridWindow w;
    w.grid->SetCell(0, 0, Cell(CellType::Text, "same"));
    QSignalSpy edited(w.grid, &CControlList::cellEdited);
    w.grid->StartEdit(0, 0);
    QTest::keyClick(w.grid->GetEditor(), Qt::Key_Return);
    QTRY_COMPARE(edited.count(), 1);
    QCOMPARE(edited[0][2].toString(), QStringLiteral("same"));
    QCOMPARE(edited[0][3].toString(), QStringLiteral("same"));
}

void ControlListTest::CheckClickZone() {
    struct Case {
        int column;
        int x;
        bool toggles;
    };
    const Case cases[] = {{1, 10, true}, {1, 31, false}, {1, 0, false}, {0, 35, true}, {0, 36, false}};
    for (const Case& c : cases) {
        GridWindow w;
        w.grid->SetCell(0, c.column, Cell(CellType::Check, "Loop", 0));
        QSignalSpy changed(w.grid, &CControlList::cellChanged);
        QTest::mouseClick(w.grid->viewport(), Qt::LeftButton, {}, w.CellPoint(0, c.column, c.x));
        QCOMPARE(w.grid->GetCell(0, c.column).value, c.toggles ? 1 : 0);
        QTRY_COMPARE(changed.count(), c.toggles ? 1 : 0);
    }
}

void ControlListTest::DoubleClickOpensEditorsOnlyWhereThereAreSome() {
    struct Case {
        CellType type;
        bool opens;
    };
    const Case cases[] = {
        {CellType::Check, false}, {CellType::Fixed, false}, {CellType::None, false}, {CellType::Text, true}};
    for (const Case& c : cases) {
        GridWindow w;
        w.grid->SetCell(0, 1, Cell(c.type, "t"));
        QSignalSpy clicked(w.grid, &CControlList::cellDoubleClicked);
        QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.CellPoint(0, 1));
        QCOMPARE(w.grid->IsEditing(), c.opens);
        QTRY_COMPARE(clicked.count(), 1);
        QCOMPARE(clicked[0][0].toInt(), 0);
        QCOMPARE(clicked[0][1].toInt(), 1);
    }
    GridWindow w;
    w.grid->SetCell(0, 0, Cell(CellType::Text, "t"));
    QSignalSpy clicked(w.grid, &CControlList::cellDoubleClicked);
    const QPoint below(w.CellPoint(0, 0).x(), w.grid->viewport()->height() - 2);
    QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, below);
    QTest::qWait(0);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(!w.grid->IsEditing());
}

void ControlListTest::BrowseEditKeepsOpenWhileFocusMovesToItsButton() {
    GridWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.grid->SetCell(0, 1, Cell(CellType::Browse, "a.velk"));
    QSignalSpy edited(w.grid, &CControlList::cellEdited);
    w.grid->StartEdit(0, 1);
    QWidget* edit = w.grid->GetEditor();
    auto* button = edit->parentWidget()->findChild<QPushButton*>();
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("..."));
    button->setFocus();
    QTest::qWait(0);
    QVERIFY(w.grid->IsEditing());
    edit->setFocus();
    QTest::qWait(0);
    QVERIFY(w.grid->IsEditing());
    w.elsewhere->setFocus();
    QTRY_VERIFY(!w.grid->IsEditing());
    QCOMPARE(edited.count(), 1);
}

void ControlListTest::BrowseButtonPutsTheChosenPathOrDropsTheEdit() {
    const QString chosen = QDir::temp().filePath(QStringLiteral("chosen.velk"));
    for (const QString& answer : {chosen, QString()}) {
        GridWindow w;
        AnsweringFileDialog dialog(answer);
        auto cell = Cell(CellType::Browse, "a.velk");
        cell->browseDialog = &dialog;
        w.grid->SetCell(0, 0, std::move(cell));
        QSignalSpy edited(w.grid, &CControlList::cellEdited);
        w.grid->StartEdit(0, 0);
        auto* button = w.grid->GetEditor()->parentWidget()->findChild<QPushButton*>();
        QVERIFY(button);
        button->click();
        QTRY_VERIFY(!w.grid->IsEditing());
        QCOMPARE(edited.count(), answer.isEmpty() ? 0 : 1);
        QCOMPARE(w.grid->GetItemText(0, 0), answer.isEmpty() ? QStringLiteral("a.velk") : chosen);
    }
}

// A key that chooses an entry (an arrow, or the entry's first letter) confirms it at once.
void ControlListTest::ChoiceCellCommitsTheChosenEntry() {
    struct Case {
        Qt::Key key;
        const char* want;
    };
    const Case cases[] = {{Qt::Key_Down, "DMX"}, {Qt::Key_Up, "MiniSSC"}, {Qt::Key_M, "MiniSSC"}, {Qt::Key_D, "DMX"}};
    for (const Case& c : cases) {
        GridWindow w;
        auto cell = Cell(CellType::Choice, {}, 2);
        cell->choices = QStringList{"MiniSSC", "SV203", "DMX"};
        w.grid->SetCell(0, 1, std::move(cell));
        QCOMPARE(w.grid->GetItemText(0, 1), QStringLiteral("SV203"));
        QSignalSpy edited(w.grid, &CControlList::cellEdited);
        QSignalSpy changed(w.grid, &CControlList::cellChanged);
        w.grid->StartEdit(0, 1);
        auto* choice = qobject_cast<QComboBox*>(w.grid->GetEditor());
        QVERIFY(choice);
        QCOMPARE(choice->currentText(), QStringLiteral("SV203"));
        QTest::keyClick(choice, c.key);
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(edited[0][3].toString(), QString::fromLatin1(c.want));
        QTRY_COMPARE(changed.count(), 1);  // a live change of the open editor
        QVERIFY(!w.grid->IsEditing());
        // The commit changes the text; the owner reads the new choice from the notification.
        QCOMPARE(w.grid->GetCell(0, 1).value, 2);
    }
}

void ControlListTest::ColourCellIsFilledInsideItsInsets() {
    GridWindow w;
    auto cell = Cell(CellType::Colour);
    cell->colour = QColor(10, 120, 200);
    w.grid->SetCell(0, 1, std::move(cell));
    w.grid->SetItemText(1, 0, "next row");
    QTest::qWait(0);
    const QRect rect = w.grid->visualRect(w.grid->model()->index(0, 1));
    const QImage shot = w.grid->viewport()->grab().toImage();
    QCOMPARE(shot.pixelColor(rect.left() + 3, rect.top() + 2), QColor(10, 120, 200));
    QCOMPARE(shot.pixelColor(rect.right() - 2, rect.bottom() - 3), QColor(10, 120, 200));
    QVERIFY(shot.pixelColor(rect.left() + 2, rect.center().y()) != QColor(10, 120, 200));
    QVERIFY(shot.pixelColor(rect.center().x(), rect.bottom() - 2) != QColor(10, 120, 200));

    // A double-click asks for a colour; the answer fills the cell and is reported.
    w.grid->SetColourChooser([](const QColor&, QWidget*) { return std::optional<QColor>(Qt::red); });
    QSignalSpy changed(w.grid, &CControlList::cellChanged);
    QTest::mouseDClick(w.grid->viewport(), Qt::LeftButton, {}, w.CellPoint(0, 1));
    QCOMPARE(w.grid->GetCell(0, 1).colour, QColor(Qt::red));
    QTRY_COMPARE(changed.count(), 1);
    QVERIFY(!w.grid->IsEditing());
}

void ControlListTest::TimeCellEditsThroughTheTimeEditor() {
    GridWindow w;
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    auto cell = Cell(CellType::Time);
    cell->hours = 1;
    cell->minutes = 75;
    cell->hundredths = 3;
    w.grid->SetCell(0, 0, std::move(cell));
    QCOMPARE(w.grid->GetItemText(0, 0), QStringLiteral("01:59:03"));
    QSignalSpy edited(w.grid, &CControlList::cellEdited);
    w.grid->SelectRow(0);
    QTest::keyClick(w.grid, Qt::Key_F2);
    auto* time = qobject_cast<CTimeEditCtrl*>(w.grid->GetEditor());
    QVERIFY(time);
    QCOMPARE(time->Field(1)->text(), QStringLiteral("59"));
    QTRY_VERIFY(time->Field(0)->hasFocus());
    // Each field is selected as the focus enters it, so what is typed replaces it.
    for (const char* typed : {"2", "75", "150"}) {
        QTest::keyClicks(QApplication::focusWidget(), typed);
        if (std::strcmp(typed, "150") != 0) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(time->Field(2)->text(), QStringLiteral("150"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(edited.count(), 1);
    QCOMPARE(edited[0][3].toString(), QStringLiteral("02:59:99"));
}

void ControlListTest::F2EditsTheCurrentCell() {
    GridWindow w;
    w.grid->SetCell(0, 0, Cell(CellType::Fixed, "fixed"));
    w.grid->SetCell(1, 0, Cell(CellType::Text, "text"));
    w.grid->SelectRow(1);
    QTest::keyClick(w.grid, Qt::Key_F2);
    QVERIFY(w.grid->IsEditing());
    QCOMPARE(EditOf(w.grid->GetEditor())->text(), QStringLiteral("text"));
    w.grid->StartEdit(0, 0);  // a second edit never opens while one is open
    QCOMPARE(EditOf(w.grid->GetEditor())->text(), QStringLiteral("text"));
    QTest::keyClick(w.grid->GetEditor(), Qt::Key_Escape);
    QTRY_VERIFY(!w.grid->IsEditing());

    // The arrow keys choose the cell F2 edits.
    w.grid->SetCell(1, 2, Cell(CellType::Text, "third"));
    w.grid->setFocus();
    QTest::keyClick(w.grid, Qt::Key_Right);
    QTest::keyClick(w.grid, Qt::Key_Right);
    QTest::keyClick(w.grid, Qt::Key_F2);
    QVERIFY(w.grid->IsEditing());
    QCOMPARE(EditOf(w.grid->GetEditor())->text(), QStringLiteral("third"));
}

void ControlListTest::NotificationsButTheEditAreQueued() {
    GridWindow w;
    w.grid->SetCell(0, 0, Cell(CellType::Text, "a"));
    w.grid->SetCell(1, 0, Cell(CellType::Text, "b"));
    QSignalSpy selected(w.grid, &CControlList::rowSelected);
    w.grid->SelectRow(1);
    QCOMPARE(selected.count(), 0);
    QTRY_COMPARE(selected.count(), 1);
    QCOMPARE(selected[0][0].toInt(), 1);
    QCOMPARE(selected[0][1].toBool(), true);
    w.grid->SelectRow(0);
    QTRY_COMPARE(selected.count(), 3);
    QCOMPARE(selected[1][0].toInt(), 1);
    QCOMPARE(selected[1][1].toBool(), false);

    // The edit's texts are handed over while the grid still holds its editor.
    bool editorOpenDuringEdit = false;
    connect(w.grid, &CControlList::cellEdited, this, [&] { editorOpenDuringEdit = w.grid->IsEditing(); });
    w.grid->StartEdit(0, 0);
    QTest::keyClick(w.grid->GetEditor(), Qt::Key_Return);
    QTRY_VERIFY(!w.grid->IsEditing());
    QVERIFY(editorOpenDuringEdit);
}

void ControlListTest::CellsAreExposedWithTheirText() {
    GridWindow w;
    w.grid->SetItemText(0, 0, "Intro");
    w.grid->SetCell(0, 1, Cell(CellType::Check, "Loop", 1));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w.grid);
    QVERIFY(accessible && accessible->tableInterface());
    QAccessibleInterface* text = accessible->tableInterface()->cellAt(0, 0);
    QVERIFY(text);
    QCOMPARE(text->text(QAccessible::Name), QStringLiteral("Intro"));
    QAccessibleInterface* check = accessible->tableInterface()->cellAt(0, 1);
    QVERIFY(check);
    QVERIFY(check->text(QAccessible::Name).startsWith(QStringLiteral("Loop")));
    QVERIFY(check->text(QAccessible::Name).contains(QStringLiteral("checked")));
}

QTEST_MAIN(ControlListTest)
#include "ControlListTest.moc"

// The routine list's edits in the window: the menu on a row and its enabled states, the keys, a
// row dropped at another place, the rename dialog's byte limit, and the card and the selection
// after each edit.
#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "controls/ControlList.h"
#include "gui/ManagerWindowFixture.h"
#include "gui/QtTestMain.h"
#include "gui/RenameRoutineDialog.h"

class RoutineEditingTest : public QObject {
    Q_OBJECT
private slots:
    void TheMenuOnARowOffersWhatThatRowAllows();
    void KeysEditTheCardAndTheSelectionStaysOnTheRoutine();
    void ADroppedRowMovesToWhereItWasDropped();
    void ReplaceAndSaveAsRoutineFileGoThroughTheirFileDialogs();
    void TheRenameDialogTakesNoMoreThanFifteenBytes();
};

namespace {

const QStringList kMenuTexts = {"Remove Routine", "Move Up", "Move Down", "Rename...", "Replace...", "Save as Routine File..."};

std::vector<std::string> Titles(const CManagerDialog& window) {
    std::vector<std::string> titles;
    for (const auto& row : CWindowWorld::Rows(window)) titles.push_back(row[1]);
    return titles;
}

std::vector<std::string> CardTitles(const std::string& card) {
    const std::optional<std::vector<TrackEntry>> tracks = CWindowWorld::ReadCard(card);
    std::vector<std::string> titles;
    for (const TrackEntry& track : tracks.value()) titles.push_back(track.Title());
    return titles;
}

// The window on a card of routines A, B and C, shown and active so its keys reach it.
std::unique_ptr<CManagerDialog> ShownWindow(CWindowWorld& world, std::string& card) {
    card = world.MakeCard("card.img", {Track("A", 8, 0, 0), Track("B", 8, 0, 0), Track("C", 8, 0, 0)});
    auto window = world.Window({card});
    window->show();
    if (!QTest::qWaitForWindowActive(window.get())) qFatal("the window never became active");
    return window;
}

// Opens the menu with a right click on row's title.
QMenu* OpenMenu(CManagerDialog& window, int row) {
    CControlList& list = *window.RoutineList();
    const QPoint at = list.visualRect(list.model()->index(row, 1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list.viewport(), &event);
    return window.RoutineEditing()->Menu();
}

void ChooseFromMenu(CManagerDialog& window, int row, const QString& text) {
    QMenu* menu = OpenMenu(window, row);
    for (QAction* action : menu->actions())
        if (action->text() == text) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// Drags data over the list and drops it at row 2; false when the drag was refused.
bool DropOnThirdRow(CControlList& list, const QMimeData& data) {
    const QPoint at = list.visualRect(list.model()->index(2, 1)).center();
    QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, enter.dropAction(), &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);
    return true;
}

}  // namespace

void RoutineEditingTest::TheMenuOnARowOffersWhatThatRowAllows() {
    CWindowWorld world;
    std::string card;
    const auto window = ShownWindow(world, card);
    struct Case {
        int row;
        std::vector<bool> enabled;  // in the order of kMenuTexts
    };
    const Case cases[] = {
        {0, {true, false, true, true, true, true}},
        {1, {true, true, true, true, true, true}},
        {2, {true, true, false, true, true, true}},
    };
    for (const Case& c : cases) {
        QMenu* menu = OpenMenu(*window, c.row);
        QVERIFY(menu->isVisible());
        QCOMPARE(window->RoutineList()->GetSelectedRow(), c.row);
        QStringList names;  // what a screen reader reads out
        std::vector<bool> enabled;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
        for (int i = 0; i < accessible->childCount(); ++i)
            if (!accessible->child(i)->text(QAccessible::Name).isEmpty()) names << accessible->child(i)->text(QAccessible::Name);
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) enabled.push_back(action->isEnabled());
        menu->close();
        QCOMPARE(names, kMenuTexts);
        QCOMPARE(enabled, c.enabled);
    }
    // The menu key (or Shift+F10) opens it on the selected row.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, {}, {});
    QCoreApplication::sendEvent(window->RoutineList(), &menuKey);
    QVERIFY(window->RoutineEditing()->Menu()->isVisible());
    window->RoutineEditing()->Menu()->close();

    // A card that is no VELK disk lists no row to act on: its keys ask nothing.
    const auto foreign = world.Window({world.MakeCard("foreign.img", {}, false)});
    foreign->show();
    QVERIFY(QTest::qWaitForWindowActive(foreign.get()));
    foreign->RoutineList()->setFocus();
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Delete), Qt::CTRL | Qt::Key_Down, QKeyCombination(Qt::Key_F2)})
        QTest::keyClick(foreign->RoutineList(), key.key(), key.keyboardModifiers());
    world.Settle(*foreign);
    QVERIFY(world.boxes.seen.empty());
}

void RoutineEditingTest::KeysEditTheCardAndTheSelectionStaysOnTheRoutine() {
    struct Case {
        int row;
        QKeyCombination key;
        const char* typed;  // into the rename dialog
        QMessageBox::StandardButton answer;
        std::string question;
        std::vector<std::string> titles;
        int selectedAfter;
    };
    const Case cases[] = {
        {0, Qt::CTRL | Qt::Key_Down, "", QMessageBox::Yes, "Move routine 0 \"A\" to place 1?", {"B", "A", "C"}, 1},
        {2, Qt::CTRL | Qt::Key_Up, "", QMessageBox::Yes, "Move routine 2 \"C\" to place 1?", {"A", "C", "B"}, 1},
        {1, QKeyCombination(Qt::Key_Delete), "", QMessageBox::No, "Remove routine 1 \"B\"?", {"A", "B", "C"}, 1},
        {1, QKeyCombination(Qt::Key_Delete), "", QMessageBox::Yes, "Remove routine 1 \"B\"?", {"A", "C"}, 1},
        {2, QKeyCombination(Qt::Key_Delete), "", QMessageBox::Yes, "Remove routine 2 \"C\"?", {"A", "B"}, 1},
        {1, QKeyCombination(Qt::Key_F2), "Neu", QMessageBox::Yes, "Rename routine 1 \"B\" to \"Neu\"?", {"A", "Neu", "C"}, 1},
    };
    for (const Case& c : cases) {
        CWindowWorld world;
        std::string card;
        const auto window = ShownWindow(world, card);
        world.boxes.onDialog = [&](QWidget* dialog) {
            auto* rename = qobject_cast<CRenameRoutineDialog*>(dialog);
            if (!rename) return;
            QTest::keyClick(rename->TitleEdit(), Qt::Key_Backspace);  // the old title comes selected
            QTest::keyClicks(rename->TitleEdit(), c.typed);
            QTest::mouseClick(rename->OkButton(), Qt::LeftButton);
        };
        std::optional<bool> offeredWhileBusy;  // while the job asks
        world.boxes.whileOpen = [&] {
            offeredWhileBusy = false;
            for (QAction* action : window->RoutineEditing()->Menu()->actions())
                if (!action->isSeparator() && action->isEnabled()) offeredWhileBusy = true;
        };
        world.boxes.answers = {c.answer};
        window->RoutineList()->SelectRow(c.row);
        QTest::keyClick(window->RoutineList(), c.key.key(), c.key.keyboardModifiers());
        world.Settle(*window);
        QCOMPARE(world.boxes.Texts(), std::vector<std::string>{c.question});
        QCOMPARE(offeredWhileBusy, std::optional(false));
        QCOMPARE(Titles(*window), c.titles);
        QCOMPARE(CardTitles(card), c.titles);
        QCOMPARE(window->RoutineList()->GetSelectedRow(), c.selectedAfter);
        // The list had to give the focus away while the job ran; it has it back for the next key.
        QCOMPARE(window->focusWidget(), window->RoutineList());
    }
}

void RoutineEditingTest::ADroppedRowMovesToWhereItWasDropped() {
    CWindowWorld world;
    std::string card;
    const auto window = ShownWindow(world, card);
    QMimeData row;
    row.setData(CRoutineListEditing::kRowMimeType, "0");
    world.boxes.answers = {QMessageBox::Yes};
    QVERIFY(DropOnThirdRow(*window->RoutineList(), row));
    world.Settle(*window);
    QCOMPARE(world.boxes.Texts(), std::vector<std::string>{"Move routine 0 \"A\" to place 2?"});
    QCOMPARE(CardTitles(card), (std::vector<std::string>{"B", "C", "A"}));
    QCOMPARE(window->RoutineList()->GetSelectedRow(), 2);

    // A file dropped onto the list is the window's, as anywhere else on it.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(world.MakeCard("other.img", {Track("D", 8, 0, 0)})))});
    QVERIFY(DropOnThirdRow(*window->RoutineList(), files));
    world.Settle(*window);
    QCOMPARE(Titles(*window), std::vector<std::string>{"D"});
}

void RoutineEditingTest::ReplaceAndSaveAsRoutineFileGoThroughTheirFileDialogs() {
    CWindowWorld world;
    std::string card;
    const auto window = ShownWindow(world, card);
    const std::string routine = world.MakeRoutine("new.velk", 12);
    const std::string saved = world.File("saved");
    window->SetFileChooser([&](const QString&, const QString& filter) {
        return filter.startsWith("VELK v3.0 (*.velk)") ? QString::fromStdString(routine) : QString();
    });
    window->SetSaveFileChooser([&](const QString&, const QString& filter) {
        return filter.startsWith("VELK v3.0 (*.velk)") ? QString::fromStdString(saved) : QString();
    });
    world.boxes.answers = {QMessageBox::Yes};
    ChooseFromMenu(*window, 1, "Replace...");
    world.Settle(*window);
    QCOMPARE(world.boxes.Texts(), std::vector<std::string>{"Replace routine 1 \"B\" with the routine of " + routine + "?"});
    QCOMPARE(CardTitles(card), (std::vector<std::string>{"A", "Added", "C"}));
    QCOMPARE(window->RoutineList()->GetSelectedRow(), 1);

    // The name is given the extension the filter names; nothing is asked of a new file.
    world.boxes.seen.clear();
    ChooseFromMenu(*window, 1, "Save as Routine File...");
    world.Settle(*window);
    QCOMPARE(world.boxes.Texts(), std::vector<std::string>{"Routine 1 \"Added\" was saved as " + saved + ".velk."});
    QVERIFY(std::filesystem::exists(saved + ".velk"));
}

void RoutineEditingTest::TheRenameDialogTakesNoMoreThanFifteenBytes() {
    struct Case {
        QString start;
        QString typed;
        QString kept;
        bool ok;
    };
    const Case cases[] = {
        {"", "Fifteen bytes!!X", "Fifteen bytes!!", true},
        // Two bytes each: the eighth would make 16, a one-byte character still fits.
        {"", QString::fromUtf8("ääääääääx"), QString::fromUtf8("äääääääx"), true},
        // A title of the card that does not fit (three bytes a replacement character) is not
        // cut: OK waits until it has been shortened.
        {QString(6, QChar::ReplacementCharacter), "", QString(6, QChar::ReplacementCharacter), false},
    };
    for (const Case& c : cases) {
        CRenameRoutineDialog dialog(0, c.start);
        dialog.show();
        QLineEdit* edit = dialog.TitleEdit();
        edit->end(false);
        // As a keyboard types them: keyClicks knows no letter outside ASCII.
        for (const QChar character : c.typed)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(character), Qt::NoModifier);
        QCOMPARE(edit->text(), c.kept);
        QCOMPARE(dialog.OkButton()->isEnabled(), c.ok);
        QVERIFY(!edit->accessibleName().isEmpty());
    }
}

VELK3_QT_TEST(RoutineEditingTest)
#include "RoutineEditingTest.moc"

// The main window on card images, simulated units and a fake drive tree: what the device box lists
// and selects, what the routine list shows, and which controls may be used when.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "fakes/FakeUsb.h"
#include "gui/AboutDialog.h"
#include "gui/ManagerWindowFixture.h"
#include "gui/QtTestMain.h"

class ManagerDialogTest : public QObject {
    Q_OBJECT
private slots:
    void AnEmptyBoxDisablesTheCommands();
    void TheFirstUnitIsChosenAndTheChosenOneKeptWhereverItMoves();
    void TheRoutineListShowsTracksSizesRatesAndFamilies();
    void CardImagesComeAfterTheUnitsAndStayAcrossRefreshes();
    void EnterMeansExitEscapeClosesAndF1ShowsTheAboutBox();
    void TabReachesEveryButtonWithAFocusFrameAndEnterPressesIt();
};

namespace {

std::vector<bool> Enabled(const CManagerDialog& w) {
    return {w.RoutineList()->isEnabled(), w.AddButton()->isEnabled(),      w.RemoveButton()->isEnabled(),
            w.FormatButton()->isEnabled(), w.SchedulesButton()->isEnabled(), w.FirmwareButton()->isEnabled(),
            w.RefreshButton()->isEnabled(), w.ExitButton()->isEnabled()};
}

// Tabs from the device box until target has the focus; false when it is never reached.
bool TabTo(CManagerDialog& window, QWidget* target) {
    constexpr int kMostTabs = 16;
    window.DeviceBox()->setFocus(Qt::TabFocusReason);
    for (int tab = 0; tab < kMostTabs && QApplication::focusWidget() && QApplication::focusWidget() != target; ++tab)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget() == target;
}

}  // namespace

void ManagerDialogTest::AnEmptyBoxDisablesTheCommands() {
    CWindowWorld world;
    const auto window = world.Window();
    QComboBox& box = *window->DeviceBox();
    QCOMPARE(window->DeviceCount(), 0);
    QCOMPARE(box.currentIndex(), -1);  // the placeholder shows only without a current entry
    QCOMPARE(box.placeholderText(), QString("No card reader with a card and no VELK found"));
    QCOMPARE(window->RoutineList()->GetRowCount(), 0);
    QCOMPARE(Enabled(*window), (std::vector<bool>{false, false, false, false, false, true, true, true}));
    QCOMPARE(window->windowTitle(), QString("Varnholt Software - VELK3 Manager"));
    QVERIFY(window->SchedulesButton()->isHidden());
    QVERIFY(window->ExitButton()->isDefault());
    QVERIFY(world.boxes.seen.empty());

    // Its one entry, "Open card image...", still opens the dialog; cancelled, the placeholder stays.
    QCOMPARE(box.count(), 1);
    QCOMPARE(box.itemText(0), QString("Open card image..."));
    QVERIFY(box.isEnabled());
    int asked = 0;
    window->SetFileChooser([&](const QString& caption, const QString&) {
        asked += caption == "Open card image";
        return QString();
    });
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
    QTRY_COMPARE(asked, 1);
    QCOMPARE(box.currentIndex(), -1);
    QCOMPARE(Enabled(*window), (std::vector<bool>{false, false, false, false, false, true, true, true}));
}

void ManagerDialogTest::TheFirstUnitIsChosenAndTheChosenOneKeptWhereverItMoves() {
    CWindowWorld world;
    world.system.AddDisk("sdb", "8:16", 8192, true, "pci0000:00/usb1/1-1");
    world.system.AddDeviceNode("sdb", 8192 * 512);
    const std::string card = world.MakeCard("unit.img", {});
    world.PlugUnit(3, card);
    world.PlugUnit(5, card);
    const auto window = world.Window();
    QCOMPARE(world.BoxTexts(*window), (std::vector<std::string>{"sdb (4.00MB) ()", "Varnholt Software - VELK v1.20 (3)",
                                                                "Varnholt Software - VELK v1.20 (5)"}));
    QCOMPARE(window->DeviceBox()->currentIndex(), 1);
    QCOMPARE(Enabled(*window), (std::vector<bool>{true, true, true, true, false, true, true, true}));

    // A reader that arrives moves the chosen unit down; it stays chosen.
    window->DeviceBox()->setCurrentIndex(2);
    world.Settle(*window);
    world.system.AddDisk("sdc", "8:32", 8192, true, "pci0000:00/usb1/1-2");
    window->RefreshButton()->click();
    world.Settle(*window);
    QCOMPARE(window->DeviceCount(), 4);
    QCOMPARE(window->DeviceBox()->currentText(), QString("Varnholt Software - VELK v1.20 (5)"));
    QCOMPARE(window->DeviceBox()->currentIndex(), 3);

    // Gone: the first unit again.
    fakeusb::Unplug(5);
    window->RefreshButton()->click();
    world.Settle(*window);
    QCOMPARE(window->DeviceBox()->currentIndex(), 2);
    QCOMPARE(fakeusb::OpenHandles(), 0);
}

void ManagerDialogTest::TheRoutineListShowsTracksSizesRatesAndFamilies() {
    CWindowWorld world;
    const std::string card = world.MakeCard(
        "card.img", {Track("One", 2048, 5, 8, 20), Track("Two", 3000, 9, 200, 25), Track("Three", 10, 7, 0, 100)});
    const auto window = world.Window({card});
    using Row = std::vector<std::string>;
    QCOMPARE(world.Rows(*window), (std::vector<Row>{{"0", "One", "1.00", "DMX", "20", "Unknown"},
                                                   {"1", "Two", "1.46", "", "25", "MiniSSC Compatible"},
                                                   {"2", "Three", "0.00", "115200", "100", "MiniSSC Compatible"}}));
    QVERIFY(window->SchedulesButton()->isEnabled());
    QCOMPARE(window->StatusBox()->text(), QString("Ready"));
    QCOMPARE(window->RoutineList()->model()->headerData(3, Qt::Horizontal).toString(), QString("Baud Rate (bps)"));
}

void ManagerDialogTest::CardImagesComeAfterTheUnitsAndStayAcrossRefreshes() {
    CWindowWorld world;
    const std::string first = world.MakeCard("first.img", {Track("A", 8, 0, 0)});
    const std::string second = world.MakeCard("second.img", {}, false, 2048);
    world.PlugUnit(3, world.MakeCard("unit.img", {}));
    const auto window = world.Window({first});
    QCOMPARE(world.BoxTexts(*window),
             (std::vector<std::string>{"Varnholt Software - VELK v1.20 (3)", first + " (4.00MB)"}));
    QCOMPARE(window->DeviceBox()->currentIndex(), 1);  // named on the command line: current
    QCOMPARE(window->RoutineList()->GetRowCount(), 1);

    window->OpenCardImages({QString::fromStdString(second)}, CManagerDialog::ImageOrigin::Chosen);
    world.Settle(*window);
    QCOMPARE(window->DeviceBox()->currentText(), QString::fromStdString(second + " (1.00MB)"));
    QCOMPARE(window->RoutineList()->GetRowCount(), 0);  // not a VELK disk: empty, and no message
    window->RefreshButton()->click();
    world.Settle(*window);
    QCOMPARE(window->DeviceCount(), 3);
    QCOMPARE(window->DeviceBox()->currentIndex(), 2);
    QVERIFY(world.boxes.seen.empty());

    // A file dropped onto the window is listed too, and becomes the current device.
    const std::string dropped = world.MakeCard("dropped.img", {Track("D", 8, 0, 0)});
    QVERIFY(CWindowWorld::Drop(*window, dropped));
    world.Settle(*window);
    QCOMPARE(window->DeviceCount(), 4);
    QCOMPARE(window->DeviceBox()->currentText(), QString::fromStdString(dropped + " (4.00MB)"));
    QCOMPARE(window->RoutineList()->GetItemText(0, 1), QString("D"));

    window->OpenCardImages({QString::fromStdString(world.File("missing.img"))}, CManagerDialog::ImageOrigin::Chosen);
    world.Settle(*window);
    QCOMPARE(world.boxes.Texts(), std::vector<std::string>{"Could not open card image " + world.File("missing.img") +
                                                           " (no such file)"});
    QCOMPARE(window->DeviceCount(), 4);
}

void ManagerDialogTest::EnterMeansExitEscapeClosesAndF1ShowsTheAboutBox() {
    CWindowWorld world;
    const std::string card = world.MakeCard("card.img", {Track("A", 8, 0, 0)});
    struct Case {
        Qt::Key key;
        QWidget* (*focus)(CManagerDialog&);
        int result;
    };
    // No button has the focus: Exit, the default button, takes Enter, also after a button had it.
    const Case cases[] = {
        {Qt::Key_Return, [](CManagerDialog& w) -> QWidget* { return w.RoutineList(); }, QDialog::Accepted},
        {Qt::Key_Enter, [](CManagerDialog& w) -> QWidget* { return w.StatusBox(); }, QDialog::Accepted},
        {Qt::Key_Return, [](CManagerDialog& w) -> QWidget* { return w.DeviceBox(); }, QDialog::Accepted},
        {Qt::Key_Escape, [](CManagerDialog& w) -> QWidget* { return w.RoutineList(); }, QDialog::Rejected},
    };
    for (const Case& c : cases) {
        const auto window = world.Window({card});
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QVERIFY(TabTo(*window, window->FormatButton()));
        QWidget* focus = c.focus(*window);
        focus->setFocus();
        QTest::keyClick(focus, c.key);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), c.result);
    }

    const auto window = world.Window({card});
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QString aboutTitle;
    world.boxes.onDialog = [&](QWidget* dialog) {
        if (auto* about = qobject_cast<CAboutDialog*>(dialog)) {
            aboutTitle = about->windowTitle();
            about->accept();
        }
    };
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(aboutTitle, QString("About VELK3 Manager"));
    QVERIFY(window->isVisible());
}

// A keyboard user sees which button has the focus, and Enter presses that one, not Exit.
void ManagerDialogTest::TabReachesEveryButtonWithAFocusFrameAndEnterPressesIt() {
    CWindowWorld world;
    const std::string card = world.MakeCard("card.img", {Track("A", 8, 0, 0)});
    const auto window = world.Window({card}, true);
    window->SetFileChooser([](const QString&, const QString&) { return QString(); });
    world.boxes.onDialog = [](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); };
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    const std::vector<QPushButton*> buttons{window->RefreshButton(), window->AddButton(),       window->RemoveButton(),
                                            window->FormatButton(),  window->SchedulesButton(), window->FirmwareButton(),
                                            window->ExitButton()};
    for (QPushButton* button : buttons) {
        QApplication::setActiveWindow(window.get());  // a box of the last command had it
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const QImage unfocused = button->grab().toImage();
        QVERIFY2(TabTo(*window, button), qPrintable(button->text()));
        QVERIFY2(button->grab().toImage() != unfocused, qPrintable(button->text() + " shows no focus"));
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(button, Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
        QTRY_VERIFY(!window->IsBusy());  // Load firmware ends on its worker
        QCOMPARE(window->isVisible(), button != window->ExitButton());
    }
    QCOMPARE(window->result(), int(QDialog::Accepted));
}

VELK3_QT_TEST(ManagerDialogTest)
#include "ManagerDialogTest.moc"

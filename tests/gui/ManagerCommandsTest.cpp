// The main window's commands end to end on card images and simulated units: their questions,
// what they write, what they leave alone, and the controls during and after Add routine.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "fakes/FakeUsb.h"
#include "gui/ManagerWindowFixture.h"
#include "gui/WidgetProgress.h"
#include "gui/QtTestMain.h"
#include "gui/SchedulerDialog.h"
#include "operations/JobContext.h"
#include "platform/TextFormat.h"
#include "platform/UserPrompt.h"

class ManagerCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void RemoveAsksFirstAndOpensNothingOnNo();
    void FormatAsksTheShortOrTheLongQuestion();
    void AddToAForeignCardAsksAndOnlyYesWrites();
    void AnUnplugDuringAddIsShownAndLeavesTheCardReadable();
    void AddOntoACardThatLosesWritesSaysSoAndLeavesItListingAsBefore();
    void AFailedWriteIsToldInTheWindowsWordsWithTheLibrarysUnderDetails();
    void DeviceEventsWhileBusyWaitForTheWork();
    void ClosingDuringAddOffersToCancelOrToWait();
    void CancelAndCloseSaysWhatTheStoppedCopyLeaves();
    void ACommandStaysOnTheDeviceCurrentWhenItWasStarted();
    void DeviceEventsDuringAQuestionWaitForTheCommand();
    void EditSchedulesSetsTheClockOfAUnitOnlyAndWritesOnOk();
    void LoadFirmwareWarnsThenRunsOffTheWindowsThreadAndTellsItsEnd();
};

namespace {

constexpr int kUnit = 3;
constexpr int kWaitMs = 60000;
constexpr const char* kNotWrittenKept =
    "The routine could not be written to the card. The card keeps the routines it had.";

bool OpenedAnything() {
    for (const auto& event : fakeusb::WireLog())
        if (fakeusb::Describe(event).rfind("host open", 0) == 0) return true;
    return false;
}

// Runs Add routine with file and waits until the window has handled the worker's end.
void AddAndWait(CManagerDialog& window, const std::string& file) {
    QSignalSpy finished(&window, &CManagerDialog::workFinished);
    window.SetFileChooser([file](const QString&, const QString& filter) {
        return filter.startsWith("VELK v3.0 (*.velk)") ? QString::fromStdString(file) : QString();
    });
    window.AddButton()->click();
    QVERIFY(window.IsBusy());
    QCOMPARE(window.ExitButton()->text(), QString("Cancel"));  // in place of Exit while the card is written
    QVERIFY(!window.DeviceBox()->isEnabled());
    QVERIFY(finished.wait(kWaitMs));
    QVERIFY(!window.IsBusy());
    CWindowWorld::Settle(window);
}

std::string Bytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

}  // namespace

void ManagerCommandsTest::RemoveAsksFirstAndOpensNothingOnNo() {
    CWindowWorld world;
    world.PlugUnit(kUnit, world.MakeCard("unit.img", {Track("A", 8, 0, 0), Track("B", 8, 0, 0)}));
    const auto window = world.Window();
    struct Case {
        QMessageBox::StandardButton answer;
        int rowsAfter;
        bool opens;
    };
    for (const Case c : {Case{QMessageBox::No, 2, false}, Case{QMessageBox::Yes, 1, true}}) {
        fakeusb::ClearWireLog();
        world.boxes.seen.clear();
        world.boxes.answers = {c.answer};
        window->RemoveButton()->click();
        world.Settle(*window);
        QCOMPARE(world.boxes.Texts(), std::vector<std::string>{"Are you sure you want to remove the last track?"});
        QCOMPARE(world.boxes.seen[0].caption, std::string("Confirm"));
        QCOMPARE(world.boxes.seen[0].owner, window.get());
        QCOMPARE(OpenedAnything(), c.opens);
        QCOMPARE(window->RoutineList()->GetRowCount(), c.rowsAfter);
    }
    // The last one goes as well; then the card has none to remove, which is reported.
    world.boxes.answers = {QMessageBox::Yes, QMessageBox::Yes};
    world.boxes.seen.clear();
    window->RemoveButton()->click();
    world.Settle(*window);
    window->RemoveButton()->click();
    world.Settle(*window);
    QCOMPARE(world.boxes.Texts().back(), std::string("Too few tracks"));
    QCOMPARE(world.boxes.seen.back().caption, std::string("VELK3 Manager"));
    QCOMPARE(world.boxes.seen.back().icon, QMessageBox::NoIcon);
    QVERIFY(window->RemoveButton()->isEnabled());
    QCOMPARE(fakeusb::OpenHandles(), 0);
}

void ManagerCommandsTest::FormatAsksTheShortOrTheLongQuestion() {
    CWindowWorld world;
    struct Case {
        bool velk;
        QMessageBox::StandardButton answer;
        const char* question;
        bool velkAfter;
    };
    const Case cases[] = {
        {true, QMessageBox::No, question_text::kFormat, true},
        {true, QMessageBox::Yes, question_text::kFormat, true},
        {false, QMessageBox::No, question_text::kFormatForeign, false},
        {false, QMessageBox::Yes, question_text::kFormatForeign, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string card = world.MakeCard("format" + std::to_string(++n) + ".img", {Track("A", 8, 0, 0)}, c.velk);
        const auto window = world.Window({card});
        world.boxes.seen.clear();
        world.boxes.answers = {c.answer};
        // The busy pointer is the window's own: the question the job asks shows the normal one.
        bool normalPointerOverTheBox = false;
        world.boxes.whileOpen = [&] {
            normalPointerOverTheBox = !QApplication::overrideCursor() && window->cursor().shape() == Qt::WaitCursor &&
                                      QApplication::activeModalWidget()->cursor().shape() == Qt::ArrowCursor;
        };
        window->FormatButton()->click();
        world.Settle(*window);
        QVERIFY(normalPointerOverTheBox);
        QCOMPARE(world.boxes.Texts(), std::vector<std::string>{c.question});
        const auto after = CWindowWorld::ReadCard(card);
        QCOMPARE(after.has_value(), c.velkAfter);
        const size_t tracks = c.velk && c.answer == QMessageBox::No ? 1 : 0;
        if (after) QCOMPARE(after->size(), tracks);
        QCOMPARE(size_t(window->RoutineList()->GetRowCount()), tracks);
    }
}

void ManagerCommandsTest::AddToAForeignCardAsksAndOnlyYesWrites() {
    CWindowWorld world;
    const std::string routine = world.MakeRoutine("one.velk", 40);
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        const std::string card = world.MakeCard(answer == QMessageBox::No ? "no.img" : "yes.img", {}, false);
        const auto window = world.Window({card});
        world.boxes.seen.clear();
        world.boxes.answers = {answer};
        AddAndWait(*window, routine);
        QCOMPARE(world.boxes.Texts(), std::vector<std::string>{question_text::kFormatForeign});
        QCOMPARE(world.boxes.seen[0].owner, window.get());
        QVERIFY(world.boxes.seen[0].onGuiThread);
        const auto after = CWindowWorld::ReadCard(card);
        QCOMPARE(after.has_value(), answer == QMessageBox::Yes);
        QCOMPARE(window->RoutineList()->GetRowCount(), answer == QMessageBox::Yes ? 1 : 0);
        if (answer == QMessageBox::Yes) QCOMPARE(window->RoutineList()->GetItemText(0, 0), QString("0"));
        QCOMPARE(window->ProgressBar()->value(), 0);
        QVERIFY(window->AddButton()->isEnabled() && window->ExitButton()->isEnabled());
        QVERIFY(window->DeviceBox()->isEnabled() && window->FirmwareButton()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }
}

void ManagerCommandsTest::AnUnplugDuringAddIsShownAndLeavesTheCardReadable() {
    CWindowWorld world;
    const std::string card = world.MakeCard("unit.img", {Track("Kept", 8, 0, 0)});
    world.PlugUnit(kUnit, card);
    const auto window = world.Window();
    QCOMPARE(window->RoutineList()->GetRowCount(), 1);
    constexpr int kTransfersBeforeUnplug = 20;  // opening and reading the card take fewer
    fakeusb::UnplugAfterTransfers(kTransfersBeforeUnplug, kUnit);
    AddAndWait(*window, world.MakeRoutine("long.velk", 400));
    // The write's failure, then the routine list's refresh finding the unit gone.
    QCOMPARE(world.boxes.seen.size(), size_t(2));
    QCOMPARE(world.boxes.Texts()[0], std::string(kNotWrittenKept));
    QVERIFY(world.boxes.seen[0].details.find("(err=-19)") != std::string::npos);
    QCOMPARE(world.boxes.Texts()[1], std::string("The VELK is no longer attached."));
    QCOMPARE(world.boxes.seen[0].caption, std::string("VELK3 Manager"));
    QVERIFY(window->AddButton()->isEnabled() && window->ExitButton()->isEnabled() && window->RefreshButton()->isEnabled());
    const auto after = CWindowWorld::ReadCard(card);
    QVERIFY(after.has_value());
    QCOMPARE(after->size(), size_t(1));
    QCOMPARE(after->front().Title(), std::string("Kept"));
    QCOMPARE(fakeusb::OpenHandles(), 0);
}

// The unit times out every attempt at the routine's first write: the box says what happened and
// what the card holds, the library's own text waits behind Show Details.
void ManagerCommandsTest::AFailedWriteIsToldInTheWindowsWordsWithTheLibrarysUnderDetails() {
    CWindowWorld world;
    const std::string card = world.MakeCard("unit.img", {Track("Kept", 8, 0, 0)});
    world.PlugUnit(kUnit, card);
    const auto window = world.Window();
    // Add reads the header, the track table and the identify data before its first write.
    constexpr int kDataReadsBeforeWrite = 3;
    constexpr int kAttempts = 5;
    fakeusb::Inject(fakeusb::Fault::FailBulk, kDataReadsBeforeWrite, -ETIMEDOUT, kUnit, kAttempts);
    AddAndWait(*window, world.MakeRoutine("short.velk", 4));
    QCOMPARE(world.boxes.seen.size(), size_t(1));
    QCOMPARE(world.boxes.Texts()[0], std::string(kNotWrittenKept));
    QVERIFY2(world.boxes.seen[0].details.rfind("writeSector: Unable to write sector (err=-110, ", 0) == 0,
             world.boxes.seen[0].details.c_str());
    QCOMPARE(window->RoutineList()->GetRowCount(), 1);
    const auto after = CWindowWorld::ReadCard(card);
    QVERIFY(after.has_value() && after->size() == 1);
}

// The window always reads back what Add routine wrote: a card that takes writes past sector 9 and
// loses them fails the command with the reason, and still lists its one routine.
void ManagerCommandsTest::AddOntoACardThatLosesWritesSaysSoAndLeavesItListingAsBefore() {
    CWindowWorld world;
    const std::string card = world.MakeCard("unit.img", {Track("Kept", 8, 0, 0)});
    fakeusb::UnitOptions unit;
    unit.devnum = kUnit;
    unit.cardPath = card;
    unit.keptSectors = 9;  // the routine's 8 sectors and the header
    fakeusb::AddUnit(unit);
    const auto window = world.Window();
    AddAndWait(*window, world.MakeRoutine("lost.velk", 40));
    QCOMPARE(world.boxes.seen.size(), size_t(1));
    QVERIFY(world.boxes.Texts()[0].rfind("The card did not keep what was written: sector ", 0) == 0);
    QCOMPARE(window->RoutineList()->GetRowCount(), 1);
    const auto after = CWindowWorld::ReadCard(card);
    QVERIFY(after.has_value() && after->size() == 1);
}

void ManagerCommandsTest::DeviceEventsWhileBusyWaitForTheWork() {
    CWindowWorld world;
    auto owned = std::make_unique<CFedEventSource>();
    CFedEventSource& events = *owned;
    const std::string card = world.MakeCard("foreign.img", {}, false);
    const auto window = world.Window({card}, false, std::move(owned));
    window->show();
    QCOMPARE(window->DeviceCount(), 1);

    // While the worker waits for its question a unit arrives: its event is held until the work ends.
    world.boxes.answers = {QMessageBox::Yes};
    world.boxes.whileOpen = [&] {
        world.PlugUnit(kUnit, world.MakeCard("unit.img", {}));
        events.Feed();
        QTest::qWait(int(CDeviceMonitor::kQuietInterval.count()) * 3);
        QCOMPARE(window->DeviceCount(), 1);
    };
    AddAndWait(*window, world.MakeRoutine("one.velk", 10));
    QCOMPARE(window->DeviceCount(), 2);  // refreshed once the work ended
    const auto after = CWindowWorld::ReadCard(card);
    QVERIFY(after.has_value());
    QCOMPARE(after->size(), size_t(1));
}

// The close box during Add offers to cancel, to close when done, or to stay; Escape is Cancel.
void ManagerCommandsTest::ClosingDuringAddOffersToCancelOrToWait() {
    CWindowWorld world;
    const std::string routine = world.MakeRoutine("one.velk", 40);
    struct Case {
        const char* pressed;  // in the close box; nullptr: Escape instead of the close box
        size_t tracksAfter;
        bool closed;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {"Close When Done", 2, true, {}},
        {"Cancel and Close", 1, true, {"Cancelled: the card is unchanged."}},
        {"Keep Open", 2, false, {}},
        {nullptr, 1, false, {"Cancelled: the card is unchanged."}},
    };
    int devnum = kUnit;
    for (const Case& c : cases) {
        const std::string card = world.MakeCard("close" + std::to_string(devnum) + ".img", {Track("A", 8, 0, 0)});
        constexpr int kSlowTransferMs = 20;  // the job outlasts the close box
        world.PlugUnit(++devnum, card, 1, kSlowTransferMs);
        const auto window = world.Window();
        window->DeviceBox()->setCurrentIndex(window->DeviceCount() - 1);
        world.Settle(*window);
        window->show();
        world.boxes.seen.clear();
        if (c.pressed) world.boxes.pressTexts = {c.pressed};
        QTimer::singleShot(0, window.get(), [&] {
            if (c.pressed)
                window->close();
            else
                QTest::keyClick(window.get(), Qt::Key_Escape);
        });
        AddAndWait(*window, routine);
        std::vector<std::string> told;
        for (const SeenBox& box : world.boxes.seen)
            if (box.caption == "VELK3 Manager" && box.icon != QMessageBox::Question) told.push_back(box.text);
        QCOMPARE(told, c.told);
        QCOMPARE(window->isVisible(), !c.closed);
        QCOMPARE(CWindowWorld::ReadCard(card)->size(), c.tracksAfter);
        QCOMPARE(window->ExitButton()->text(), QString("Exit"));
        fakeusb::Unplug(devnum);
    }
}

// Closed while the card is copied, the window says what Cancel and Close leaves, and that is what
// is left: a restore cut short leaves no VELK disk, a backup cut short no image.
void ManagerCommandsTest::CancelAndCloseSaysWhatTheStoppedCopyLeaves() {
    struct Case {
        bool restore;  // else a backup
        const char* closedAt;  // the status text at which the window is closed
        const char* promised;
        const char* told;
    };
    const Case cases[] = {
        {true, status_text::kWritingCard, "left without a VELK disk", stop_text::kRestoreCut},
        {false, status_text::kReadingCard, "no backup is written", stop_text::kNoBackup},
    };
    for (const Case& c : cases) {
        CWindowWorld world;
        const std::string card = world.MakeCard("card.img", {Track("A", 3000, 0, 0)});
        const std::string image = c.restore ? world.MakeCard("image.img", {Track("B", 3000, 0, 0)}) : world.File("backup.img");
        constexpr int kSlowTransferMs = 5;  // the copy outlasts the close box
        world.PlugUnit(kUnit, card, 1, kSlowTransferMs);
        const auto window = world.Window();
        window->show();
        const auto chosen = [&](const QString&, const QString&) { return QString::fromStdString(image); };
        window->SetFileChooser(chosen);
        window->SetSaveFileChooser(chosen);
        world.boxes.answers = {QMessageBox::Yes};  // the restore's question
        bool closed = false;
        connect(window->StatusBox(), &QLineEdit::textChanged, window.get(), [&](const QString& text) {
            if (closed || text != c.closedAt) return;
            closed = true;
            world.boxes.pressTexts = {"Cancel and Close"};
            QTimer::singleShot(0, window.get(), [&] { window->close(); });
        });
        c.restore ? window->OnRestore() : window->OnBackUp();
        world.Settle(*window);
        QVERIFY(closed);
        std::string promise, told;
        for (const SeenBox& box : world.boxes.seen) {
            if (box.icon == QMessageBox::Question) promise = box.text;
            if (box.icon == QMessageBox::Information) told = box.text;
        }
        QVERIFY2(promise.find(c.promised) != std::string::npos, promise.c_str());
        QCOMPARE(told, std::string(c.told));
        QVERIFY(!window->isVisible());
        if (c.restore)
            QVERIFY(!CWindowWorld::ReadCard(card));
        else
            QVERIFY(!std::filesystem::exists(image));
    }
}

// A file dialog can outlast the device it was opened for as the current one: the command still
// works on that device, and when it has gone it says so, before asking anything, and writes nothing.
void ManagerCommandsTest::ACommandStaysOnTheDeviceCurrentWhenItWasStarted() {
    const std::string gone = "The VELK is no longer attached.";
    enum class Command { Restore, Add, Remove };
    struct Case {
        Command command;
        bool unplugged;  // the chosen unit leaves while the dialog is open (Remove: before the click)
        std::string firstBox;  // empty: none
        size_t tracksOnChosen;
    };
    const Case cases[] = {
        {Command::Restore, true, gone, 1},
        {Command::Restore, false, FillPlaces(question_text::kRestore, {"VELK3"}), 3},
        {Command::Add, true, gone, 1},
        {Command::Add, false, "", 2},
        {Command::Remove, true, gone, 1},
    };
    for (const Case& c : cases) {
        CWindowWorld world;
        const std::string chosen = world.MakeCard("three.img", {Track("A", 8, 0, 0)});
        const std::string other = world.MakeCard("four.img", {Track("B", 8, 0, 0)});
        world.PlugUnit(3, chosen);
        world.PlugUnit(4, other);
        const std::string file = c.command == Command::Restore
                                     ? world.MakeCard("image.img", {Track("C", 8, 0, 0), Track("D", 8, 0, 0), Track("E", 8, 0, 0)})
                                     : world.MakeRoutine("one.velk", 40);
        const std::string otherBefore = Bytes(other);
        const auto window = world.Window();
        QCOMPARE(window->CurrentDevice().name, std::string("VELK3"));
        window->SetFileChooser([&](const QString&, const QString&) {
            if (c.unplugged) fakeusb::Unplug(3);
            window->DeviceBox()->setCurrentIndex(1);  // as the listing after the unplug leaves it
            return QString::fromStdString(file);
        });
        world.boxes.answers = {QMessageBox::Yes};
        if (c.command == Command::Restore) window->OnRestore();
        if (c.command == Command::Add) window->AddButton()->click();
        if (c.command == Command::Remove) {
            fakeusb::Unplug(3);
            window->RemoveButton()->click();
        }
        world.Settle(*window);
        QCOMPARE(QString::fromStdString(world.boxes.seen.empty() ? std::string() : world.boxes.seen[0].text),
                 QString::fromStdString(c.firstBox));
        QVERIFY(Bytes(other) == otherBefore);
        QCOMPARE(CWindowWorld::ReadCard(chosen)->size(), c.tracksOnChosen);
    }
}

void ManagerCommandsTest::DeviceEventsDuringAQuestionWaitForTheCommand() {
    CWindowWorld world;
    auto owned = std::make_unique<CFedEventSource>();
    CFedEventSource& events = *owned;
    const std::string card = world.MakeCard("card.img", {Track("A", 8, 0, 0), Track("B", 8, 0, 0)});
    const auto window = world.Window({card}, false, std::move(owned));
    world.boxes.answers = {QMessageBox::Yes};
    world.boxes.whileOpen = [&] {
        world.PlugUnit(kUnit, world.MakeCard("unit.img", {}));
        events.Feed();
        QTest::qWait(int(CDeviceMonitor::kQuietInterval.count()) * 3);
        QCOMPARE(window->DeviceCount(), 1);
    };
    window->RemoveButton()->click();
    world.Settle(*window);
    QCOMPARE(CWindowWorld::ReadCard(card)->size(), size_t(1));  // removed from the card it asked about
    QTRY_COMPARE(window->DeviceCount(), 2);
    QCOMPARE(window->DeviceBox()->currentText().toStdString(), card + " (4.00MB)");
}

void ManagerCommandsTest::EditSchedulesSetsTheClockOfAUnitOnlyAndWritesOnOk() {
    CWindowWorld world;
    world.system.AddDisk("sdb", "8:16", 8192, true, "pci0000:00/usb1/1-1");
    std::filesystem::copy_file(world.MakeCard("reader.img", {Track("A", 8, 0, 0)}), world.system.Root() / "dev/sdb");
    world.PlugUnit(kUnit, world.MakeCard("unit.img", {Track("A", 8, 0, 0)}));
    const auto window = world.Window({}, true);
    QVERIFY(!window->SchedulesButton()->isHidden());
    int dialogs = 0;
    world.boxes.onDialog = [&](QWidget* dialog) {
        if (auto* schedules = qobject_cast<CSchedulerDialog*>(dialog)) {
            ++dialogs;
            schedules->AddButton()->click();
            schedules->OkButton()->click();
        }
    };
    struct Case {
        int index;  // 0 the drive, 1 the unit
        size_t clocks;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}}) {
        window->DeviceBox()->setCurrentIndex(c.index);
        world.Settle(*window);
        fakeusb::ClearWireLog();
        fakeusb::Unit(kUnit).clockRecords.clear();
        window->SchedulesButton()->click();
        world.Settle(*window);
        QCOMPARE(fakeusb::Unit(kUnit).clockRecords.size(), c.clocks);
        if (c.clocks) {
            // The clock is set before the card is read.
            const auto wire = fakeusb::DescribeTransfers();
            const auto clock = std::find_if(wire.begin(), wire.end(), [](const auto& l) { return l.find(" A4 ") != l.npos; });
            const auto read = std::find_if(wire.begin(), wire.end(), [](const auto& l) { return l.find(" A0 ") != l.npos; });
            QVERIFY(clock < read);
        }
    }
    QCOMPARE(dialogs, 2);
    QCOMPARE(CWindowWorld::ReadCard(world.File("unit.img")).has_value(), true);
    QVERIFY(world.boxes.seen.empty());
}

void ManagerCommandsTest::LoadFirmwareWarnsThenRunsOffTheWindowsThreadAndTellsItsEnd() {
    CWindowWorld world;
    const std::string plain = world.MakeCard("plain.img", {}, false, 16);  // not an encrypted image
    const auto window = world.Window({world.MakeCard("card.img", {Track("A", 8, 0, 0)})});
    struct Case {
        const char* chosen;  // nullptr: the Open dialog is cancelled
        std::vector<std::string> captions;
    };
    const Case cases[] = {
        {nullptr, {"Firmware Update"}},
        {plain.c_str(), {"Firmware Update", "Firmware Error", "Firmware Error"}},
    };
    for (const Case& c : cases) {
        world.boxes.seen.clear();
        QString filterShown;
        size_t boxesBeforeTheChoice = 0;
        window->SetFileChooser([&](const QString&, const QString& filter) {
            filterShown = filter;
            boxesBeforeTheChoice = world.boxes.seen.size();
            if (c.chosen) window->ProgressBar()->setRange(0, 0);  // busy, as an erase leaves it
            return c.chosen ? QString(c.chosen) : QString();
        });
        window->FirmwareButton()->click();
        QCOMPARE(boxesBeforeTheChoice, size_t(1));  // the warning
        QCOMPARE(filterShown, QString("VELK Image Files (*.img);;All Files (*)"));
        // The update runs on the worker under the busy pointer, the controls disabled.
        QCOMPARE(window->IsBusy(), c.chosen != nullptr);
        if (c.chosen) {
            QVERIFY(!window->ExitButton()->isEnabled() && !window->DeviceBox()->isEnabled() &&
                    !window->AddButton()->isEnabled());
            QCOMPARE(window->cursor().shape(), Qt::WaitCursor);
        }
        CWindowWorld::Settle(*window);
        std::vector<std::string> captions;
        for (const SeenBox& box : world.boxes.seen) {
            captions.push_back(box.caption);
            QCOMPARE(box.owner, window.get());
        }
        QCOMPARE(captions, c.captions);
        QCOMPARE(world.boxes.seen[0].icon, QMessageBox::Critical);
        if (c.chosen) {
            QCOMPARE(world.boxes.seen[1].text, std::string("Invalid image file."));
            QCOMPARE(world.boxes.seen[1].icon, QMessageBox::Warning);
            QVERIFY(world.boxes.seen[2].text.rfind("The firmware update FAILED. ", 0) == 0);
        }
        QVERIFY(window->ExitButton()->isEnabled() && window->AddButton()->isEnabled() && window->DeviceBox()->isEnabled());
        QCOMPARE(window->StatusBox()->text(), QString("Ready"));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(window->ProgressBar()->maximum(), CWidgetProgress::kBarSteps);  // the busy range put back
    }
}

VELK3_QT_TEST(ManagerCommandsTest)
#include "ManagerCommandsTest.moc"

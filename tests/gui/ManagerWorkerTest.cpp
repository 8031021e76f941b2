// The window's worker seen from the window: its thread keeps answering while a slow unit works,
// it shows itself before the first listing ends, and devices are told apart by what they are.
#include <QComboBox>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "fakes/FakeUsb.h"
#include "gui/ManagerWindowFixture.h"
#include "gui/QtTestMain.h"
#include "platform/TextFormat.h"
#include "platform/UserPrompt.h"

class ManagerWorkerTest : public QObject {
    Q_OBJECT
private slots:
    void TheWindowAnswersWhileASlowUnitIsFormatted();
    void UnitsWithOneNumberOnTwoBusesAreTwoDevices();
    void ADriveStaysChosenWhenItsMountPointsChange();
    void ACardIsBackedUpAndRestoredFromTheWindow();
    void AUnitInItsBootModeIsAnnouncedOnceWhileItStays();
};

namespace {
constexpr int kSlowTransferMs = 150;
}  // namespace

#define ASSERT_BOXES(world, ...) QCOMPARE((world).boxes.Texts(), (std::vector<std::string>__VA_ARGS__))

void ManagerWorkerTest::TheWindowAnswersWhileASlowUnitIsFormatted() {
    CWindowWorld world;
    world.PlugUnit(3, world.MakeCard("slow.img", {Track("A", 8, 0, 0)}), 1, kSlowTransferMs);
    // Made and shown at once; the unit and its routines follow when they have been read.
    const auto window = world.Window({}, false, nullptr, false);
    window->show();
    QCOMPARE(window->DeviceCount(), 0);
    QVERIFY(!window->IsIdle());
    CWindowWorld::Settle(*window);
    QCOMPARE(window->RoutineList()->GetRowCount(), 1);

    // A timer on the window's thread: the longest gap between its ticks while Format runs. On the
    // window's thread a single transfer of the unit would stop it for kSlowTransferMs.
    QElapsedTimer clock;
    qint64 last = 0, longestGap = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - last);
        last = now;
    });
    world.boxes.answers = {QMessageBox::Yes};
    QSignalSpy finished(window.get(), &CManagerDialog::workFinished);
    clock.start();
    ticker.start(10);
    window->FormatButton()->click();
    QVERIFY(finished.wait(60000));
    ticker.stop();
    qInfo("longest wait of the window's thread while Format ran: %lld ms", longestGap);
    QVERIFY2(longestGap < kSlowTransferMs, qPrintable(QString("longest gap %1 ms").arg(longestGap)));
    QVERIFY(clock.elapsed() > 4 * kSlowTransferMs);  // the format did take its transfers' time
    CWindowWorld::Settle(*window);
    QCOMPARE(window->RoutineList()->GetRowCount(), 0);
}

void ManagerWorkerTest::UnitsWithOneNumberOnTwoBusesAreTwoDevices() {
    CWindowWorld world;
    world.PlugUnit(3, world.MakeCard("first.img", {Track("First", 8, 0, 0)}), 1);
    world.PlugUnit(3, world.MakeCard("second.img", {Track("Second", 8, 0, 0), Track("More", 8, 0, 0)}), 2);
    const auto window = world.Window();
    QCOMPARE(world.BoxTexts(*window), (std::vector<std::string>{"Varnholt Software - VELK v1.20 (3) on bus 1",
                                                                "Varnholt Software - VELK v1.20 (3) on bus 2"}));
    for (int index : {1, 0}) {
        window->DeviceBox()->setCurrentIndex(index);
        CWindowWorld::Settle(*window);
        QCOMPARE(window->RoutineList()->GetItemText(0, 1), QString(index == 0 ? "First" : "Second"));
        QCOMPARE(window->CurrentDevice().name, std::string(index == 0 ? "VELK3-1" : "VELK3-2"));
    }
    QVERIFY(world.boxes.seen.empty());
}

void ManagerWorkerTest::ADriveStaysChosenWhenItsMountPointsChange() {
    CWindowWorld world;
    for (const char* name : {"sdb", "sdc"}) {
        const bool first = name == std::string("sdb");
        world.system.AddDisk(name, first ? "8:16" : "8:32", 8192, true, std::string("pci0000:00/usb1/") + name);
        world.system.AddDeviceNode(name, 8192 * 512);
    }
    world.system.AddPartition("sdc", "sdc1", "8:33", 1);
    const auto window = world.Window();
    window->DeviceBox()->setCurrentIndex(1);
    CWindowWorld::Settle(*window);
    world.system.Mount("8:33", "/dev/sdc1", "/media/anna/CARD");
    window->RefreshButton()->click();
    CWindowWorld::Settle(*window);
    QCOMPARE(window->DeviceBox()->currentText(), QString("sdc (4.00MB) (/media/anna/CARD)"));
}

void ManagerWorkerTest::ACardIsBackedUpAndRestoredFromTheWindow() {
    CWindowWorld world;
    const std::string card = world.MakeCard("card.img", {Track("A", 8, 0, 0), Track("B", 8, 0, 0)});
    const std::string backup = world.File("backup.img");
    const auto window = world.Window({card});
    window->SetSaveFileChooser([&](const QString&, const QString&) { return QString::fromStdString(backup); });
    window->SetFileChooser([&](const QString&, const QString&) { return QString::fromStdString(backup); });
    QString buttonWhileTold;  // the job has ended when it is told: Cancel has gone
    world.boxes.whileOpen = [&] { buttonWhileTold = window->ExitButton()->text(); };
    window->OnBackUp();
    CWindowWorld::Settle(*window);
    ASSERT_BOXES(world, {"The card has been backed up to " + backup + " (18 of 8192 sectors in use)."});
    QCOMPARE(buttonWhileTold, QString("Exit"));
    world.boxes.whileOpen = nullptr;

    world.boxes.answers = {QMessageBox::Yes};
    window->FormatButton()->click();
    CWindowWorld::Settle(*window);
    QCOMPARE(window->RoutineList()->GetRowCount(), 0);

    world.boxes.seen.clear();
    world.boxes.answers = {QMessageBox::Yes};
    window->OnRestore();
    QCOMPARE(window->ExitButton()->text(), QString("Cancel"));
    CWindowWorld::Settle(*window);
    QCOMPARE(world.boxes.Texts(), (std::vector<std::string>{FillPlaces(question_text::kRestore, {card}),
                                                            "The card has been restored from " + backup +
                                                                " and verified (18 sectors)."}));
    QCOMPARE(window->RoutineList()->GetRowCount(), 2);
}

void ManagerWorkerTest::AUnitInItsBootModeIsAnnouncedOnceWhileItStays() {
    CWindowWorld world;
    fakeusb::BootloaderOptions bootloader;
    fakeusb::AddBootloader(bootloader);
    const auto window = world.Window();
    const std::string question = "A VELK is waiting in its boot mode, as after an interrupted firmware update.\n\n"
                                 "Load firmware now?";
    QCOMPARE(world.boxes.Texts(), std::vector<std::string>{question});
    QCOMPARE(world.boxes.seen[0].caption, std::string("Firmware Update"));
    window->RefreshButton()->click();
    CWindowWorld::Settle(*window);
    QCOMPARE(world.boxes.seen.size(), size_t(1));

    // Gone and back: new again; Yes starts Load firmware's flow with its warning.
    fakeusb::Unplug(bootloader.devnum);
    window->RefreshButton()->click();
    CWindowWorld::Settle(*window);
    fakeusb::AddBootloader(bootloader);
    world.boxes.answers = {QMessageBox::Yes};
    window->SetFileChooser([](const QString&, const QString&) { return QString(); });
    window->RefreshButton()->click();
    CWindowWorld::Settle(*window);
    QCOMPARE(world.boxes.seen.size(), size_t(3));
    QCOMPARE(world.boxes.seen[1].text, question);
    QCOMPARE(world.boxes.seen[2].caption, std::string("Firmware Update"));  // the update's warning
}

VELK3_QT_TEST(ManagerWorkerTest)
#include "ManagerWorkerTest.moc"

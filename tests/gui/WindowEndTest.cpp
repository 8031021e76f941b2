// The window's jobs at their ends: a job's boxes hold back every other job's end until they are
// answered, and closing the window while a slow unit is read, with devices coming and going, ends
// it without starting anything new.
#include <QSignalSpy>
#include <QTest>

#include <fstream>

#include "gui/ManagerWindowFixture.h"
#include "gui/QtTestMain.h"

class WindowEndTest : public QObject {
    Q_OBJECT
private slots:
    void ABoxAtOneJobsEndHoldsBackTheNextJobsEnd();
    void ClosingWhileASlowUnitIsListedAndDevicesComeAndGo();
};

void WindowEndTest::ABoxAtOneJobsEndHoldsBackTheNextJobsEnd() {
    CWindowWorld world;
    const auto window = world.Window({world.MakeCard("card.img", {Track("A", 8, 0, 0)})});
    const std::string odd = world.File("odd.img");
    std::ofstream(odd) << "not a whole sector";
    QSignalSpy listed(window.get(), &CManagerDialog::routinesListed);
    int listedWhileOpen = -1;
    world.boxes.whileOpen = [&] {
        QTest::qWait(200);  // long enough for the listing behind the judgement to end
        listedWhileOpen = int(listed.count());
    };
    QVERIFY(CWindowWorld::Drop(*window, odd));  // judged on the worker, refused in a box at its end
    window->RefreshRoutineList();               // the next job
    CWindowWorld::Settle(*window);
    QCOMPARE(world.boxes.seen.size(), size_t(1));
    QCOMPARE(listedWhileOpen, 0);
    QCOMPARE(listed.count(), 1);
}

void WindowEndTest::ClosingWhileASlowUnitIsListedAndDevicesComeAndGo() {
    constexpr int kSlowTransferMs = 200;  // the listing outlasts the monitor's quiet interval
    CWindowWorld world;
    world.PlugUnit(3, world.MakeCard("slow.img", {Track("A", 8, 0, 0)}), 1, kSlowTransferMs);
    auto owned = std::make_unique<CFedEventSource>();
    CFedEventSource& events = *owned;
    auto window = world.Window({}, false, std::move(owned), false);
    window->show();
    QTest::qWait(50);  // the first listing is reading the unit
    QVERIFY(!window->IsIdle());
    events.Feed();   // its refresh falls due while the window waits for the listing to end
    window.reset();
    QTest::qWait(int(CDeviceMonitor::kQuietInterval.count()) * 2);
    QVERIFY(world.boxes.seen.empty());
}

VELK3_QT_TEST(WindowEndTest)
#include "WindowEndTest.moc"

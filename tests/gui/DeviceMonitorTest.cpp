// Device notifications: which udev events count, and a burst of them giving one refresh.
#include <QSignalSpy>
#include <QTest>


#include "gui/QtTestMain.h"
#include "gui/DeviceMonitor.h"
#include "gui/ManagerWindowFixture.h"
#include "gui/UdevEventSource.h"

class DeviceMonitorTest : public QObject {
    Q_OBJECT
private slots:
    void ArrivalsRemovalsAndMediaChangesCount();
    void ABurstOfEventsGivesOneRefreshAndIgnoredOnesNone();
};

namespace {

constexpr std::chrono::milliseconds kQuiet{30};

}  // namespace

void DeviceMonitorTest::ArrivalsRemovalsAndMediaChangesCount() {
    struct Case {
        UdevEvent event;
        bool want;
    };
    const Case cases[] = {
        {{"usb", "usb_device", "add", false}, true},      // a unit or its bootloader arrives
        {{"usb", "usb_device", "remove", false}, true},
        {{"usb", "usb_interface", "add", false}, false},  // its interfaces follow: one event is enough
        {{"usb", "usb_device", "bind", false}, false},
        {{"block", "disk", "add", false}, true},
        {{"block", "disk", "remove", false}, true},
        {{"block", "disk", "change", true}, true},        // a card pushed into a reader
        {{"block", "disk", "change", false}, false},      // a partition table re-read, a mount
        {{"block", "partition", "add", false}, false},
        {{"net", "", "add", false}, false},
    };
    for (const Case& c : cases)
        QVERIFY2(IsDeviceListEvent(c.event) == c.want,
                 (c.event.subsystem + " " + c.event.devtype + " " + c.event.action).c_str());
}

void DeviceMonitorTest::ABurstOfEventsGivesOneRefreshAndIgnoredOnesNone() {
    auto owned = std::make_unique<CFedEventSource>();
    CFedEventSource& source = *owned;
    CDeviceMonitor monitor(std::move(owned), kQuiet);
    QSignalSpy refreshes(&monitor, &CDeviceMonitor::devicesChanged);

    for (int i = 0; i < 5; ++i) {
        source.Feed(true);
        QTest::qWait(1);
    }
    QVERIFY(refreshes.wait(5000));
    QTest::qWait(int(kQuiet.count()) * 4);
    QCOMPARE(refreshes.count(), 1);

    source.Feed(false);
    source.Feed(false);
    QTest::qWait(int(kQuiet.count()) * 4);
    QCOMPARE(refreshes.count(), 1);

    source.Feed(true);
    QVERIFY(refreshes.wait(5000));
    QCOMPARE(refreshes.count(), 2);
}

VELK3_QT_TEST(DeviceMonitorTest)
#include "DeviceMonitorTest.moc"

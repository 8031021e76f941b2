// What the device box lists and selects: drives, units, images in that order; the remembered
// entry wherever it moved, else the first unit, else the first entry.
#include <QTest>

#include "gui/QtTestMain.h"
#include "gui/DeviceBox.h"

class DeviceBoxTest : public QObject {
    Q_OBJECT
private slots:
    void SelectsTheRememberedEntryElseTheFirstUnitElseTheFirst();
};

namespace {

DeviceList Entries(std::initializer_list<const char*> names) {
    DeviceList list;
    for (const char* name : names) list.push_back(DeviceEntry{0, std::string(name) + " text", name});
    return list;
}

}  // namespace

void DeviceBoxTest::SelectsTheRememberedEntryElseTheFirstUnitElseTheFirst() {
    struct Case {
        const char* label;
        DeviceList drives, units, images;
        std::string remembered;
        int want;
    };
    const Case cases[] = {
        {"nothing at all", {}, {}, {}, "", -1},
        {"one drive, two units", Entries({"sdb"}), Entries({"VELK3", "VELK5"}), {}, "", 1},
        {"two units", {}, Entries({"VELK3", "VELK5"}), {}, "", 0},
        {"drives only", Entries({"sdb", "sdc"}), {}, {}, "", 0},
        {"images only", {}, {}, Entries({"/a.img"}), "", 0},
        {"remembered drive moved", Entries({"sda", "sdc"}), Entries({"VELK3"}), {}, "sdc text", 1},
        {"remembered unit moved", Entries({"sdb"}), Entries({"VELK2", "VELK5"}), {}, "VELK5 text", 2},
        {"remembered image", Entries({"sdb"}), Entries({"VELK3"}), Entries({"/a.img", "/b.img"}), "/b.img text", 3},
        {"remembered is gone", Entries({"sdb"}), Entries({"VELK3"}), {}, "sdc text", 1},
        {"the last of equal texts", Entries({"sdb", "sdb"}), {}, {}, "sdb text", 1},
    };
    for (const Case& c : cases) {
        const DeviceBoxContents box = ArrangeDeviceBox(c.drives, c.units, c.images, c.remembered);
        QVERIFY2(box.selected == c.want, c.label);
        QCOMPARE(box.items.size(), c.drives.size() + c.units.size() + c.images.size());
    }
    const DeviceBoxContents box = ArrangeDeviceBox(Entries({"sdb"}), Entries({"VELK3"}), Entries({"/a.img"}), "");
    QCOMPARE(box.items[0].kind, DeviceKind::Drive);
    QCOMPARE(box.items[1].kind, DeviceKind::Unit);
    QCOMPARE(box.items[1].name, std::string("VELK3"));
    QCOMPARE(box.items[2].kind, DeviceKind::Image);
    QCOMPARE(box.items[2].text, std::string("/a.img text"));
}

VELK3_QT_TEST(DeviceBoxTest)
#include "DeviceBoxTest.moc"

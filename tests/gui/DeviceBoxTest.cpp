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

// Entries whose identity is their name; the text is the name with a suffix, as labels carry more.
DeviceList Entries(DeviceKind kind, std::initializer_list<const char*> names, const char* suffix = " text") {
    DeviceList list;
    for (const char* name : names)
        list.push_back(DeviceEntry{0, std::string(name) + suffix, name, DeviceId::Of(kind, name)});
    return list;
}
DeviceList Drives(std::initializer_list<const char*> names, const char* suffix = " text") {
    return Entries(DeviceKind::Drive, names, suffix);
}
DeviceList Units(std::initializer_list<const char*> names) { return Entries(DeviceKind::Unit, names); }
DeviceList Images(std::initializer_list<const char*> names) { return Entries(DeviceKind::Image, names); }
DeviceId Id(DeviceKind kind, const char* name) { return DeviceId::Of(kind, name); }

}  // namespace

void DeviceBoxTest::SelectsTheRememberedEntryElseTheFirstUnitElseTheFirst() {
    struct Case {
        const char* label;
        DeviceList drives, units, images;
        DeviceId remembered;
        int want;
    };
    const Case cases[] = {
        {"nothing at all", {}, {}, {}, {}, -1},
        {"one drive, two units", Drives({"sdb"}), Units({"VELK3", "VELK5"}), {}, {}, 1},
        {"two units", {}, Units({"VELK3", "VELK5"}), {}, {}, 0},
        {"drives only", Drives({"sdb", "sdc"}), {}, {}, {}, 0},
        {"images only", {}, {}, Images({"/a.img"}), {}, 0},
        {"remembered drive moved", Drives({"sda", "sdc"}), Units({"VELK3"}), {}, Id(DeviceKind::Drive, "sdc"), 1},
        {"remembered drive, mount points changed", Drives({"sda", "sdc"}, " (/media/card)"), Units({"VELK3"}), {},
         Id(DeviceKind::Drive, "sdc"), 1},
        {"remembered unit moved", Drives({"sdb"}), Units({"VELK2", "VELK5"}), {}, Id(DeviceKind::Unit, "VELK5"), 2},
        {"remembered image", Drives({"sdb"}), Units({"VELK3"}), Images({"/a.img", "/b.img"}),
         Id(DeviceKind::Image, "/b.img"), 3},
        {"remembered is gone", Drives({"sdb"}), Units({"VELK3"}), {}, Id(DeviceKind::Drive, "sdc"), 1},
        {"a name of another kind is another device", Drives({"x"}), Units({"VELK3"}), Images({"x"}),
         Id(DeviceKind::Image, "x"), 2},
    };
    for (const Case& c : cases) {
        const DeviceBoxContents box = ArrangeDeviceBox(c.drives, c.units, c.images, c.remembered);
        QVERIFY2(box.selected == c.want, c.label);
        QCOMPARE(box.items.size(), c.drives.size() + c.units.size() + c.images.size());
    }
}

VELK3_QT_TEST(DeviceBoxTest)
#include "DeviceBoxTest.moc"

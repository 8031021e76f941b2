// The order in which writes reach a card, and what a command asks of a unit before it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "devices/UnitList.h"
#include "devices/UsbSectorDevice.h"
#include "disk/RoutineFixture.h"
#include "fakes/FakeUsb.h"
#include "platform/Exceptions.h"

// A card stores writes in any order between flushes: a header that reaches it before the tables it
// names, or a table overwritten before the header that replaced it is stored, leaves a card that
// reads as valid with tables that are not there. Every command that writes a header must flush
// right before it (after the tracks and tables it names) and right after it.
TEST_F(RoutineImport, EveryHeaderIsWrittenBetweenTwoFlushes) {
    const std::string first = Write("first.velk", Mp3Routine(4, 700, "First"));
    const std::string second = Write("second.velk", Mp3Routine(3, 900, "Second"));
    auto importFile = [](const std::string& path) {
        return [path](CVelkDisk& disk) { disk.ImportRoutineFile(path, true); };
    };
    struct Case {
        const char* command;
        int routinesBefore;  // on a formatted card; -1: a card that is not a VELK disk
        std::function<void(CVelkDisk&)> run;
    };
    const Case cases[] = {
        {"format a blank card", -1, [](CVelkDisk& disk) { disk.Format(); }},
        {"format a card with routines", 2, [](CVelkDisk& disk) { disk.Format(); }},
        {"write schedules", 1, [](CVelkDisk& disk) {
             ScheduleEntry schedule;
             schedule.minutes = {5};
             disk.SetSchedules({schedule, schedule});
             disk.WriteTable();
         }},
        {"remove the last routine", 2, [](CVelkDisk& disk) { disk.RemoveLastTrack(); }},
        {"import over the old tables", 1, importFile(second)},
        {"import onto a card that is not a VELK disk", -1, importFile(second)},
    };
    for (const Case& c : cases) {
        CMemoryDevice card(512);
        if (c.routinesBefore >= 0) FormatCard(card);
        for (int i = 0; i < c.routinesBefore; ++i) {
            CVelkDisk disk(card);
            disk.Read();
            disk.ImportRoutineFile(first, true);
        }
        card.writeCalls.clear();
        card.flushes.clear();
        CVelkDisk disk(card);
        disk.Read();
        c.run(disk);

        int headers = 0;
        for (size_t k = 0; k < card.writeCalls.size(); ++k) {
            if (card.writeCalls[k].first != 0) continue;
            ++headers;
            const auto flushedAt = [&card](size_t writes) {
                return std::find(card.flushes.begin(), card.flushes.end(), int(writes)) != card.flushes.end();
            };
            EXPECT_TRUE(flushedAt(k)) << c.command << ": no flush between write " << k << " and the header";
            EXPECT_TRUE(flushedAt(k + 1)) << c.command << ": no flush right after the header (write " << k + 1 << ")";
        }
        EXPECT_GE(headers, 1) << c.command;
    }
}

// A unit knows its card's size only after identify: a command that writes asks for it first, so a
// routine too big for the card is refused before a sector is written; one that reads sends
// exactly what it did before.
TEST_F(RoutineImport, AUnitIsIdentifiedBeforeTheFirstWriteAndOnlyThen) {
    constexpr int kIdentify = 0xA1, kWrite = 0xA2;
    fakeusb::Reset();
    fakeusb::UnitOptions options;
    options.sectorCount = 64;
    fakeusb::AddUnit(options);
    const std::string tooBig = Write("big.velk", Mp3Routine(100, 512));  // about 82 sectors
    auto requests = [](int request) {
        int count = 0;
        for (const auto& event : fakeusb::Transfers())
            count += event.kind == fakeusb::WireEvent::Kind::Control && event.request == request;
        return count;
    };
    struct Case {
        const char* command;
        std::function<void(CVelkDisk&)> run;
        const char* message;
        int identifies;
    };
    const Case cases[] = {
        {"read the card", [](CVelkDisk&) {}, "", 0},
        {"format", [](CVelkDisk& disk) { disk.Format(); }, "", 1},
        {"import a routine bigger than the card",
         [&](CVelkDisk& disk) { disk.ImportRoutineFile(tooBig, true); }, "The card is full", 1},
    };
    for (const Case& c : cases) {
        CUsbSectorDevice unit;
        struct usb_device* record = FindUnitByName("VELK3");
        ASSERT_NE(record, nullptr);
        unit.Open(DeviceEntry{uint64_t(reinterpret_cast<uintptr_t>(record)), "", "VELK3", {}});
        fakeusb::ClearWireLog();
        std::string message;
        {
            CVelkDisk disk(unit);
            disk.Read();
            try {
                c.run(disk);
            } catch (const CUsbDeviceException& e) {
                message = e.what();
            }
        }
        unit.Close();
        EXPECT_EQ(message, c.message) << c.command;
        EXPECT_EQ(requests(kIdentify), c.identifies) << c.command;
        if (*c.message) {
            EXPECT_EQ(requests(kWrite), 0) << c.command << ": nothing may be written";
        }
    }
    fakeusb::Reset();
}

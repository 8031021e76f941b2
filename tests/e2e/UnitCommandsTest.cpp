// The real velk3 against simulated units: the shared fake is preloaded in place of libusb and
// set up from VELK3_FAKE_USB_* variables; the unit's card is an image file the test inspects.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <crypto++/default.h>
#include <crypto++/files.h>
#include <crypto++/filters.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>

#include "devices/ImageFile.h"
#include "e2e/Velk3Process.h"
#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "platform/TempFiles.h"

using testing::HasSubstr;

namespace {

using Outcome = ProcessResult;

class UnitCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ylm-e2e-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        card = dir + "/card.img";
        wireLog = dir + "/wire.log";
    }
    void TearDown() override { std::system(("rm -rf " + dir).c_str()); }

    // velk3 args… with the fake preloaded; stdin is empty, so unanswered questions get No.
    Outcome Velk3(const std::vector<std::string>& args, std::map<std::string, std::string> env = {}) {
        env.emplace("VELK3_FAKE_USB_UNITS", "3:" + card);
        env["LD_PRELOAD"] = FAKE_USB_PRELOAD;
        env["ASAN_OPTIONS"] = "verify_asan_link_order=0";
        env["VELK3_FAKE_USB_WIRE_LOG"] = wireLog;
        return RunVelk3(args, Environment(env.begin(), env.end()));
    }

    // A formatted card image holding `tracks` routines of 20 sectors each.
    void MakeCard(int tracks, uint32_t sectors = 8192) {
        CImageFile::Create(card, sectors);
        CImageFile image;
        image.Open(CImageFile::EntryFor(card));
        {
            CVelkDisk disk(image);
            disk.Read();
            disk.Format();
            for (int i = 0; i < tracks; ++i) {
                TrackEntry track;
                track.SetTitle("Routine " + std::to_string(i + 1));
                track.audioStart = disk.NextFreeSector();
                track.dataStart = track.audioStart + 15;
                track.endSector = track.audioStart + 20;
                disk.AppendTrack(track);
            }
            disk.WriteTable();
        }
        image.Close();
    }

    // The routines the card image holds, or -1 when it is not a readable VELK disk.
    int TracksOnCard() {
        CImageFile image;
        image.Open(CImageFile::EntryFor(card));
        CVelkDisk disk(image);
        disk.Read();
        const int tracks = disk.IsVelkDisk() ? int(disk.GetTracks().size()) : -1;
        image.Close();
        return tracks;
    }

    // A routine file of silence and dataBytes of servo data, packed by velk3.
    std::string PackRoutine(const std::string& title, size_t dataBytes) {
        const std::string audio = dir + "/silence.mp3", data = dir + "/servo.bin", routine = dir + "/r.velk";
        std::ofstream(audio).close();
        std::ofstream(data) << std::string(dataBytes, '\x7f');
        const Outcome packed = Velk3({"pack", routine, "--title", title, "--audio", audio, "--data", data, "--frame-ms",
                                      "20", "--baud", "9600", "--protocol", "0"});
        EXPECT_EQ(packed.exitCode, 0) << packed.err;
        return routine;
    }

    int TransfersLogged() {
        std::ifstream log(wireLog);
        int transfers = 0;
        for (std::string line; std::getline(log, line);) transfers += line.rfind("host ", 0) != 0;
        return transfers;
    }

    std::string dir, card, wireLog;
};

TEST_F(UnitCommandsTest, DevicesListsUnitsAndReportsOnesItCannotUse) {
    MakeCard(0);
    const Outcome listed = Velk3({"devices"}, {{"VELK3_FAKE_USB_UNITS", "3:" + card + ",4:" + card + ":noversion," +
                                                                         "5:" + card + ":denied"}});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "VELK3\tVarnholt Software - VELK v1.20 (3)\n");
    EXPECT_THAT(listed.err, HasSubstr("Unable to access VELK: THIS VERSION OF THE VELK IS NOT SUPPORTED BY THIS VERSION OF VELK MANAGER"));
    EXPECT_THAT(listed.err, HasSubstr("Unable to access VELK: Unable to open device\nThis user may not use the VELK over USB"));

    const Outcome json = Velk3({"devices", "--json"});
    EXPECT_THAT(json.out, HasSubstr("\"kind\": \"unit\""));
    EXPECT_THAT(json.out, HasSubstr("\"name\": \"VELK3\""));
}

// Device numbers are counted per bus: two units may share one, and each is listed and opened by
// a name of its own.
TEST_F(UnitCommandsTest, UnitsSharingADeviceNumberAreListedAndOpenedByTheirOwnNames) {
    MakeCard(2);
    const std::string other = dir + "/other.img";
    std::rename(card.c_str(), other.c_str());
    MakeCard(1);
    const std::string units = "3:" + card + ":bus=1,3:" + other + ":bus=2";
    const Outcome listed = Velk3({"devices"}, {{"VELK3_FAKE_USB_UNITS", units}});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "VELK3-1\tVarnholt Software - VELK v1.20 (3) on bus 1\n"
                          "VELK3-2\tVarnholt Software - VELK v1.20 (3) on bus 2\n");
    for (const auto& [name, holdsTwo] : {std::pair{"VELK3-1", false}, std::pair{"VELK3-2", true}}) {
        const Outcome shown = Velk3({"list", name}, {{"VELK3_FAKE_USB_UNITS", units}});
        EXPECT_EQ(shown.exitCode, 0) << shown.err;
        EXPECT_EQ(shown.out.find("Routine 2") != std::string::npos, holdsTwo) << name << ": " << shown.out;
    }
}

TEST_F(UnitCommandsTest, ListFormatAndRemoveLastWorkOnAUnitsCard) {
    MakeCard(2);
    Outcome listed = Velk3({"list", "VELK3", "--json"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_THAT(listed.out, HasSubstr("Routine 2"));

    const Outcome removed = Velk3({"--yes", "remove-last", "VELK3"});
    EXPECT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(TracksOnCard(), 1);

    const Outcome declined = Velk3({"format", "VELK3"});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_EQ(TracksOnCard(), 1) << "no terminal, no --yes: the answer is No";

    const Outcome formatted = Velk3({"--yes", "format", "VELK3"});
    EXPECT_EQ(formatted.exitCode, 0) << formatted.err;
    EXPECT_EQ(TracksOnCard(), 0);

    const Outcome missing = Velk3({"list", "velk3"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.err, HasSubstr("No VELK unit called velk3"));
}

TEST_F(UnitCommandsTest, BackupAndRestoreWorkOnAUnitsCard) {
    MakeCard(2);
    const std::string backup = dir + "/backup.img";
    const Outcome saved = Velk3({"backup", "VELK3", backup});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    {
        CImageFile image;
        image.Open(CImageFile::EntryFor(backup));
        CVelkDisk disk(image);
        disk.Read();
        EXPECT_EQ(disk.GetTracks().size(), 2u);
    }
    ASSERT_EQ(Velk3({"--yes", "format", "VELK3"}).exitCode, 0);
    EXPECT_EQ(TracksOnCard(), 0);
    const Outcome restored = Velk3({"--yes", "restore", backup, "VELK3"});
    EXPECT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(TracksOnCard(), 2);
}

TEST_F(UnitCommandsTest, SchedulesOnAUnitSetItsClockBeforeReadingTheCard) {
    MakeCard(1);
    const Outcome shown = Velk3({"schedules", "VELK3"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    const std::string log = ReadWholeFile(wireLog);
    const size_t clock = log.find("control 40 A4 0000 0000 len=8 t=5000 -> 8");
    ASSERT_NE(clock, std::string::npos) << log;
    EXPECT_LT(clock, log.find("control 40 A0")) << "the clock is set before the card is read";

    std::remove(wireLog.c_str());
    ASSERT_EQ(Velk3({"list", "VELK3"}).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(wireLog).find("A4"), std::string::npos) << "no other command sets the clock";
}

TEST_F(UnitCommandsTest, InfoShowsTheUnitsIdentifyData) {
    MakeCard(0, 12288);
    const Outcome info = Velk3({"info", "VELK3"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_THAT(info.out, HasSubstr("card:        FAKE CARD - 0000000001\n"));
    EXPECT_THAT(info.out, HasSubstr("sectors:     12288 (6.00 MB)\n"));

    const Outcome image = Velk3({"info", card});
    ASSERT_EQ(image.exitCode, 0) << image.err;
    EXPECT_THAT(image.out, HasSubstr("kind:        image\n"));
    EXPECT_THAT(image.out, HasSubstr("sectors:     12288 (6.00 MB)\n"));
}

// A routine packed on the PC goes onto the unit's card, and an unplug while it is being added
// leaves the card's earlier routines readable.
TEST_F(UnitCommandsTest, AddPutsARoutineOnTheUnitsCard) {
    MakeCard(1);
    const std::string routine = PackRoutine("Unit", 3000);
    const Outcome added = Velk3({"add", "VELK3", routine});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(TracksOnCard(), 2);
    const int transfers = TransfersLogged();
    EXPECT_THAT(Velk3({"list", "VELK3", "--json"}).out, HasSubstr("\"title\": \"Unit\""));

    for (int after = 0; after < transfers; ++after) {
        std::remove(card.c_str());
        MakeCard(1);
        const Outcome cut = Velk3({"add", "VELK3", routine}, {{"VELK3_FAKE_USB_UNPLUG_AFTER", std::to_string(after)}});
        EXPECT_EQ(cut.exitCode, 1) << "unplugged after " << after;
        const int left = TracksOnCard();
        EXPECT_TRUE(left == 1 || left == 2) << "unplugged after " << after << ": " << left;
    }
}

// A card that confirms writes past sector 40 and loses them: add reads back what it wrote, fails
// saying so and leaves the card listing its one routine; --no-verify does not look, and so reports
// success for a routine the card never kept.
TEST_F(UnitCommandsTest, AddOntoACardThatLosesWritesFailsUnlessTold) {
    const std::string routine = PackRoutine("Lost", 30000);
    const std::map<std::string, std::string> forgetful = {{"VELK3_FAKE_USB_UNITS", "3:" + card + ":keep=40"}};
    for (const bool verify : {true, false}) {
        std::remove(card.c_str());
        MakeCard(1);  // its routine ends at sector 21
        std::vector<std::string> args = {"add", "VELK3", routine};
        if (!verify) args.push_back("--no-verify");
        const Outcome added = Velk3(args, forgetful);
        EXPECT_EQ(added.exitCode, verify ? 1 : 0) << added.err;
        if (!verify) continue;
        EXPECT_EQ(TracksOnCard(), 1);
        EXPECT_THAT(added.err, HasSubstr("The card did not keep what was written: sector "));
        EXPECT_THAT(added.err, HasSubstr(" reads back differently. It may be damaged, or smaller than it claims."));
    }
}

// Pulling the unit at any point of a command leaves the card readable with the old or the new
// content: the header is written last.
TEST_F(UnitCommandsTest, AnUnplugInTheMiddleOfACommandLeavesTheCardReadable) {
    MakeCard(3);
    ASSERT_EQ(Velk3({"--yes", "remove-last", "VELK3"}).exitCode, 0);
    const int transfers = TransfersLogged();
    ASSERT_GT(transfers, 6);
    int oldContent = 0, newContent = 0;
    for (int after = 0; after < transfers; ++after) {
        SCOPED_TRACE("unplugged after " + std::to_string(after) + " transfers");
        std::remove(card.c_str());
        MakeCard(3);
        const Outcome cut = Velk3({"--yes", "remove-last", "VELK3"}, {{"VELK3_FAKE_USB_UNPLUG_AFTER", std::to_string(after)}});
        EXPECT_EQ(cut.exitCode, 1) << cut.out;
        EXPECT_THAT(cut.err, testing::ContainsRegex("err=-19|No such device"));
        const int left = TracksOnCard();
        EXPECT_TRUE(left == 3 || left == 2) << left;
        oldContent += left == 3;
        newContent += left == 2;
        EXPECT_EQ(Velk3({"list", "VELK3"}).exitCode, 0);
    }
    EXPECT_GT(oldContent, 0);
    EXPECT_GT(newContent, 0) << "an unplug after the header was written leaves the new content";
    std::printf("unplugged after each of %d transfers: %d times the old content, %d times the new\n", transfers,
                oldContent, newContent);
}

TEST_F(UnitCommandsTest, FirmwareRunsTheUpdateWithItsTextsOnTheTerminal) {
    const std::string image = dir + "/firmware.img";
    const std::string plain(5000, 'x');
    CryptoPP::StringSource(plain, true,
                           new CryptoPP::LegacyEncryptorWithMAC("k27m1x9q4ahzp05wnsd63(&%!QWPLM",
                                                                new CryptoPP::FileSink(image.c_str(), true)));
    const Outcome declined = Velk3({"firmware", image}, {{"VELK3_FAKE_USB_BOOTLOADER", "9"}});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_THAT(declined.err, HasSubstr("6. Press OK below.\nFirmware Update: Continue?\n[y/N] no (no terminal"));
    EXPECT_THAT(declined.err, HasSubstr("Cancelled: nothing was sent to the VELK."));
    EXPECT_EQ(TransfersLogged(), 0) << "without a Yes nothing reaches the bootloader";

    const Outcome updated = Velk3({"--yes", "firmware", image}, {{"VELK3_FAKE_USB_BOOTLOADER", "9"}});
    EXPECT_EQ(updated.exitCode, 0) << updated.err;
    EXPECT_THAT(updated.err, HasSubstr("Firmware Update: We recommend upgrading the VELK firmware only"));
    EXPECT_THAT(updated.err, HasSubstr("Firmware Update: Continue?\n[y/N] yes (--yes)"));
    EXPECT_THAT(updated.err, HasSubstr("Firmware Success: The firmware update was successful. Follow these instructions"));

    const Outcome absent = Velk3({"--yes", "firmware", image});
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_THAT(absent.err, HasSubstr("Firmware Error: Device not found\n"));
    EXPECT_THAT(absent.err, HasSubstr("Firmware Error: The firmware update FAILED. Follow"));

    const Outcome notAnImage = Velk3({"--yes", "firmware", card}, {{"VELK3_FAKE_USB_BOOTLOADER", "9"}});
    EXPECT_EQ(notAnImage.exitCode, 1);
    EXPECT_THAT(notAnImage.err, HasSubstr("Firmware Error: Invalid image file.\n"));
}

}  // namespace

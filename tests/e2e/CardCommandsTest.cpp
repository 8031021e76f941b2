#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "devices/FakeSystem.h"
#include "devices/ImageFile.h"
#include "disk/CardBuilder.h"
#include "disk/VelkDisk.h"
#include "e2e/Velk3Process.h"

namespace {

class Velk3Card : public ::testing::Test {
protected:
    Velk3Card() : m_image(CreateTempFile()) { std::filesystem::remove(m_image); }
    ~Velk3Card() override { std::filesystem::remove(m_image); }

    // An image holding n routines, written through the core as the window would leave it.
    void MakeCard(int tracks, uint64_t sectors = 8192) {
        CImageFile::Create(m_image, sectors);
        CImageFile device;
        device.Open(CImageFile::EntryFor(m_image));
        CVelkDisk disk(device);
        disk.Read();
        for (auto t : MakeTracks(tracks, 2048, 3)) {
            t.baudCode = 5;
            t.protocolCode = 16;
            disk.AppendTrack(t);
        }
        disk.WriteTable();
        device.Close();
    }
    nlohmann::json ListJson() {
        const ProcessResult r = RunVelk3({"list", m_image, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return nlohmann::json::parse(r.out);
    }
    std::vector<uint8_t> Bytes() {
        std::ifstream in(m_image, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string m_image;
};

TEST_F(Velk3Card, ImageCreateMakesAFormattedCardOfTheGivenSize) {
    const ProcessResult r = RunVelk3({"image", "create", m_image, "--size", "2M"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::filesystem::file_size(m_image), 2u << 20);
    const auto card = ListJson();
    EXPECT_EQ(card["velk"], true);
    EXPECT_EQ(card["mode"], 0);
    EXPECT_TRUE(card["tracks"].empty());
    EXPECT_TRUE(card["schedules"].empty());
    EXPECT_EQ(card["device"], m_image);
}

TEST_F(Velk3Card, ListShowsTheRoutinesAsTheWindowDoes) {
    MakeCard(2);
    const auto card = ListJson();
    ASSERT_EQ(card["tracks"].size(), 2u);
    const auto& t = card["tracks"][1];
    EXPECT_EQ(t["track"], 1);
    EXPECT_EQ(t["title"], "Track 1");
    EXPECT_EQ(t["size_mb"], "1.00");
    EXPECT_EQ(t["baud"], "DMX");
    EXPECT_EQ(t["protocol"], "SSC32 Compatible");
    EXPECT_EQ(t["baud_code"], 5);
    EXPECT_EQ(t["protocol_code"], 16);
    EXPECT_EQ(t["frame_ms"], 21);
    EXPECT_EQ(t["audio_start"], 2052);
    EXPECT_EQ(t["data_start"], 4100);
    EXPECT_EQ(t["end_sector"], 4103);

    const ProcessResult plain = RunVelk3({"list", m_image});
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_NE(plain.out.find("Track  Title    Size (MB)  Baud Rate (bps)  Frame Rate (ms)  Protocol"), std::string::npos)
        << plain.out;
    EXPECT_NE(plain.out.find("Track 1  1.00       DMX"), std::string::npos) << plain.out;
}

TEST_F(Velk3Card, SchedulesAreAddedSetAndRemoved) {
    MakeCard(3, 8192);
    ASSERT_EQ(RunVelk3({"schedules", m_image, "add"}).exitCode, 0);
    ProcessResult r = RunVelk3({"schedules", m_image, "set", "0", "--track", "9", "--minutes", "5,1,5,3", "--hours",
                                "1-5", "--weekdays", "0", "--days", "99", "--months", "*"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(RunVelk3({"schedules", m_image, "add", "--track", "-4", "--hours", "08, 09"}).exitCode, 0);
    auto schedules = ListJson()["schedules"];
    ASSERT_EQ(schedules.size(), 2u);
    EXPECT_EQ(schedules[0]["track"], 2) << "pulled down to the last track";
    EXPECT_EQ(schedules[0]["minutes"], "1, 3, 5");
    EXPECT_EQ(schedules[0]["hours"], "1, 5");
    EXPECT_EQ(schedules[0]["weekdays"], "1");
    EXPECT_EQ(schedules[0]["days_of_month"], "31");
    EXPECT_EQ(schedules[0]["months"], "*");
    EXPECT_EQ(schedules[1]["track"], 0);
    EXPECT_EQ(schedules[1]["hours"], "8, 9");

    ASSERT_EQ(RunVelk3({"schedules", m_image, "remove", "0"}).exitCode, 0);
    schedules = ListJson()["schedules"];
    ASSERT_EQ(schedules.size(), 1u);
    EXPECT_EQ(schedules[0]["hours"], "8, 9");

    r = RunVelk3({"schedules", m_image, "remove", "5"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("There is no schedule 5"), std::string::npos) << r.err;
}

TEST_F(Velk3Card, SchedulesNextListsTheComingPlaysAndTheListingNotesEachSchedule) {
    MakeCard(3);
    const std::vector<std::string> added[] = {{"--track", "2", "--minutes", "5", "--hours", "14"},
                                              {"--minutes", "5", "--hours", "14, 15"},
                                              {"--days", "31", "--months", "4"}};
    for (const auto& fields : added) {
        std::vector<std::string> args{"schedules", m_image, "add"};
        args.insert(args.end(), fields.begin(), fields.end());
        ASSERT_EQ(RunVelk3(args).exitCode, 0);
    }

    ProcessResult r = RunVelk3({"schedules", m_image, "next", "--from", "2026-12-09 14:05", "--count", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "2026-12-09 14:05  track 2  Track 2  (schedule 0)\n"
                     "2026-12-09 14:05  track 0  Track 0  (schedule 1)\n"
                     "2026-12-09 15:05  track 0  Track 0  (schedule 1)\n");
    r = RunVelk3({"schedules", m_image, "next", "--from", "2026-12-31 23:00", "--count", "1", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json::parse(R"({"plays": [{"time": "2027-01-01T14:05", "track": 2,
                                                                       "title": "Track 2", "schedule": 0}]})"));

    r = RunVelk3({"schedules", m_image});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Months  Notes\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("*       same minute as schedule 1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("4       never plays\n"), std::string::npos) << r.out;
    const auto listed = nlohmann::json::parse(RunVelk3({"schedules", m_image, "--json"}).out)["schedules"];
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[1]["same_minute"], nlohmann::json::array({0}));
    EXPECT_EQ(listed[1]["same_minute_count"], 1);
    EXPECT_EQ(listed[2]["never_plays"], true);
    EXPECT_EQ(listed[2]["no_such_routine"], false);
    EXPECT_EQ(listed[2]["same_minute"], nlohmann::json::array());
}

TEST_F(Velk3Card, SchedulesNextRefusesAWrongStartOrCountInOneLine) {
    MakeCard(1);
    const std::vector<std::string> wrong[] = {{"--from", "2026-02-29 10:00"}, {"--from", "tomorrow"},
                                              {"--count", "0"}, {"--count", "ten"}, {"--count", "10000000"}};
    for (const auto& option : wrong) {
        const ProcessResult r = RunVelk3({"schedules", m_image, "next", option[0], option[1]});
        EXPECT_EQ(r.exitCode, 2) << option[1];
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(option[0]), std::string::npos) << r.err;
    }
}

TEST_F(Velk3Card, RemoveLastDropsTheRoutineAndItsSchedules) {
    MakeCard(2);
    ASSERT_EQ(RunVelk3({"schedules", m_image, "add", "--track", "1"}).exitCode, 0);
    const ProcessResult r = RunVelk3({"--yes", "remove-last", m_image});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Are you sure you want to remove the last track?"), std::string::npos);
    const auto card = ListJson();
    EXPECT_EQ(card["tracks"].size(), 1u);
    EXPECT_TRUE(card["schedules"].empty());
}

// Questions that destroy data are answered No without a terminal, and nothing is written.
TEST_F(Velk3Card, DestructiveCommandsNeedYes) {
    MakeCard(1);
    const auto before = Bytes();
    struct Case {
        std::vector<std::string> args;
        const char* question;
    };
    const Case cases[] = {
        {{"format", m_image}, "Are you sure you want to format the disk?"},
        {{"remove-last", m_image}, "Are you sure you want to remove the last track?"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunVelk3(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_NE(r.err.find(c.question), std::string::npos) << r.err;
        EXPECT_EQ(Bytes(), before) << c.args[0];
    }
}

TEST_F(Velk3Card, FormattingAForeignCardAsksTheLongQuestion) {
    {
        std::ofstream out(m_image, std::ios::binary);
        const std::string junk(64 * 512, 'x');
        out << junk;
    }
    const ProcessResult r = RunVelk3({"format", m_image, "--yes"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("This drive must be formatted as an VELK disk and will DELETE ALL DATA.\n\nDo you wish to continue?"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ListJson()["velk"], true);
}

TEST_F(Velk3Card, FailuresAndUsageHaveTheirExitStatus) {
    MakeCard(0);
    struct Case {
        std::vector<std::string> args;
        int exit;
        const char* says;
    };
    const Case cases[] = {
        {{"remove-last", "--yes", m_image}, 1, "Too few tracks"},
        {{"schedules", m_image, "add"}, 1, "no routine"},
        {{"list", "/dev/null"}, 1, "is not a block device"},
        {{"list", "no-such-device-here"}, 1, "No device called no-such-device-here"},
        {{"frobnicate"}, 2, ""},
        {{"list"}, 2, "DEVICE"},
        {{"image", "create", m_image + ".new", "--size", "1000"}, 2, "512-byte sectors"},
        {{"image", "create", m_image, "--size", "1M"}, 1, "File exists"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunVelk3(c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args[0] << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

TEST(Velk3Devices, ListsTheQualifyingDrivesAsJson) {
    CFakeSystem sys;
    sys.AddDisk("sdb", "8:16", 3905536, true);
    sys.AddDisk("sda", "8:0", 3905536, false);
    const auto paths = sys.Paths();
    const ProcessResult r = RunVelk3({"devices", "--json"}, {{"VELK3_SYS_ROOT", paths.sysRoot},
                                                             {"VELK3_PROC_ROOT", paths.procRoot}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto list = nlohmann::json::parse(r.out);
    ASSERT_GE(list.size(), 1u);
    EXPECT_EQ(list[0]["kind"], "drive");
    EXPECT_EQ(list[0]["name"], "sdb");
    EXPECT_EQ(list[0]["description"], "sdb (1907.00MB) ()");
    for (const auto& d : list) EXPECT_NE(d["name"], "sda");
}

}  // namespace

namespace {

// The disk the system runs on is refused even with --allow-fixed. Any block node of this machine
// stands in for it, described by a fake system tree as mounted at /.
TEST(Velk3Devices, RefusesTheSystemDiskAlways) {
    std::string node;
    struct stat st {};
    for (const auto& entry : std::filesystem::directory_iterator("/dev"))
        if (::stat(entry.path().c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
            node = entry.path().string();
            break;
        }
    if (node.empty()) GTEST_SKIP() << "no block device node in /dev";
    CFakeSystem sys;
    const std::string dev = std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    sys.AddDisk("sysdisk", dev, 2048, true);
    sys.Mount(dev, "/dev/sysdisk", "/");
    const auto paths = sys.Paths();
    const Environment env = {{"VELK3_SYS_ROOT", paths.sysRoot}, {"VELK3_PROC_ROOT", paths.procRoot}};
    for (const auto& args : {std::vector<std::string>{"list", node}, {"--allow-fixed", "--yes", "format", node}}) {
        const ProcessResult r = RunVelk3(args, env);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("holds the running system"), std::string::npos) << r.err;
    }
}

}  // namespace

namespace {

// velk3 pack writes OUT.part and renames it: a link planted under that name (or a partial file
// left by an interrupted pack) must never carry the write to another file.
TEST(Velk3Pack, WritesItsPartialFileAfreshNeverThroughALink) {
    const std::string dir = CreateTempFile();
    std::filesystem::remove(dir);
    std::filesystem::create_directory(dir);
    const std::string audio = dir + "/silence.mp3", routine = dir + "/r.velk", victim = dir + "/victim";
    std::ofstream(audio).close();
    std::ofstream(victim) << "keep";
    std::filesystem::create_symlink(victim, routine + ".part");
    const ProcessResult r = RunVelk3(
        {"pack", routine, "--title", "T", "--audio", audio, "--frame-ms", "20", "--baud", "9600", "--protocol", "0"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadWholeFile(victim), "keep");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(routine)));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(routine + ".part")));
    std::filesystem::remove_all(dir);
}

}  // namespace

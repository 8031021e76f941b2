// velk3 remove, move, replace, rename and export as a user runs them, on card image files: the
// questions on standard error, wrong input as one line with exit status 1, and a saved routine that
// adds back as the same routine.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "devices/ImageFile.h"
#include "disk/RoutineFixture.h"
#include "e2e/Velk3Process.h"

namespace {

class Velk3Edit : public RoutineImport {
protected:
    // A card image holding the routines "One", "Two" and "Three", and a schedule for "Two".
    std::string MakeCard(const std::string& name) {
        const std::string path = temp.File(name);
        CImageFile::Create(path, 4096);
        CImageFile image;
        image.Open(CImageFile::EntryFor(path));
        CVelkDisk disk(image);
        disk.Read();
        disk.Format();
        for (const auto& [frames, title] : {std::pair{12, "One"}, std::pair{30, "Two"}, std::pair{5, "Three"}})
            disk.ImportRoutineFile(Write(std::string(title) + ".velk", Mp3Routine(frames, 1000, title)), true);
        std::vector<ScheduleEntry> schedules(1);
        schedules[0].trackIndex = 1;
        disk.SetSchedules(schedules);
        disk.WriteTable();
        image.Close();
        return path;
    }
    static nlohmann::json Tracks(const std::string& card) {
        const ProcessResult listed = RunVelk3({"list", card, "--json"});
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        return nlohmann::json::parse(listed.out)["tracks"];
    }
    static std::vector<std::string> Titles(const std::string& card) {
        std::vector<std::string> titles;
        for (const auto& track : Tracks(card)) titles.push_back(track["title"]);
        return titles;
    }
};

TEST_F(Velk3Edit, EachCommandAsksFirstAndWrongInputIsOneLineWithTheCardUntouched) {
    const std::string card = MakeCard("card.img");
    const Bytes before = ReadAll(card);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;  // contained in standard error
    };
    const Case refused[] = {
        {{"remove", card, "1"}, 1, "Remove routine 1 \"Two\" and its 1 schedule?\n[y/N] no"},
        {{"--yes", "remove", card, "9"}, 1, "The card holds 3 routines: there is no routine 9.\n"},
        {{"--yes", "move", card, "1", "1"}, 1, "Routine 1 is at place 1 already: there is nothing to move.\n"},
        {{"--yes", "rename", card, "0", "Sixteen bytes!!!"}, 1, "A title holds at most 15 bytes; \"Sixteen bytes!!!\" has 16.\n"},
        {{"--yes", "remove", card, "-1"}, 2, "TRACK"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.args[1] + " " + c.args.back());
        const ProcessResult r = RunVelk3(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_TRUE(ReadAll(card) == before);
    }

    const ProcessResult moved = RunVelk3({"--yes", "move", card, "2", "0"});
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    EXPECT_NE(moved.err.find("Move routine 2 \"Three\" to place 0?\n[y/N] yes (--yes)"), std::string::npos) << moved.err;
    EXPECT_NE(moved.out.find("Three"), std::string::npos) << "the card is listed";
    ASSERT_EQ(RunVelk3({"--yes", "rename", card, "1", "First"}).exitCode, 0);
    ASSERT_EQ(RunVelk3({"--yes", "replace", card, "2", temp.File("One.velk")}).exitCode, 0);
    ASSERT_EQ(RunVelk3({"--yes", "remove", card, "0"}).exitCode, 0);
    EXPECT_EQ(Titles(card), (std::vector<std::string>{"First", "One"}));
    EXPECT_EQ(Tracks(card)[1]["audio_start"], Tracks(card)[0]["end_sector"]);
}

TEST_F(Velk3Edit, ExportWritesARoutineFileThatAddsBackAndReplacesAFileOnlyAfterYes) {
    const std::string card = MakeCard("card.img"), out = temp.File("saved.velk");
    const ProcessResult saved = RunVelk3({"export", card, "1", out});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_EQ(saved.out, out + ": \"Two\", audio 12525 bytes (MP3), data 1024 bytes\n");

    const std::string again = temp.File("again.img");
    ASSERT_EQ(RunVelk3({"image", "create", again, "--size", "1M"}).exitCode, 0);
    ASSERT_EQ(RunVelk3({"add", again, out}).exitCode, 0);
    nlohmann::json original = Tracks(card)[1], added = Tracks(again)[0];
    for (auto* track : {&original, &added})
        for (const char* sector : {"audio_start", "data_start", "end_sector", "track"}) track->erase(sector);
    EXPECT_EQ(added, original);

    const Bytes file = ReadAll(out);
    const ProcessResult kept = RunVelk3({"export", card, "0", out});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_NE(kept.err.find(out + " exists already.\n\nReplace it?\n[y/N] no"), std::string::npos) << kept.err;
    EXPECT_TRUE(ReadAll(out) == file);
    ASSERT_EQ(RunVelk3({"--yes", "export", card, "0", out}).exitCode, 0);
    EXPECT_FALSE(ReadAll(out) == file);
}

}  // namespace

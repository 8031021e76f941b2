// velk3 pack, add and list as a user runs them, on card image files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "AudioFixtures.h"
#include "e2e/Velk3Process.h"
#include "disk/RoutineFile.h"
#include "platform/ByteOrder.h"

namespace {

class Velk3Add : public ::testing::Test {
protected:
    // Arguments as one text split at blanks (no argument holds a blank).
    const ProcessResult& Velk3(const std::string& arguments) {
        std::vector<std::string> args;
        std::istringstream words(arguments);
        for (std::string word; words >> word;) args.push_back(word);
        m_last = RunVelk3(args);
        return m_last;
    }
    const std::string& Errors() const { return m_last.err; }
    ProcessResult m_last;
    CTestTempDir temp;
};

}  // namespace

TEST_F(Velk3Add, PacksAddsAndListsRoutinesFromWavAndMp3) {
    WriteWav(temp.File("tone.wav"), MakeTones(48000, 2, 1.0));
    WriteMp3(temp.File("tone.mp3"), MakeTones(44100, 2, 1.0), 128);
    WriteAll(temp.File("servo.bin"), std::vector<uint8_t>(2000, 0x7F));
    const std::string card = temp.File("card.img");

    struct Pack {
        const char* file;
        const char* arguments;
        uint32_t format;
    };
    const Pack packs[] = {
        {"wav.velk", "--title Wave --audio tone.wav --data servo.bin --frame-ms 20 --baud 9600 --protocol 0 --channels 1,0",
         RoutineHeader::kOtherFormat},
        {"mp3.velk", "--title Mp3 --audio tone.mp3 --frame-ms 30 --baud DMX --protocol 5 --settings 0102ff", RoutineHeader::kMp3Format},
    };
    for (const Pack& p : packs) {
        std::string arguments = std::string("pack ") + temp.File(p.file) + " " + p.arguments;
        for (const char* name : {"tone.wav", "tone.mp3", "servo.bin"}) {
            const std::string from = std::string(" ") + name, to = " " + temp.File(name);
            if (size_t at = arguments.find(from); at != std::string::npos) arguments.replace(at, from.size(), to);
        }
        ASSERT_EQ(Velk3(arguments).exitCode, 0) << Errors();
        const auto bytes = ReadAll(temp.File(p.file));
        ASSERT_GE(bytes.size(), RoutineHeader::kSize);
        const RoutineHeader header = RoutineHeader::Decode(bytes.data());
        EXPECT_EQ(header.audioFormat, p.format) << p.file;
        EXPECT_EQ(header.FileSize(), bytes.size()) << p.file;
    }

    ASSERT_EQ(Velk3("image create " + card + " --size 4M").exitCode, 0) << Errors();
    const ProcessResult add = Velk3("add " + card + " " + temp.File("wav.velk") + " " + temp.File("mp3.velk"));
    ASSERT_EQ(add.exitCode, 0) << Errors();
    EXPECT_NE(add.out.find("Wave"), std::string::npos) << add.out;
    EXPECT_NE(Errors().find("Converting Audio"), std::string::npos) << "status texts reach the terminal";

    const ProcessResult list = Velk3("list " + card + " --json");
    ASSERT_EQ(list.exitCode, 0) << Errors();
    const auto json = nlohmann::json::parse(list.out);
    ASSERT_EQ(json["tracks"].size(), 2u) << list.out;
    const auto& wave = json["tracks"][0];
    EXPECT_EQ(wave["title"], "Wave");
    EXPECT_EQ(wave["baud"], "9600");
    EXPECT_EQ(wave["frame_ms"], 20);
    EXPECT_EQ(wave["protocol"], "MiniSSC Compatible");
    EXPECT_EQ(wave["end_sector"].get<int>() - wave["data_start"].get<int>(), 4);  // 2000 data bytes
    const auto& mp3 = json["tracks"][1];
    EXPECT_EQ(mp3["title"], "Mp3");
    EXPECT_EQ(mp3["baud"], "DMX");
    EXPECT_EQ(mp3["protocol"], "DMX Compatible");
    EXPECT_EQ(mp3["audio_start"], wave["end_sector"]);
    const auto mp3Bytes = ReadAll(temp.File("tone.mp3")).size();
    EXPECT_EQ(mp3["data_start"].get<size_t>() - mp3["audio_start"].get<size_t>(), (mp3Bytes + 511) / 512)
        << "MP3 the unit plays is stored as it is";
}

TEST_F(Velk3Add, AsksBeforeTakingOverACardThatIsNotAVelkDisk) {
    WriteAll(temp.File("servo.bin"), std::vector<uint8_t>(100, 1));
    WriteAll(temp.File("empty.mp3"), {});
    ASSERT_EQ(Velk3("pack " + temp.File("r.velk") + " --title Data --audio " + temp.File("empty.mp3") + " --data " +
                    temp.File("servo.bin") + " --frame-ms 10 --baud 2 --protocol 1")
                  .exitCode,
              0)
        << Errors();
    const std::vector<uint8_t> foreign(1 << 20, 0x33);
    WriteAll(temp.File("foreign.img"), foreign);

    EXPECT_EQ(Velk3("add " + temp.File("foreign.img") + " " + temp.File("r.velk")).exitCode, 1);
    EXPECT_NE(Errors().find("This drive must be formatted as an VELK disk and will DELETE ALL DATA."), std::string::npos)
        << Errors();
    EXPECT_TRUE(ReadAll(temp.File("foreign.img")) == foreign) << "answered No: nothing written";

    ASSERT_EQ(Velk3("--yes add " + temp.File("foreign.img") + " " + temp.File("r.velk")).exitCode, 0) << Errors();
    const auto json = nlohmann::json::parse(Velk3("list " + temp.File("foreign.img") + " --json").out);
    ASSERT_EQ(json["tracks"].size(), 1u);
    EXPECT_EQ(json["tracks"][0]["title"], "Data");
}

TEST_F(Velk3Add, PackRefusesWrongUsageWithStatus2) {
    WriteWav(temp.File("mono.wav"), MakeTones(44100, 1, 0.2));
    const std::string base = "pack " + temp.File("x.velk") + " --audio " + temp.File("mono.wav") + " --frame-ms 20 --protocol 0 ";
    const char* cases[] = {
        "--title SixteenCharacter --baud 9600",
        "--title T --baud 1234",
        "--title T --baud 9600 --channels 0,1",  // a mono source has channel 0 only
        "--title T --baud 9600 --settings 0g",
    };
    for (const char* c : cases) {
        EXPECT_EQ(Velk3(base + c).exitCode, 2) << c << "\n" << Errors();
        EXPECT_FALSE(std::ifstream(temp.File("x.velk")).good()) << c;
    }
    ASSERT_EQ(Velk3(base + "--title T --baud 9600").exitCode, 0) << Errors();
    const RoutineHeader header = RoutineHeader::Decode(ReadAll(temp.File("x.velk")).data());
    EXPECT_EQ(header.firstChannel, 0u);
    EXPECT_EQ(header.secondChannel, 0u) << "mono: both sides from channel 0";
}

// A file that fails after others were added: the user learns which are on the card already (and
// sees the card), so that running the command again does not add them twice by surprise.
TEST_F(Velk3Add, AFailureAfterSomeFilesSaysWhichWereAddedAndListsTheCard) {
    WriteAll(temp.File("servo.bin"), std::vector<uint8_t>(100, 1));
    WriteAll(temp.File("empty.mp3"), {});
    for (const char* name : {"a.velk", "b.velk"})
        ASSERT_EQ(Velk3("pack " + temp.File(name) + " --title " + name + " --audio " + temp.File("empty.mp3") +
                        " --data " + temp.File("servo.bin") + " --frame-ms 10 --baud 2 --protocol 1")
                      .exitCode,
                  0)
            << Errors();
    WriteAll(temp.File("broken.velk"), std::vector<uint8_t>(10, 3));
    ASSERT_EQ(Velk3("image create " + temp.File("card.img") + " --size 1M").exitCode, 0) << Errors();

    const ProcessResult& r = Velk3("add " + temp.File("card.img") + " " + temp.File("a.velk") + " " +
                                   temp.File("b.velk") + " " + temp.File("broken.velk"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Added before the failure:\n  " + temp.File("a.velk") + " as track 0\n  " +
                         temp.File("b.velk") + " as track 1\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("Error reading file"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("b.velk"), std::string::npos) << "the card is listed: " << r.out;
}

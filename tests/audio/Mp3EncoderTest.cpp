#include <gtest/gtest.h>

#include <cstdio>

#include "AudioFixtures.h"
#include "audio/Mp3Encoder.h"
#include "audio/Mp3Frames.h"

namespace {

// Joint-stereo 128 kbit/s keeps pure tones well above this; a channel swap, a lost chunk or samples
// taken from the wrong half of a frame fall far below it.
constexpr double kMinSnrDb = 20.0;
// LAME's start-up delay plus the decoder's is 1105 samples; allow more, never less.
constexpr int kMaxDelay = 3000;

// Walks the whole file with the unit's frame test.
void ExpectOnlyPlayableFrames(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::rewind(f);
    uint32_t copied = 0;
    EXPECT_TRUE(ReadMp3Frames(f, uint32_t(size), nullptr, &copied)) << path;
    EXPECT_EQ(copied, uint32_t(size)) << "no tags, nothing but frames";
    std::fclose(f);
}

}  // namespace

TEST(Mp3Encoder, EncodesBothChannelsIntoFramesTheUnitPlays) {
    CTestTempDir temp;
    const PcmAudio source = MakeTones(44100, 2, 1.5);
    const std::vector<int16_t> left = source.Channel(0), right = source.Channel(1);

    enum class Feed { Encode, WriteChannels };
    for (Feed feed : {Feed::Encode, Feed::WriteChannels}) {
        const std::string path = temp.File(feed == Feed::Encode ? "encode.mp3" : "channels.mp3");
        CMp3Encoder encoder;
        ASSERT_TRUE(encoder.Create(path));
        // Odd pieces, so chunks are gathered across calls.
        constexpr size_t kPiece = 1000;
        for (size_t at = 0; at < left.size(); at += kPiece) {
            const uint32_t n = uint32_t(std::min(kPiece, left.size() - at));
            if (feed == Feed::Encode) {
                std::vector<uint32_t> frames(n);
                for (uint32_t i = 0; i < n; ++i) frames[i] = uint16_t(left[at + i]) | uint32_t(uint16_t(right[at + i])) << 16;
                EXPECT_TRUE(encoder.Encode(frames.data(), n));
            } else {
                // WriteChannels puts its first array in the high half: the second channel.
                std::vector<int32_t> first(right.begin() + long(at), right.begin() + long(at + n));
                std::vector<int32_t> second(left.begin() + long(at), left.begin() + long(at + n));
                EXPECT_TRUE(encoder.WriteChannels(first.data(), second.data(), n));
            }
        }
        EXPECT_TRUE(encoder.Encode(nullptr, 0));
        ASSERT_TRUE(encoder.Close());
        EXPECT_FALSE(encoder.Failed());
        ExpectOnlyPlayableFrames(path);

        const PcmAudio decoded = DecodeFile(path);
        ASSERT_EQ(decoded.sampleRate, 44100);
        ASSERT_EQ(decoded.channels, 2);
        int leftLag = 0, rightLag = 0;
        const double leftSnr = SnrAfterDelay(left, decoded.Channel(0), kMaxDelay, &leftLag);
        const double rightSnr = SnrAfterDelay(right, decoded.Channel(1), kMaxDelay, &rightLag);
        EXPECT_GE(leftSnr, kMinSnrDb);
        EXPECT_GE(rightSnr, kMinSnrDb);
        EXPECT_EQ(leftLag, rightLag);
        EXPECT_LT(SnrAfterDelay(left, decoded.Channel(1), kMaxDelay), 3.0) << "channels swapped";
        RecordProperty(feed == Feed::Encode ? "snr_db" : "snr_db_write_channels", std::to_string(leftSnr) + " " + std::to_string(rightSnr));
    }
}

TEST(Mp3Encoder, CloseRightAfterCreateFinishesAnEmptyStream) {
    CTestTempDir temp;
    CMp3Encoder encoder;
    ASSERT_TRUE(encoder.Create(temp.File("empty.mp3")));
    EXPECT_TRUE(encoder.Close());
    ExpectOnlyPlayableFrames(temp.File("empty.mp3"));
}

TEST(Mp3Encoder, SaysWhyItCannotCreateTheFileAndReturnsFalse) {
    CTestTempDir temp;
    CMp3Encoder encoder;
    EXPECT_FALSE(encoder.Create(temp.File("missing-folder/out.mp3")));
    EXPECT_EQ(encoder.Failure(), "Error creating file\n");
    EXPECT_TRUE(encoder.Encode(nullptr, 0));
}

TEST(Mp3Encoder, AFullDiskIsReportedAndMarksTheStreamFailed) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full here";
    std::fclose(full);
    CMp3Encoder encoder;
    ASSERT_TRUE(encoder.Create("/dev/full"));
    const PcmAudio source = MakeTones(44100, 2, 1.0);
    std::vector<uint32_t> frames(source.Frames());
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i] = uint16_t(source.samples[2 * i]) | uint32_t(uint16_t(source.samples[2 * i + 1])) << 16;
    EXPECT_TRUE(encoder.Encode(frames.data(), uint32_t(frames.size())));  // goes on after failed chunks
    EXPECT_FALSE(encoder.Close());
    EXPECT_TRUE(encoder.Failed());
    EXPECT_TRUE(encoder.Failure() == "fwrite error" || encoder.Failure() == "Output file write error") << encoder.Failure();
}

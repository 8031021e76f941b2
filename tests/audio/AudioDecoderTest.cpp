#include <gtest/gtest.h>

#include <cmath>

#include "AudioFixtures.h"
#include "audio/AudioDecoder.h"
#include "audio/Mp3Encoder.h"
#include "support/RecordingPrompt.h"

namespace {

std::vector<int16_t> ReadEverything(CAudioDecoder& decoder) {
    std::vector<int16_t> samples;
    std::vector<int32_t> piece(1024);
    uint32_t n;
    while ((n = decoder.Read(piece.data(), uint32_t(piece.size()))) > 0) samples.insert(samples.end(), piece.begin(), piece.begin() + n);
    return samples;
}

// The channel's tone as it should come out at 44100 Hz.
std::vector<int16_t> ExpectedTone(int channel, size_t frames) {
    std::vector<int16_t> tone(frames);
    for (size_t i = 0; i < frames; ++i) tone[i] = int16_t(std::lround(ToneValue(channel, double(i) / 44100)));
    return tone;
}

}  // namespace

// Every row decodes one channel of a source; the samples must be that channel's tone at 44100 Hz
// (bit-exact when nothing needs converting), never a neighbour's.
TEST(AudioDecoder, DecodesTheChosenChannelToMono44100) {
    CTestTempDir temp;
    CRecordingPrompt prompt;
    struct Case {
        const char* name;
        int rate, channels;
        bool mp3;
        uint32_t channel;
        bool exact;
        double minSnrDb;
    };
    const Case cases[] = {
        {"mono", 44100, 1, false, 0, true, 0},
        {"stereo left", 44100, 2, false, 0, true, 0},
        {"stereo right", 44100, 2, false, 1, true, 0},
        {"four channels, the last", 44100, 4, false, 3, true, 0},
        {"48 kHz resampled", 48000, 2, false, 1, false, 30},
        {"MP3 source", 44100, 2, true, 1, false, 20},
    };
    constexpr double kSeconds = 0.5;
    for (const Case& c : cases) {
        const std::string path = temp.File(std::string(c.name) + (c.mp3 ? ".mp3" : ".wav"));
        const PcmAudio source = MakeTones(c.rate, c.channels, kSeconds);
        if (c.mp3) WriteMp3(path, source, 128);
        else WriteWav(path, source);

        CAudioDecoder decoder;
        ASSERT_TRUE(decoder.Open(path, c.channel)) << c.name;
        EXPECT_EQ(temp.TempFileCount(), 1) << c.name << ": the sample file";
        const uint32_t length = decoder.GetLength();
        const std::vector<int16_t> samples = ReadEverything(decoder);
        EXPECT_EQ(samples.size(), length) << c.name;
        const std::vector<int16_t> want = ExpectedTone(int(c.channel), size_t(kSeconds * 44100));
        if (c.exact) {
            EXPECT_EQ(samples, want) << c.name;
        } else {
            EXPECT_NEAR(double(length), kSeconds * 44100, 3000) << c.name;
            EXPECT_GE(SnrAfterDelay(want, samples, 3000), c.minSnrDb) << c.name;
        }
        decoder.Close();
        EXPECT_EQ(temp.TempFileCount(), 0) << c.name << ": Close removes the sample file";
        EXPECT_EQ(decoder.GetLength(), 0u) << c.name;
    }
    EXPECT_TRUE(prompt.messages.empty());
}

TEST(AudioDecoder, ReadReturnsWhatIsLeftThenNothingAndSeekLandsOnASample) {
    CTestTempDir temp;
    CAudioDecoder decoder;
    EXPECT_EQ(decoder.GetLength(), 0u);
    PcmAudio source{44100, 1, std::vector<int16_t>(2048 + 1000)};
    for (size_t i = 0; i < source.samples.size(); ++i) source.samples[i] = int16_t(i * 5 - 7000);
    WriteWav(temp.File("ramp.wav"), source);
    ASSERT_TRUE(decoder.Open(temp.File("ramp.wav"), 0));
    EXPECT_EQ(decoder.GetLength(), 3048u);
    std::vector<int32_t> buffer(1024);
    EXPECT_EQ(decoder.Read(buffer.data(), 1024), 1024u);
    EXPECT_EQ(buffer[0], -7000);  // sign kept when widened
    EXPECT_EQ(decoder.Read(buffer.data(), 1024), 1024u);
    EXPECT_EQ(decoder.Read(buffer.data(), 1024), 1000u);
    EXPECT_EQ(buffer[999], int32_t(int16_t(3047 * 5 - 7000)));
    EXPECT_EQ(decoder.Read(buffer.data(), 1024), 0u);
    EXPECT_TRUE(decoder.Seek(10));
    EXPECT_EQ(decoder.Read(buffer.data(), 1), 1u);
    EXPECT_EQ(buffer[0], 10 * 5 - 7000);
    EXPECT_FALSE(decoder.Seek(-1));
}

// Open's refusals: each shows one message (or none for a missing file), gives false and leaves no
// temporary file behind.
TEST(AudioDecoder, RefusesWhatItCannotDecodeWithTheUsersMessage) {
    CTestTempDir temp;
    WriteWav(temp.File("mono.wav"), MakeTones(44100, 1, 0.1));
    WriteAll(temp.File("subtitles.srt"), {'1', '\n', '0', '0', ':', '0', '0', ':', '0', '0', ',', '0', '0', '0', ' ', '-', '-',
                                          '>', ' ', '0', '0', ':', '0', '0', ':', '0', '1', ',', '0', '0', '0', '\n',
                                          'H', 'i', '\n', '\n'});
    WriteAll(temp.File("noise.bin"), std::vector<uint8_t>(64, 0x00));
    // Files that name other files: what they would decode is not theirs.
    WriteMp3(temp.File("tone.mp3"), MakeTones(44100, 2, 0.1), 128);
    const auto writeText = [&](const char* name, const std::string& text) {
        WriteAll(temp.File(name), std::vector<uint8_t>(text.begin(), text.end()));
        return temp.File(name);
    };
    struct Case {
        const char* name;
        std::string path;
        uint32_t channel;
        std::vector<std::string> messages;  // text; caption checked below
        MessageIcon icon;
    };
    const Case cases[] = {
        {"channel out of range", temp.File("mono.wav"), 1, {"Invalid channel selection"}, MessageIcon::Warning},
        {"no audio stream", temp.File("subtitles.srt"), 0, {"Invalid file type"}, MessageIcon::Warning},
        {"not media at all", temp.File("noise.bin"), 0, {"avformat_open_input: Invalid data found when processing input"},
         MessageIcon::Error},
        {"a concat list", writeText("list.wav", "ffconcat version 1.0\nfile mono.wav\n"), 0, {"Invalid file type"},
         MessageIcon::Warning},
        {"a playlist", writeText("list.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\ntone.mp3\n#EXT-X-ENDLIST\n"), 0,
         {"Invalid file type"}, MessageIcon::Warning},
        {"missing file", temp.File("missing.wav"), 0, {}, MessageIcon::None},
    };
    for (const Case& c : cases) {
        CRecordingPrompt prompt;
        CAudioDecoder decoder;
        EXPECT_FALSE(decoder.Open(c.path, c.channel)) << c.name;
        EXPECT_EQ(prompt.messages.size(), c.messages.size()) << c.name;
        if (prompt.messages.size() != c.messages.size()) continue;
        for (size_t i = 0; i < c.messages.size(); ++i) {
            EXPECT_EQ(prompt.messages[i].text, c.messages[i]) << c.name;
            EXPECT_EQ(prompt.messages[i].icon, c.icon) << c.name;
            EXPECT_EQ(prompt.messages[i].caption,
                      c.icon == MessageIcon::Error ? std::string("CDirectXUtils Error!") : std::string("VELK3 Manager"))
                << c.name;
        }
        EXPECT_EQ(decoder.GetLength(), 0u) << c.name;
        EXPECT_EQ(temp.TempFileCount(), 0) << c.name;
    }
}

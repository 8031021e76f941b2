#include <gtest/gtest.h>

#include <cmath>

#include "AudioFixtures.h"
#include "audio/AudioDecoder.h"
#include "audio/WavReader.h"
#include "platform/ByteOrder.h"

namespace {

AudioSource WholeFile(const std::string& path) {
    AudioSource source;
    source.path = path;
    return source;
}

// Every frame the decoder gives, split into its two channels.
std::pair<std::vector<int16_t>, std::vector<int16_t>> ReadEverything(CAudioDecoder& decoder) {
    std::pair<std::vector<int16_t>, std::vector<int16_t>> channels;
    std::vector<uint32_t> piece(1000);  // not a divisor of any packet size
    uint32_t n;
    while ((n = decoder.Read(piece.data(), uint32_t(piece.size()))) > 0) {
        for (uint32_t i = 0; i < n; ++i) {
            channels.first.push_back(int16_t(uint16_t(piece[i] & 0xFFFF)));
            channels.second.push_back(int16_t(uint16_t(piece[i] >> 16)));
        }
    }
    return channels;
}

// The channel's tone as it should come out at 44100 Hz.
std::vector<int16_t> ExpectedTone(int channel, size_t frames) {
    std::vector<int16_t> tone(frames);
    for (size_t i = 0; i < frames; ++i) tone[i] = int16_t(std::lround(ToneValue(channel, double(i) / 44100)));
    return tone;
}

}  // namespace

// Every row decodes two channels of a source in one pass; each half of the frames must be its
// channel's tone at 44100 Hz (bit-exact when nothing needs converting), never a neighbour's.
TEST(AudioDecoder, DecodesBothChosenChannelsInOnePassAt44100) {
    CTestTempDir temp;
    struct Case {
        const char* name;
        int rate, channels;
        bool mp3;
        uint32_t first, second;
        bool exact;
        double minSnrDb;
    };
    const Case cases[] = {
        {"mono on both sides", 44100, 1, false, 0, 0, true, 0},
        {"stereo swapped", 44100, 2, false, 1, 0, true, 0},
        {"four channels, the last and the second", 44100, 4, false, 3, 1, true, 0},
        {"48 kHz resampled", 48000, 2, false, 0, 1, false, 30},
        {"MP3 source", 44100, 2, true, 1, 0, false, 20},
    };
    constexpr double kSeconds = 0.5;
    for (const Case& c : cases) {
        const std::string path = temp.File(std::string(c.name) + (c.mp3 ? ".mp3" : ".wav"));
        const PcmAudio source = MakeTones(c.rate, c.channels, kSeconds);
        if (c.mp3) WriteMp3(path, source, 128);
        else WriteWav(path, source);

        const uint64_t passes = CAudioDecoder::PassesStarted();
        CAudioDecoder decoder;
        ASSERT_TRUE(decoder.Open(WholeFile(path), c.first, c.second)) << c.name;
        EXPECT_EQ(CAudioDecoder::PassesStarted(), passes + 1) << c.name;
        EXPECT_NEAR(double(decoder.ExpectedFrames()), kSeconds * 44100, c.exact ? 0 : 3000) << c.name;
        const auto [first, second] = ReadEverything(decoder);
        EXPECT_FALSE(decoder.Failed()) << c.name << ": " << decoder.Failure();
        const size_t frames = size_t(kSeconds * 44100);
        const std::vector<int16_t> wantFirst = ExpectedTone(int(c.first), frames), wantSecond = ExpectedTone(int(c.second), frames);
        if (c.exact) {
            EXPECT_EQ(first, wantFirst) << c.name;
            EXPECT_EQ(second, wantSecond) << c.name;
        } else {
            EXPECT_NEAR(double(first.size()), kSeconds * 44100, 3000) << c.name;
            EXPECT_GE(SnrAfterDelay(wantFirst, first, 3000), c.minSnrDb) << c.name;
            EXPECT_GE(SnrAfterDelay(wantSecond, second, 3000), c.minSnrDb) << c.name;
        }
        EXPECT_EQ(temp.TempFileCount(), 0) << c.name << ": decoded where it lies, no sample file";
    }
}

// Audio inside a larger file is read from its offset to its length and no further; the owner's
// position in the file is left alone.
TEST(AudioDecoder, ReadsTheAudioWhereItLiesInsideAnotherFile) {
    CTestTempDir temp;
    PcmAudio ramp{44100, 1, std::vector<int16_t>(3048)};
    for (size_t i = 0; i < ramp.samples.size(); ++i) ramp.samples[i] = int16_t(i * 5 - 7000);
    WriteWav(temp.File("ramp.wav"), ramp);
    const std::vector<uint8_t> wav = ReadAll(temp.File("ramp.wav"));
    std::vector<uint8_t> outer(76, 0x55);
    outer.insert(outer.end(), wav.begin(), wav.end());
    outer.insert(outer.end(), 5000, 0x7F);  // what follows the audio: never samples
    WriteAll(temp.File("outer.bin"), outer);

    std::FILE* file = std::fopen(temp.File("outer.bin").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fseek(file, 100, SEEK_SET), 0);
    CAudioDecoder decoder;
    ASSERT_TRUE(decoder.Open({"outer.bin", ::fileno(file), 76, wav.size()}, 0, 0)) << decoder.Failure();
    std::vector<uint32_t> frames(1024);
    EXPECT_EQ(decoder.Read(frames.data(), 1024), 1024u);
    EXPECT_EQ(frames[0], uint32_t(uint16_t(-7000)) * 0x10001u) << "sign kept in both halves";
    EXPECT_EQ(decoder.Read(frames.data(), 1024), 1024u);
    EXPECT_EQ(decoder.Read(frames.data(), 1024), 1000u);
    EXPECT_EQ(frames[999] & 0xFFFF, uint16_t(int16_t(3047 * 5 - 7000)));
    EXPECT_EQ(decoder.Read(frames.data(), 1024), 0u);
    EXPECT_FALSE(decoder.Failed());
    EXPECT_EQ(std::ftell(file), 100);
    std::fclose(file);
}

// The shapes a plain 16-bit 44100 Hz WAV takes in the wild are read without FFmpeg, exactly; a WAV
// of another rate is not (FFmpeg resamples it).
TEST(AudioDecoder, ReadsEveryShapeOfPlainWavItselfAndExactly) {
    CTestTempDir temp;
    const PcmAudio source = MakeTones(44100, 2, 0.2);
    WriteWav(temp.File("plain.wav"), source);
    const std::vector<uint8_t> plain = ReadAll(temp.File("plain.wav"));  // RIFF, fmt at 12, data at 36
    const auto riffSized = [](std::vector<uint8_t> wav) {
        StoreLe32(&wav[4], uint32_t(wav.size() - 8));
        return wav;
    };
    std::vector<uint8_t> oddChunk = plain;
    const uint8_t list[] = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    oddChunk.insert(oddChunk.begin() + 36, std::begin(list), std::end(list));
    std::vector<uint8_t> streamed = plain;
    StoreLe32(&streamed[40], 0xFFFFFFFF);
    std::vector<uint8_t> extensible(plain.begin(), plain.begin() + 20);
    const uint8_t format[] = {0xFE, 0xFF, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 22, 0, 16, 0, 3, 0, 0, 0,
                              1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    StoreLe32(&extensible[16], sizeof format);
    extensible.insert(extensible.end(), std::begin(format), std::end(format));
    extensible.insert(extensible.end(), plain.begin() + 36, plain.end());
    WriteWav(temp.File("48k.wav"), MakeTones(48000, 2, 0.2));
    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"an odd chunk before the samples", riffSized(oddChunk)},
        {"a data size left open by a recorder", streamed},
        {"the extensible format", riffSized(extensible)},
    };
    CWavReader resampled;
    AudioSource other;
    other.path = temp.File("48k.wav");
    EXPECT_FALSE(resampled.Open(other));
    for (const auto& [name, bytes] : cases) {
        WriteAll(temp.File("shape.wav"), bytes);
        CWavReader reader;
        EXPECT_TRUE(reader.Open(WholeFile(temp.File("shape.wav")))) << name;
        CAudioDecoder decoder;
        ASSERT_TRUE(decoder.Open(WholeFile(temp.File("shape.wav")), 0, 1)) << name << ": " << decoder.Failure();
        EXPECT_EQ(decoder.ExpectedFrames(), source.Frames()) << name;
        const auto [first, second] = ReadEverything(decoder);
        EXPECT_EQ(first, source.Channel(0)) << name;
        EXPECT_EQ(second, source.Channel(1)) << name;
    }
}

// Open's refusals: each records one failure text (none for a missing file's probe), gives false,
// shows nothing and leaves no temporary file behind.
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
        uint32_t first, second;
        std::string failure;
    };
    const Case cases[] = {
        {"first channel out of range", temp.File("mono.wav"), 1, 0, "Invalid channel selection"},
        {"second channel out of range", temp.File("mono.wav"), 0, 1, "Invalid channel selection"},
        {"no audio stream", temp.File("subtitles.srt"), 0, 0, "Invalid file type"},
        {"not media at all", temp.File("noise.bin"), 0, 0, "avformat_open_input: Invalid data found when processing input"},
        {"a concat list", writeText("list.wav", "ffconcat version 1.0\nfile mono.wav\n"), 0, 0, "Invalid file type"},
        {"a playlist", writeText("list.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\ntone.mp3\n#EXT-X-ENDLIST\n"), 0, 0,
         "Invalid file type"},
        {"missing file", temp.File("missing.wav"), 0, 0, "avformat_open_input: No such file or directory"},
    };
    for (const Case& c : cases) {
        CAudioDecoder decoder;
        EXPECT_FALSE(decoder.Open(WholeFile(c.path), c.first, c.second)) << c.name;
        EXPECT_EQ(decoder.Failure(), c.failure) << c.name;
        uint32_t frame = 0;
        EXPECT_EQ(decoder.Read(&frame, 1), 0u) << c.name;
        EXPECT_EQ(temp.TempFileCount(), 0) << c.name;
    }
}

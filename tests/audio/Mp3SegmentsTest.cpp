#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "AudioFixtures.h"
#include "audio/Mp3Encoder.h"

namespace {

constexpr int kRate = 44100;
constexpr size_t kFrameSamples = mp3_stream::kFrameSamples;
constexpr uint32_t kSegmentFrames = mp3_segment::kPaddingPeriod;  // small segments: many joins
constexpr unsigned kThreads = 3;
constexpr int kMaxDelay = 3000;
constexpr double kAllowedLossDb = 0.5;
constexpr size_t kWindow = kRate / 20;  // 50 ms

PcmAudio TonesOfLength(size_t frames) {
    PcmAudio audio = MakeTones(kRate, 2, double(frames) / kRate + 1.0);
    audio.samples.resize(frames * 2);
    return audio;
}

// expected: the length the encoder is told, if any; failure: its text for what went wrong.
bool EncodeWith(const Mp3EncoderSettings& settings, const PcmAudio& source, const std::string& path,
                std::optional<uint64_t> expected = {}, std::string* failure = nullptr) {
    CMp3Encoder encoder(settings);
    if (!encoder.Create(path)) return false;
    if (expected) encoder.ExpectFrames(*expected);
    constexpr size_t kPiece = 1024;  // as the import feeds it
    std::vector<uint32_t> frames;
    for (size_t at = 0; at < source.Frames(); at += kPiece) {
        frames.clear();
        for (size_t i = at; i < std::min(source.Frames(), at + kPiece); ++i)
            frames.push_back(uint16_t(source.samples[2 * i]) | uint32_t(uint16_t(source.samples[2 * i + 1])) << 16);
        encoder.Encode(frames.data(), uint32_t(frames.size()));
    }
    const bool encoded = encoder.Close() && !encoder.Failed();
    if (failure) *failure = encoder.Failure();
    return encoded;
}

// The header bytes of every frame; fails the test at a header other than the fixed one (MPEG-1
// Layer III, no CRC, 128 kbit/s, 44100 Hz, no private bit, joint stereo, no copyright, original,
// no emphasis; padding and the mode extension free).
std::vector<uint32_t> FrameHeaders(const std::vector<uint8_t>& file) {
    std::vector<uint32_t> headers;
    for (size_t at = 0; at < file.size();) {
        EXPECT_LE(at + 4, file.size());
        if (at + 4 > file.size()) break;
        const uint8_t* h = &file[at];
        const bool fixed = h[0] == 0xFF && h[1] == 0xFB && (h[2] & ~0x02) == 0x90 && (h[3] & 0xCF) == 0x44;
        EXPECT_TRUE(fixed) << "frame " << headers.size();
        if (!fixed) break;
        headers.push_back(uint32_t(h[2] & 0x02));
        at += (h[2] & 0x02) ? 418 : 417;
    }
    return headers;
}

// SNR in dB of decoded against the source it runs lag samples behind, over [begin, end).
double SnrOver(const std::vector<int16_t>& source, const std::vector<int16_t>& decoded, int lag, size_t begin, size_t end) {
    double signal = 0, noise = 0;
    for (size_t n = std::max(begin, size_t(lag)); n < std::min(end, decoded.size()); ++n) {
        if (n - size_t(lag) >= source.size()) break;
        const double s = source[n - size_t(lag)], d = decoded[n];
        signal += s * s;
        noise += (s - d) * (s - d);
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

}  // namespace

// Each row is a length where a join could go wrong: shorter than a segment (one stream, the very
// same bytes), exactly one segment's input, one sample more, and many segments.
TEST(Mp3Segments, JoinedStreamHasTheFramesAndQualityOfOneStream) {
    const size_t segmentInput = (kSegmentFrames + mp3_segment::kWarmUpFrames + mp3_segment::kLookAheadFrames) * kFrameSamples;
    const size_t lengths[] = {kRate, segmentInput, segmentInput + 1, 6 * kRate};
    CTestTempDir temp;
    for (const size_t length : lengths) {
        SCOPED_TRACE(length);
        const PcmAudio source = TonesOfLength(length);
        ASSERT_TRUE(EncodeWith({1, kSegmentFrames, -1}, source, temp.File("one.mp3")));
        ASSERT_TRUE(EncodeWith({kThreads, kSegmentFrames, -1}, source, temp.File("joined.mp3")));
        const std::vector<uint8_t> one = ReadAll(temp.File("one.mp3")), joined = ReadAll(temp.File("joined.mp3"));
        if (length < segmentInput) {
            EXPECT_EQ(joined, one) << "a short stream stays one stream";
        }
        EXPECT_EQ(FrameHeaders(joined), FrameHeaders(one)) << "same frames, same padding";

        const PcmAudio decodedOne = DecodeFile(temp.File("one.mp3")), decodedJoined = DecodeFile(temp.File("joined.mp3"));
        ASSERT_EQ(decodedJoined.samples.size(), decodedOne.samples.size());
        for (int channel = 0; channel < 2; ++channel) {
            const std::vector<int16_t> reference = source.Channel(channel);
            const std::vector<int16_t> a = decodedOne.Channel(channel), b = decodedJoined.Channel(channel);
            int lag = 0;
            const double whole = SnrAfterDelay(reference, a, kMaxDelay, &lag);
            EXPECT_GE(SnrOver(reference, b, lag, 0, b.size()), whole - kAllowedLossDb) << "channel " << channel;
            for (size_t join = (kSegmentFrames + mp3_segment::kWarmUpFrames) * kFrameSamples; join < b.size();
                 join += kSegmentFrames * kFrameSamples) {
                const size_t begin = join - kWindow / 2, end = join + kWindow / 2;
                EXPECT_GE(SnrOver(reference, b, lag, begin, end), SnrOver(reference, a, lag, begin, end) - kAllowedLossDb)
                    << "channel " << channel << ", join at sample " << join;
            }
        }
    }
}

// Cut to the length the encoder is told (right or wrong), the stream keeps the frames of one
// stream: only where the joins fall may change.
TEST(Mp3Segments, ACutPlannedFromTheExpectedLengthKeepsTheFramesOfOneStream) {
    CTestTempDir temp;
    const size_t length = 9 * kRate + 777;
    const PcmAudio source = TonesOfLength(length);
    ASSERT_TRUE(EncodeWith({1, kSegmentFrames, -1}, source, temp.File("one.mp3")));
    const std::vector<uint32_t> one = FrameHeaders(ReadAll(temp.File("one.mp3")));
    for (const uint64_t expected : {uint64_t(length), uint64_t(length / 3), uint64_t(length * 2), uint64_t(0)}) {
        ASSERT_TRUE(EncodeWith({2, 3 * kSegmentFrames, -1}, source, temp.File("planned.mp3"), expected)) << expected;
        EXPECT_EQ(FrameHeaders(ReadAll(temp.File("planned.mp3"))), one) << expected;
    }
}

TEST(Mp3Segments, AFailingSegmentFailsTheStreamWithItsTextOnceAndShowsNothing) {
    CTestTempDir temp;
    const PcmAudio source = TonesOfLength(4 * kRate);
    for (const int failing : {0, 2}) {
        std::string failure;
        EXPECT_FALSE(EncodeWith({kThreads, kSegmentFrames, failing}, source, temp.File("failed.mp3"), {}, &failure)) << failing;
        EXPECT_EQ(failure, "beEncodeChunk() failed") << failing;
    }
}

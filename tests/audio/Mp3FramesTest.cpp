#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/Mp3Frames.h"
#include "platform/Exceptions.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A frame with the given header bytes, its body filled with a marker so copies can be traced.
Bytes Frame(uint8_t b1, uint8_t b2, uint8_t b3 = 0x44, uint8_t marker = 0x5A) {
    const size_t length = (b2 & 0x02) ? 418 : 417;
    Bytes frame(length, marker);
    frame[0] = 0xFF, frame[1] = b1, frame[2] = b2, frame[3] = b3;
    return frame;
}
const Bytes kFrame = Frame(0xFB, 0x90);                // 128 kbit/s, 44100 Hz, no CRC: 417 bytes
const Bytes kPadded = Frame(0xFB, 0x92, 0x64, 0x33);   // padded: 418 bytes
const Bytes kWithCrc = Frame(0xFA, 0x91, 0xC4, 0x21);  // CRC and private bit: still accepted
const Bytes k192 = Frame(0xFB, 0xB0, 0x44, 0x77);      // 192 kbit/s
const Bytes k48k = Frame(0xFB, 0x94, 0x44, 0x78);      // 48000 Hz
const Bytes kMpeg2 = Frame(0xF3, 0x90, 0x44, 0x79);    // MPEG-2

Bytes Id3v1() {
    Bytes tag(128, 'x');
    std::memcpy(tag.data(), "TAG", 3);
    return tag;
}
Bytes Id3v2Header(uint8_t s2, uint8_t s3) {
    Bytes tag = {'I', 'D', '3', 4, 0, 0, 0, 0, s2, s3};
    tag.resize(10 + s2 * 128u + s3, 0xEE);  // the tag's body follows its header
    return tag;
}
Bytes Id3v2Footer() { return {'3', 'D', 'I', 4, 0, 0, 0, 0, 0, 0}; }

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File StreamOf(const Bytes& bytes) {
    File f(std::tmpfile());
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    std::rewind(f.get());
    return f;
}

Bytes Contents(std::FILE* f) {
    Bytes bytes(size_t(std::ftell(f)));
    std::rewind(f);
    if (!bytes.empty()) {
        EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    return bytes;
}

}  // namespace

// Each row is a stream the import meets: whether it may be stored as it is, what is copied, and
// where the input is left (the data behind the audio is read from there).
TEST(ReadMp3Frames, AcceptsOnlyTheUnitsFormatCopiesFramesWithoutTagsAndConsumesExactlySize) {
    struct Case {
        const char* name;
        Bytes stream;
        uint32_t size;
        bool want;
        Bytes wantCopy;
    };
    const Case cases[] = {
        {"one padded frame", kPadded, 418, true, kPadded},
        {"size inside the frame", kPadded, 400, false, kPadded},
        {"frames then ID3v1", Join({kFrame, kPadded, Id3v1()}), 417 + 418 + 128, true, Join({kFrame, kPadded})},
        {"ID3v2 of 257 bytes first", Join({Id3v2Header(2, 1), kFrame}), 10 + 257 + 417, true, kFrame},
        {"ID3v2 footer", Join({kFrame, Id3v2Footer()}), 417 + 10, true, kFrame},
        {"CRC and private bit", Join({kWithCrc, kFrame}), 2 * 417, true, Join({kWithCrc, kFrame})},
        {"192 kbit/s stops after it", Join({kFrame, k192, kFrame}), 3 * 417, false, Join({kFrame, k192})},
        {"48000 Hz", k48k, 417, false, k48k},
        {"MPEG-2", kMpeg2, 417, false, kMpeg2},
        {"size 0 reads nothing", kFrame, 0, true, {}},
        {"tag claims past size", Join({Id3v2Header(2, 1), kFrame}), 200, false, {}},
    };
    for (const Case& c : cases) {
        File in = StreamOf(Join({c.stream, Bytes(600, 0xD0)}));  // the routine's data follows
        File out(std::tmpfile());
        uint32_t copied = 12345;
        EXPECT_EQ(ReadMp3Frames(in.get(), c.size, out.get(), &copied), c.want) << c.name;
        EXPECT_EQ(Contents(out.get()), c.wantCopy) << c.name;
        EXPECT_EQ(copied, c.wantCopy.size()) << c.name;

        // Without output only the verdict and the position matter; they must be the same.
        File again = StreamOf(Join({c.stream, Bytes(600, 0xD0)}));
        EXPECT_EQ(ReadMp3Frames(again.get(), c.size, nullptr, nullptr), c.want) << c.name;
        if (c.want) {
            EXPECT_EQ(std::ftell(again.get()), long(c.size)) << c.name;
        }
    }
}

TEST(ReadMp3Frames, ThrowsWhenTheStreamEndsBeforeSize) {
    struct Case {
        const char* name;
        Bytes stream;
        bool withOutput;
        const char* message;
    };
    const Case cases[] = {
        {"no header left", Join({kFrame, Bytes(2, 0xFF)}), false, "Unable to read mp3 frame"},
        {"frame cut short while copying", Bytes(kFrame.begin(), kFrame.begin() + 300), true, "Unable to read file"},
    };
    for (const Case& c : cases) {
        File in = StreamOf(c.stream);
        File out(std::tmpfile());
        try {
            ReadMp3Frames(in.get(), 2 * 417, c.withOutput ? out.get() : nullptr, nullptr);
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const CFileAccessException& e) {
            EXPECT_STREQ(e.Message(), c.message) << c.name;
        }
    }
}

TEST(CopyBytes, CopiesInPiecesOrSkipsWithoutOutput) {
    Bytes source(10000);
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 7);
    File in = StreamOf(source);
    File out(std::tmpfile());
    EXPECT_TRUE(CopyBytes(in.get(), 9000, out.get()));  // more than two 4096-byte pieces
    EXPECT_EQ(Contents(out.get()), Bytes(source.begin(), source.begin() + 9000));
    EXPECT_TRUE(CopyBytes(in.get(), 500, nullptr));
    EXPECT_EQ(std::ftell(in.get()), 9500);
    EXPECT_THROW(CopyBytes(in.get(), 501, out.get()), CFileAccessException);
}

#include "audio/Mp3Frames.h"

#include <algorithm>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/Translatable.h"

namespace {

using namespace mp3_frame;

constexpr int kId3v1SkipAfterHeader = kId3v1Size - kHeaderSize;
constexpr int kId3v2BytesBeforeSize = 2;  // minor version and flags, after "ID3" and the major version
constexpr int kId3v2FooterSkipAfterHeader = kId3v2HeaderSize - kHeaderSize;

bool StartsWith(const uint8_t* bytes, const char* tag) { return std::memcmp(bytes, tag, 3) == 0; }

void Skip(std::FILE* input, long count) {
    if (std::fseek(input, count, SEEK_CUR) != 0)
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read mp3 frame"));
}

// The ID3v2 size: four bytes of seven bits each, most significant first.
uint64_t ReadSyncSafeSize(std::FILE* input) {
    uint8_t s[4];
    if (std::fread(s, 1, sizeof s, input) != sizeof s)
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read mp3 frame"));
    return ((uint64_t(s[0]) * 128 + s[1]) * 128 + s[2]) * 128 + s[3];
}

}  // namespace

bool IsAcceptedMp3Frame(const uint8_t* header) {
    return header[0] == 0xFF && (header[1] & ~0x01) == 0xFA && (header[2] & ~0x03) == 0x90;
}

bool ReadMp3Frames(std::FILE* input, uint32_t size, std::FILE* output, uint32_t* copied) {
    bool ok = true;
    uint64_t consumed = 0;  // a tag may claim more than is left: never let that wrap
    uint32_t frameBytes = 0;
    while (consumed < size) {
        uint8_t header[kHeaderSize];
        if (std::fread(header, 1, kHeaderSize, input) != kHeaderSize)
            throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read mp3 frame"));
        if (StartsWith(header, "TAG")) {
            Skip(input, kId3v1SkipAfterHeader);
            consumed += kId3v1Size;
        } else if (StartsWith(header, "ID3")) {
            Skip(input, kId3v2BytesBeforeSize);
            const uint64_t tagSize = ReadSyncSafeSize(input);
            Skip(input, long(tagSize));
            consumed += tagSize + kId3v2HeaderSize;
        } else if (StartsWith(header, "3DI")) {
            Skip(input, kId3v2FooterSkipAfterHeader);
            consumed += kId3v2HeaderSize;
        } else {
            const uint32_t length = (header[2] & kPaddingBit) ? kPaddedFrameSize : kFrameSize;
            if (output && std::fwrite(header, 1, kHeaderSize, output) != kHeaderSize)
                throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write file"));
            CopyBytes(input, length - kHeaderSize, output);
            frameBytes += length;
            consumed += length;
            if (!IsAcceptedMp3Frame(header)) {
                ok = false;
                break;
            }
        }
    }
    if (copied) *copied = frameBytes;
    return ok && consumed == size;
}

bool CopyBytes(std::FILE* input, uint32_t count, std::FILE* output) {
    char buffer[kCopyPiece];
    if (!output) {
        // Reading over a frame keeps the stream's buffer, where a seek costs a system call per
        // frame. Input that ends here leaves the stream at its end, and the next read fails either way.
        if (count <= kCopyPiece) {
            (void)std::fread(buffer, 1, count, input);
            return true;
        }
        if (std::fseek(input, long(count), SEEK_CUR) != 0)
            throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read file"));
        return true;
    }
    while (count > 0) {
        const size_t piece = std::min<uint32_t>(count, kCopyPiece);
        if (std::fread(buffer, piece, 1, input) != 1)
            throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read file"));
        if (std::fwrite(buffer, piece, 1, output) != 1)
            throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write file"));
        count -= uint32_t(piece);
    }
    return true;
}

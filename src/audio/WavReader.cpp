#include "audio/WavReader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/ByteOrder.h"

namespace {

namespace wav {
constexpr size_t kRiffHeader = 12;  // "RIFF", size, "WAVE"
constexpr size_t kChunkHeader = 8;  // id, size
constexpr size_t kPcmFormatSize = 16;
constexpr size_t kExtensibleFormatSize = 40;
constexpr uint16_t kPcm = 1;
constexpr uint16_t kExtensible = 0xFFFE;
constexpr size_t kSubFormatAt = 24;  // in an extensible format chunk; starts with the format tag
constexpr uint16_t kBits = 16;
constexpr uint32_t kRate = 44100;
constexpr uint32_t kBytesPerSample = 2;
}  // namespace wav

constexpr uint32_t kFramesPerRead = 4096;

}  // namespace

CWavReader::~CWavReader() {
    if (m_fd >= 0) ::close(m_fd);
}

bool CWavReader::ReadAt(uint64_t at, uint8_t* bytes, size_t size) const {
    if (at > m_length || m_length - at < size) return false;
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(m_fd, bytes + done, size - done, off_t(m_start + at + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += size_t(got);
    }
    return true;
}

// The format chunk must say 16-bit PCM at 44100 Hz and come before the data chunk.
bool CWavReader::FindChunks() {
    uint8_t riff[wav::kRiffHeader];
    if (!ReadAt(0, riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0)
        return false;
    bool formatSeen = false;
    for (uint64_t at = wav::kRiffHeader;;) {
        uint8_t header[wav::kChunkHeader];
        if (!ReadAt(at, header, sizeof header)) return false;
        const uint32_t size = LoadLe32(header + 4);
        at += wav::kChunkHeader;
        if (std::memcmp(header, "data", 4) == 0) {
            if (formatSeen) TakeData(at, size);
            return formatSeen;
        }
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (!ReadFormat(at, size)) return false;
            formatSeen = true;
        }
        at += size + (size & 1);  // chunks keep even offsets
    }
}

bool CWavReader::ReadFormat(uint64_t at, uint32_t size) {
    uint8_t format[wav::kExtensibleFormatSize] = {};
    if (size < wav::kPcmFormatSize || !ReadAt(at, format, std::min<size_t>(size, sizeof format))) return false;
    uint16_t tag = LoadLe16(format);
    if (tag == wav::kExtensible && size >= wav::kExtensibleFormatSize) tag = LoadLe16(format + wav::kSubFormatAt);
    m_channels = LoadLe16(format + 2);
    return tag == wav::kPcm && m_channels != 0 && LoadLe32(format + 4) == wav::kRate &&
           LoadLe16(format + 12) == m_channels * wav::kBytesPerSample && LoadLe16(format + 14) == wav::kBits;
}

void CWavReader::TakeData(uint64_t at, uint32_t size) {
    m_data = at;
    const uint64_t bytes = std::min<uint64_t>(size, m_length - at);  // a streamed file's size may be unknown
    m_frames = bytes / (uint64_t(m_channels) * wav::kBytesPerSample);
}

bool CWavReader::Open(const AudioSource& source) {
    SourceRegion region;
    if (!OpenSourceRegion(source, region)) return false;
    m_fd = region.fd;
    m_start = region.start;
    m_length = region.length;
    if (FindChunks()) return true;
    ::close(m_fd);
    m_fd = -1;
    return false;
}

uint32_t CWavReader::Read(int16_t* interleaved, uint32_t count) {
    const uint32_t frames = uint32_t(std::min<uint64_t>(count, m_frames - m_framesRead));
    const size_t frameBytes = size_t(m_channels) * wav::kBytesPerSample;
    for (uint32_t done = 0; done < frames;) {
        const uint32_t n = std::min(frames - done, kFramesPerRead);
        m_buffer.resize(n * frameBytes);
        if (!ReadAt(m_data + m_framesRead * frameBytes, m_buffer.data(), m_buffer.size())) {
            m_frames = m_framesRead;  // the file shrank under us: its end is here
            return done;
        }
        for (size_t i = 0; i < size_t(n) * m_channels; ++i)
            interleaved[size_t(done) * m_channels + i] = int16_t(LoadLe16(&m_buffer[i * wav::kBytesPerSample]));
        done += n;
        m_framesRead += n;
    }
    return frames;
}

#include "disk/RoutineExport.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "audio/Mp3Frames.h"
#include "disk/DiskLayout.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"

namespace {

using disk_layout::kMaxSectorsPerCall;

// Follows the MP3 frames of a track's audio sectors as they stream past, to tell where the MP3
// ends: at the last whole frame the unit plays, or earlier where the rest of the last sector is
// the padding the writer puts behind the audio (which starts with a frame of its own).
class CStoredMp3 {
public:
    explicit CStoredMp3(uint64_t size) : m_size(size) { StepTo(0); }

    // The audio's bytes from offset on, in order.
    void Feed(const uint8_t* bytes, uint64_t offset, size_t count) {
        const uint64_t end = offset + count;
        while (!m_stopped && m_next < m_size) {
            for (uint64_t at = m_next + m_have; m_have < mp3_frame::kHeaderSize && at < end; ++at)
                m_header[m_have++] = bytes[at - offset];
            if (m_have < mp3_frame::kHeaderSize) return;
            m_have = 0;
            const uint32_t length = (m_header[2] & mp3_frame::kPaddingBit) ? mp3_frame::kPaddedFrameSize : mp3_frame::kFrameSize;
            if (!IsAcceptedMp3Frame(m_header) || m_next + length > m_size) {
                m_stopped = true;
                return;
            }
            StepTo(m_next + length);
        }
    }

    // lastSector: the audio's last 512 bytes.
    uint64_t End(const uint8_t* lastSector) const {
        for (const uint64_t start : m_inLastSector) {
            const size_t rest = size_t(m_size - start);
            if (std::memcmp(lastSector + kSectorSize - rest, AudioPaddingBlock(), rest) == 0) return start;
        }
        return m_next;
    }

private:
    void StepTo(uint64_t next) {
        m_next = next;
        if (m_next < m_size && m_size - m_next < kSectorSize) m_inLastSector.push_back(m_next);
    }

    uint64_t m_size;
    uint64_t m_next = 0;  // where the next frame starts
    uint8_t m_header[mp3_frame::kHeaderSize] = {};
    size_t m_have = 0;
    bool m_stopped = false;
    std::vector<uint64_t> m_inLastSector;  // frame starts there, at most two
};

void WriteAt(int fd, const uint8_t* data, size_t count, uint64_t offset) {
    while (count > 0) {
        const ssize_t written = ::pwrite(fd, data, count, off_t(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw CFileAccessException(std::string("Unable to write file (") + std::strerror(errno) + ")");
        data += written, count -= size_t(written), offset += uint64_t(written);
    }
}

RoutineHeader HeaderFor(const TrackEntry& track) {
    RoutineHeader header;
    std::memcpy(header.title.data(), track.title.data(), RoutineHeader::kTitleSize);
    header.audioFormat = RoutineHeader::kMp3Format;
    header.frameMs = track.frameMs;
    header.baudCode = track.baudCode;
    header.protocol[0] = track.protocolCode;
    std::copy(track.settings.begin(), track.settings.end(), header.protocol.begin() + 1);
    return header;
}

// Copies count sectors from first on into the file from offset on; each run passes through seen.
template <class Seen>
void CopyOut(CSectorDevice& card, uint32_t first, uint32_t count, int fd, uint64_t offset, const CJobControl& job,
             uint64_t& done, Seen&& seen) {
    std::vector<uint8_t> run(size_t(kMaxSectorsPerCall) * kSectorSize);
    for (uint32_t at = 0; at < count;) {
        job.ThrowIfStopped();
        const uint32_t sectors = std::min(kMaxSectorsPerCall, count - at);
        const size_t bytes = size_t(sectors) * kSectorSize;
        card.readSector(first + at, sectors, run.data());
        seen(run.data(), uint64_t(at) * kSectorSize, bytes);
        WriteAt(fd, run.data(), bytes, offset + uint64_t(at) * kSectorSize);
        at += sectors;
        done += bytes;
        job.Progress(done);
    }
}

}  // namespace

RoutineHeader ExportRoutine(CSectorDevice& card, const TrackEntry& track, int fd, const CJobControl& job) {
    const uint32_t audioSectors = track.dataStart - track.audioStart;
    const uint32_t dataSectors = track.endSector - track.dataStart;
    const uint64_t audioSize = uint64_t(audioSectors) * kSectorSize;
    const uint64_t dataBytes = uint64_t(dataSectors) * kSectorSize;
    job.Begin(JobPhase::Reading, ProgressUnit::Bytes, audioSize + dataBytes);
    uint64_t done = 0;
    CStoredMp3 mp3(audioSize);
    uint8_t lastSector[kSectorSize] = {};
    CopyOut(card, track.audioStart, audioSectors, fd, RoutineHeader::kSize, job, done,
            [&](const uint8_t* bytes, uint64_t offset, size_t count) {
                mp3.Feed(bytes, offset, count);
                if (offset + count == audioSize) std::memcpy(lastSector, bytes + count - kSectorSize, kSectorSize);
            });
    const uint64_t audioBytes = mp3.End(lastSector);
    if (RoutineHeader::kSize + audioBytes + dataBytes > UINT32_MAX)
        throw CFileAccessException(
            VELK3_TRANSLATE_NOOP("velk3core", "The routine is too large for a routine file (4 GiB at most)"));
    CopyOut(card, track.dataStart, dataSectors, fd, RoutineHeader::kSize + audioBytes, job, done,
            [](const uint8_t*, uint64_t, size_t) {});

    RoutineHeader header = HeaderFor(track);
    header.audioBytes = uint32_t(audioBytes);
    header.dataBytes = uint32_t(dataBytes);
    uint8_t encoded[RoutineHeader::kSize];
    header.Encode(encoded);
    WriteAt(fd, encoded, sizeof encoded, 0);
    // The audio sectors past the MP3 were written too, where the data now begins.
    if (::ftruncate(fd, off_t(header.FileSize())) != 0)
        throw CFileAccessException(std::string("Unable to write file (") + std::strerror(errno) + ")");
    return header;
}

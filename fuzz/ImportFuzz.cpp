// Routine files come from other programs: the header checks, the copy of playable MP3 audio and
// the data must cope with any bytes. Audio that needs converting goes to FFmpeg's decoders, which
// are FFmpeg's to fuzz, so such inputs are left out.
#include <cstdio>

#include "FuzzSupport.h"
#include "audio/Mp3Frames.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "platform/StdioFile.h"
#include "support/MemoryDevice.h"

namespace {

constexpr uint32_t kCardSectors = 512;  // small: every input pays for zeroing and formatting it

// True when the import would hand the audio to the decoder.
bool NeedsConversion(const std::string& path) {
    StdioFile file = OpenStdioFile(path, "rb");
    uint8_t bytes[RoutineHeader::kSize];
    if (!file || std::fread(bytes, sizeof bytes, 1, file.get()) != 1) return false;
    const RoutineHeader header = RoutineHeader::Decode(bytes);
    if (header.version != RoutineHeader::kVersion || header.audioBytes == 0) return false;
    if (header.audioFormat != RoutineHeader::kMp3Format) return true;
    try {
        return !ReadMp3Frames(file.get(), header.audioBytes, nullptr, nullptr);
    } catch (const CFileAccessException&) {
        return false;  // the import meets the same early end before any conversion
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = WriteInputFile(data, size);
    if (NeedsConversion(path)) return 0;
    CMemoryDevice device(kCardSectors);
    try {
        CVelkDisk disk(device);
        disk.Format();
        disk.Read();
        disk.ImportRoutineFile(path, true);
    } catch (const CVelkException&) {
    }
    return 0;
}

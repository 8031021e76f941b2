// MP3 audio inside a routine file may be anything: the frame walk, its tag skipping and the copy
// of its frames must stay within what they were given.
#include <cstdio>

#include "FuzzSupport.h"
#include "audio/Mp3Frames.h"
#include "platform/Exceptions.h"
#include "platform/StdioFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CInputReader reader(data, size);
    // The size the routine header claims need not match the bytes that follow it.
    const uint32_t claimed = reader.Word();
    const std::vector<uint8_t> stream = reader.Rest();
    const std::string& path = WriteInputFile(stream.data(), stream.size());
    StdioFile input = OpenStdioFile(path, "rb");
    static const StdioFile output(std::fopen("/dev/null", "wb"));  // the copy is checked by its count
    if (!input || !output) return 0;
    try {
        uint32_t copied = 0;
        const bool playable = ReadMp3Frames(input.get(), claimed, output.get(), &copied);
        // The frames copied are never more than the bytes walked.
        if (copied > claimed + mp3_frame::kPaddedFrameSize) __builtin_trap();
        std::rewind(input.get());
        CopyBytes(input.get(), uint32_t(stream.size()), output.get());
        Keep(playable);
    } catch (const CFileAccessException&) {
    }
    return 0;
}

// A routine's WAV audio may be anything: the chunk walk must stay within the source's bytes and
// read no more frames than the data chunk holds.
#include <vector>

#include "FuzzSupport.h"
#include "audio/WavReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CInputReader reader(data, size);
    // The audio starts somewhere inside the file and need not reach its end.
    const uint16_t offset = reader.Byte();
    const uint16_t cut = reader.Word();
    const std::vector<uint8_t> file = reader.Rest();
    AudioSource source;
    source.path = WriteInputFile(file.data(), file.size());
    source.offset = offset;
    source.length = cut;
    CWavReader wav;
    if (!wav.Open(source)) return 0;
    if (wav.Channels() == 0 || wav.Frames() * wav.Channels() * 2 > cut) __builtin_trap();
    std::vector<int16_t> samples(size_t(wav.Channels()) * 64);
    uint64_t frames = 0;
    for (uint32_t n; (n = wav.Read(samples.data(), 64)) > 0;) frames += n;
    if (frames > wav.Frames()) __builtin_trap();
    Keep(frames);
    return 0;
}

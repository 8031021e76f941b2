#pragma once
// Plain PCM WAV of 16-bit samples at 44100 Hz, the samples the encoder takes as they are, read
// without FFmpeg: loading FFmpeg's libraries costs more memory than the rest of an import. Any
// other WAV (another rate, another sample size, compressed data, RF64) and every other container
// is left to FFmpeg.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/AudioSource.h"

class CWavReader {
public:
    CWavReader() = default;
    ~CWavReader();
    CWavReader(const CWavReader&) = delete;
    CWavReader& operator=(const CWavReader&) = delete;

    // True when the source is such a WAV; false (nothing kept open) for anything else.
    bool Open(const AudioSource& source);
    uint32_t Channels() const { return m_channels; }
    // The frames of the data chunk, cut at the end of the source.
    uint64_t Frames() const { return m_frames; }
    // Up to count frames of interleaved samples; fewer only at the end.
    uint32_t Read(int16_t* interleaved, uint32_t count);

private:
    bool ReadAt(uint64_t at, uint8_t* bytes, size_t size) const;
    // Walks the chunks up to the samples; false for a file that is no 16-bit 44100 Hz PCM WAV.
    bool FindChunks();
    // The format chunk at at: true when it is one the reader takes (its channels noted).
    bool ReadFormat(uint64_t at, uint32_t size);
    // The data chunk at at: where the samples start and how many frames it holds.
    void TakeData(uint64_t at, uint32_t size);

    int m_fd = -1;
    uint64_t m_start = 0;   // of the source in the file
    uint64_t m_length = 0;  // of the source
    uint64_t m_data = 0;    // of the samples in the source
    uint32_t m_channels = 0;
    uint64_t m_frames = 0;
    uint64_t m_framesRead = 0;
    std::vector<uint8_t> m_buffer;
};

#pragma once
// Turns any audio file FFmpeg can read into the 16-bit, 44100 Hz mono samples of one chosen source
// channel. Open decodes the whole file at once into a "ylm" temporary sample file (resampling when
// the source rate differs) and Read then serves the samples from it, so memory stays small however
// long the audio is. Channel n is the n-th channel of the source's interleaved order.
//
// Like every audio class it does not throw for its own failures: it shows an application message
// box at once and returns false. A sample file that cannot be created or written throws
// CFileAccessException, as any file would.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/StdioFile.h"

// An audio source.
class CAudioReader {
public:
    virtual ~CAudioReader() = default;
    virtual bool Open(const std::string& path, uint32_t channel) = 0;
    virtual uint32_t Read(int32_t* destination, uint32_t count) = 0;
    virtual void Close() = 0;
    virtual bool Seek(int64_t sample) = 0;
    virtual uint32_t GetLength() = 0;
};

class CAudioDecoder final : public CAudioReader {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr uint32_t kBlockAlign = 2;  // one 16-bit mono sample

    CAudioDecoder() = default;
    ~CAudioDecoder() override;
    CAudioDecoder(const CAudioDecoder&) = delete;
    CAudioDecoder& operator=(const CAudioDecoder&) = delete;

    bool Open(const std::string& path, uint32_t channel) override;
    // Up to count samples, each a signed 16-bit sample widened to 32 bits; fewer only at the end.
    uint32_t Read(int32_t* destination, uint32_t count) override;
    // Releases everything and removes the sample file.
    void Close() override;
    // True when the sample file stands exactly at that sample.
    bool Seek(int64_t sample) override;
    // Samples in the sample file; 0 when nothing is open.
    uint32_t GetLength() override;

private:
    bool Decode(const std::string& path, int streamIndex, uint32_t channel);
    void WriteSamples(const int16_t* interleaved, int frames, int channels, uint32_t channel);

    StdioFile m_sampleFile;
    std::string m_samplePath;
    std::vector<uint8_t> m_readBuffer;
    std::vector<uint8_t> m_writeBuffer;
};

#pragma once
// Encodes 16-bit stereo samples at 44100 Hz into the one MP3 format the unit plays, through LAME:
// MPEG-1 Layer III, 128 kbit/s constant rate, joint stereo, no bit reservoir (every frame carries
// its own audio data), original bit set, no CRC, no private bit, no VBR tag.
//
// Like every audio class it does not throw for its own failures: it shows an application message
// box at once and returns false, and its caller decides what that means.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/StdioFile.h"

struct lame_global_struct;

// An audio sink.
class CAudioWriter {
public:
    virtual ~CAudioWriter() = default;
    virtual bool Create(const std::string& path) = 0;
    virtual bool Close() = 0;
    virtual bool WriteChannels(const int32_t* first, const int32_t* second, uint32_t count) = 0;
};

class CMp3Encoder final : public CAudioWriter {
public:
    CMp3Encoder() = default;
    ~CMp3Encoder() override;
    CMp3Encoder(const CMp3Encoder&) = delete;
    CMp3Encoder& operator=(const CMp3Encoder&) = delete;

    // Creates the output file and opens an encoder stream on it.
    bool Create(const std::string& path) override;
    // count stereo frames: the first channel's sample in the low half, the second's in the high
    // half. A chunk the encoder cannot take is shown to the user and encoding goes on; always true.
    bool Encode(const uint32_t* frames, uint32_t count);
    // The first array's samples in the high half, the second's in the low half.
    bool WriteChannels(const int32_t* first, const int32_t* second, uint32_t count) override;
    // Encodes what is buffered, finishes the stream and closes the file.
    bool Close() override;

    // True once a chunk could not be encoded or written since Create: the stream has a gap.
    bool Failed() const { return m_failed; }
    // The samples (both channels counted) gathered for one encoder call.
    uint32_t SamplesPerChunk() const { return m_samplesPerChunk; }

private:
    bool OpenStream();
    bool EncodeChunk(uint32_t samples);
    void CloseStream();

    lame_global_struct* m_stream = nullptr;
    std::vector<uint8_t> m_outputBuffer;
    std::vector<int16_t> m_inputBuffer;
    uint32_t m_room = 0;
    uint32_t m_samplesPerChunk = 0;
    StdioFile m_output;
    std::string m_path;
    bool m_failed = false;
};

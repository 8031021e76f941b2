#pragma once
// Turns any audio FFmpeg can read into 16-bit, 44100 Hz samples of two chosen source channels,
// decoded while they are read: one pass over the audio gives both channels, and memory holds only
// what a packet decodes to, however long the audio is. The audio may lie inside a larger file (a
// routine file) and is read there. Channel n is the n-th channel of the source's interleaved order.
// A WAV that already holds such samples is read as it is, without FFmpeg (see WavReader.h).
//
// Like every audio class it shows nothing: a failure gives false (Open) or ends the samples early
// (Read), and Failure() then holds the user's text for it; the caller reports it once.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/MediaInput.h"

class CWavReader;

class CAudioDecoder final {
public:
    static constexpr int kSampleRate = 44100;

    CAudioDecoder();
    ~CAudioDecoder();
    CAudioDecoder(const CAudioDecoder&) = delete;
    CAudioDecoder& operator=(const CAudioDecoder&) = delete;

    bool Open(const AudioSource& source, uint32_t firstChannel, uint32_t secondChannel);
    // Up to count stereo frames, the first channel's sample in the low half and the second's in the
    // high half; fewer only at the end of the audio or after a failure.
    uint32_t Read(uint32_t* frames, uint32_t count);
    // The frames the source's duration promises; 0 when it does not say. A guess for compressed
    // audio: the samples Read gives are what counts.
    uint64_t ExpectedFrames() const { return m_expectedFrames; }
    void Close();

    bool Failed() const { return !m_failure.empty(); }
    const std::string& Failure() const { return m_failure; }

    // Decoding passes begun in this process, for the tests: an import decodes its audio once.
    static uint64_t PassesStarted();

private:
    class CPass;
    bool Fail(const std::string& text);
    bool OpenWav(const AudioSource& source);
    uint32_t ReadWav(uint32_t* frames, uint32_t count);

    uint32_t m_first = 0, m_second = 0;
    std::unique_ptr<CWavReader> m_wav;
    std::vector<int16_t> m_interleaved;
    std::unique_ptr<CPass> m_pass;
    uint64_t m_expectedFrames = 0;
    std::string m_failure;
};

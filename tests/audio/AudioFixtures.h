#pragma once
// Audio for tests, made in the test: tones of known frequency per channel, written as WAV by hand
// or as MP3 through LAME, and any file decoded back through FFmpeg for comparison.
#include <cstdint>
#include <string>
#include <vector>

struct PcmAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved

    size_t Frames() const { return channels ? samples.size() / size_t(channels) : 0; }
    std::vector<int16_t> Channel(int channel) const;
};

// Channel c sweeps up from 300 + 250·c Hz by 400 + 100·c Hz a second at amplitude 6000 + 2000·c, so
// channels never look alike and a delay can be measured without doubt.
double ToneValue(int channel, double seconds);
PcmAudio MakeTones(int sampleRate, int channels, double seconds);

void WriteWav(const std::string& path, const PcmAudio& audio);
void WriteMp3(const std::string& path, const PcmAudio& stereo, int kbitPerSecond);
PcmAudio DecodeFile(const std::string& path);  // native rate and channels, 16-bit

std::vector<uint8_t> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes);

// Signal-to-noise ratio in dB of signal against reference, after the lag (0 … maxLag samples by
// which signal runs late) that fits best; lag reports it.
double SnrAfterDelay(const std::vector<int16_t>& reference, const std::vector<int16_t>& signal, int maxLag,
                     int* lag = nullptr);

// A private $TMPDIR for one test, removed with everything in it at the end.
class CTestTempDir {
public:
    CTestTempDir();
    ~CTestTempDir();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Files whose names start with "ylm": the system's temporary files.
    int TempFileCount() const;

private:
    std::string m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};

#pragma once
// The multimedia checks that have a meaning on Linux. On Windows this role is played by the
// DirectX utilities, which also check the installed DirectX version; there is no such version
// here, so what remains is probing a file with FFmpeg and putting FFmpeg's failures into words.
// Stateless: every call opens and frees its own objects. Nothing here shows a box: a failure's
// text goes to the caller, which reports it once.
#include <string>

#include "audio/MediaInput.h"

// What a probe found: the audio stream FFmpeg would decode, or streamIndex −1 when there is none.
struct AudioStreamInfo {
    int streamIndex = -1;
    int channels = 0;
    int sampleRate = 0;
    std::string codec;
    bool decodable = false;  // this FFmpeg build has a decoder for it
};

class CMediaUtils {
public:
    // "caption: error text" for a failed FFmpeg call (a negative code); empty otherwise.
    static std::string ErrorText(int code, const std::string& caption);
    // False at once, failure empty, for a path that does not exist; false with failure holding
    // the error text for a file FFmpeg cannot open; true otherwise, with info describing the best
    // audio stream, if any. A file that is not one of the audio containers (a playlist, a list of
    // other files) holds none.
    static bool ProbeAudioFile(const AudioSource& source, AudioStreamInfo& info, std::string& failure);
    // The same over an input already opened.
    static AudioStreamInfo DescribeAudio(const CMediaInput& input);
};

#include "audio/MediaUtils.h"

#include <sys/stat.h>

#include "platform/TextFormat.h"

namespace {

constexpr size_t kErrorTextSize = 160;

}  // namespace

std::string CMediaUtils::ErrorText(int code, const std::string& caption) {
    if (code >= 0) return {};
    char text[kErrorTextSize];
    const std::string error = Ffmpeg().av_strerror(code, text, sizeof text) == 0 ? std::string(text)
                                                                         : StringPrintf("Unknown Error: 0x%2x", unsigned(code));
    return caption + ": " + error;
}

AudioStreamInfo CMediaUtils::DescribeAudio(const CMediaInput& input) {
    AudioStreamInfo info;
    AVFormatContext* format = input.Format();
    const int index = Ffmpeg().av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return info;
    const AVCodecParameters* parameters = format->streams[index]->codecpar;
    info.streamIndex = index;
    info.channels = parameters->ch_layout.nb_channels;
    info.sampleRate = parameters->sample_rate;
    info.codec = Ffmpeg().avcodec_get_name(parameters->codec_id);
    info.decodable = Ffmpeg().avcodec_find_decoder(parameters->codec_id) != nullptr;
    return info;
}

bool CMediaUtils::ProbeAudioFile(const AudioSource& source, AudioStreamInfo& info, std::string& failure) {
    info = {};
    failure.clear();
    struct stat st {};
    if (source.fd < 0 && ::stat(source.path.c_str(), &st) != 0) return false;
    CMediaInput input;
    const char* caption = nullptr;
    const int result = input.Open(source, caption);
    if (result == AVERROR_DEMUXER_NOT_FOUND) return true;  // no audio this system takes
    if (result < 0) {
        failure = ErrorText(result, caption);
        return false;
    }
    info = DescribeAudio(input);
    return true;
}

#pragma once
// One audio file opened for FFmpeg's demuxers, read through our own reader rather than FFmpeg's
// file protocol: the audio may be a run of bytes inside a larger file (a routine file's audio),
// which is then read where it lies instead of being copied out first. Only those bytes are read,
// and only as one of the audio containers: a file of any other kind (a playlist, a concat list:
// files that would make FFmpeg open others) is refused as AVERROR_DEMUXER_NOT_FOUND.
#include <cstdint>
#include <string>

#include "audio/AudioSource.h"
#include "audio/FfmpegHandles.h"

class CMediaInput {
public:
    CMediaInput() = default;
    ~CMediaInput();
    CMediaInput(const CMediaInput&) = delete;
    CMediaInput& operator=(const CMediaInput&) = delete;

    // Opens the source and reads its stream information; a negative FFmpeg code on failure, with
    // caption naming the call that failed.
    int Open(const AudioSource& source, const char*& caption);
    AVFormatContext* Format() const { return m_format.get(); }

private:
    struct Region : SourceRegion {
        uint64_t position = 0;
    };
    static int ReadPacket(void* opaque, uint8_t* buffer, int size);
    static int64_t SeekTo(void* opaque, int64_t offset, int whence);
    int OpenRegion(const AudioSource& source);
    int Probe(const std::string& name, const AVInputFormat*& input);

    Region m_region;
    IoHandle m_io;
    FormatHandle m_format;  // after m_io: freed before the reader it uses
};

// FFmpeg logs to standard error unless told otherwise; the core never does.
void SilenceFfmpegLog();

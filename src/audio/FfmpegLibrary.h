#pragma once
// FFmpeg, loaded when audio is first opened rather than when the program starts. Debian's FFmpeg
// brings every codec and network library it was built with, some 27 MiB of resident memory that
// listing a card or writing its schedules should not pay. Calls go through Ffmpeg().name(...).
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
#include <libswresample/swresample.h>
}

#define VELK3_FFMPEG_FUNCTIONS(X)                                                                          \
    X(av_channel_layout_compare) X(av_channel_layout_copy) X(av_channel_layout_default)                   \
    X(av_channel_layout_uninit) X(av_dict_free) X(av_dict_set) X(av_frame_alloc) X(av_frame_free)         \
    X(av_frame_unref) X(av_log_set_level) X(av_match_list) X(av_strerror) X(av_malloc) X(av_free)         \
    X(av_freep) X(av_rescale_q) X(av_rescale)                                                             \
    X(av_packet_alloc) X(av_packet_free) X(av_packet_unref) X(avcodec_alloc_context3)                     \
    X(avcodec_find_decoder) X(avcodec_free_context) X(avcodec_get_name) X(avcodec_open2)                  \
    X(avcodec_parameters_to_context) X(avcodec_receive_frame) X(avcodec_send_packet)                      \
    X(av_find_best_stream) X(av_probe_input_buffer2) X(av_read_frame) X(avformat_alloc_context)           \
    X(avformat_close_input) X(avformat_find_stream_info) X(avformat_open_input) X(avio_alloc_context)     \
    X(avio_context_free)                                                                                  \
    X(swr_alloc_set_opts2) X(swr_convert) X(swr_free) X(swr_get_out_samples) X(swr_init)

struct FfmpegApi {
#define VELK3_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;
    VELK3_FFMPEG_FUNCTIONS(VELK3_FFMPEG_POINTER)
#undef VELK3_FFMPEG_POINTER
};

// The functions, loaded on the first call (from any thread); throws CFileAccessException naming
// what is missing when FFmpeg's libraries cannot be loaded.
const FfmpegApi& Ffmpeg();

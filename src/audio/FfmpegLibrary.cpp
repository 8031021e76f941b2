#include "audio/FfmpegLibrary.h"

#include <dlfcn.h>

#include <string>

#include "platform/Exceptions.h"
#include "platform/Translatable.h"

namespace {

// The libraries the headers were compiled against, dependencies first.
const std::string kLibraries[] = {
    "libavutil.so." + std::to_string(LIBAVUTIL_VERSION_MAJOR),
    "libswresample.so." + std::to_string(LIBSWRESAMPLE_VERSION_MAJOR),
    "libavcodec.so." + std::to_string(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." + std::to_string(LIBAVFORMAT_VERSION_MAJOR),
};

[[noreturn]] void CannotLoad(const std::string& what) {
    const char* reason = ::dlerror();
    throw CFileAccessException(
        reason ? Fill(VELK3_TRANSLATE_NOOP("velk3core", "FFmpeg cannot be loaded: %1 (%2)"), what, reason)
               : Fill(VELK3_TRANSLATE_NOOP("velk3core", "FFmpeg cannot be loaded: %1"), what));
}

void* Find(void* const* handles, const char* name) {
    for (size_t i = 0; i < std::size(kLibraries); ++i)
        if (void* symbol = ::dlsym(handles[i], name)) return symbol;
    CannotLoad(name);
}

FfmpegApi Load() {
    void* handles[std::size(kLibraries)] = {};
    // Kept for the life of the process: FFmpeg's objects may live until its end.
    for (size_t i = 0; i < std::size(kLibraries); ++i)
        if (!(handles[i] = ::dlopen(kLibraries[i].c_str(), RTLD_NOW | RTLD_LOCAL))) CannotLoad(kLibraries[i]);
    FfmpegApi api;
#define VELK3_FFMPEG_FIND(name) api.name = reinterpret_cast<decltype(api.name)>(Find(handles, #name));
    VELK3_FFMPEG_FUNCTIONS(VELK3_FFMPEG_FIND)
#undef VELK3_FFMPEG_FIND
    return api;
}

}  // namespace

const FfmpegApi& Ffmpeg() {
    static const FfmpegApi api = Load();  // a throw leaves it to be tried again next time
    return api;
}

#include "audio/AudioSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/RegularFile.h"

namespace {

int OpenSourceFile(const AudioSource& source) {
    if (source.fd >= 0) return ::fcntl(source.fd, F_DUPFD_CLOEXEC, 0);
    OpenedFile opened = OpenRegularFile(source.path);
    // A pipe or a device is no audio file: the demuxers seek, and a pipe would hold the reader.
    if (!opened.IsOpen()) errno = opened.error ? opened.error : EINVAL;
    return opened.file.Release();
}

}  // namespace

bool OpenSourceRegion(const AudioSource& source, SourceRegion& region) {
    region.fd = OpenSourceFile(source);
    if (region.fd < 0) return false;
    struct stat st {};
    if (::fstat(region.fd, &st) != 0) {
        const int error = errno;
        ::close(region.fd);
        region.fd = -1;
        errno = error;
        return false;
    }
    const uint64_t size = uint64_t(std::max<off_t>(st.st_size, 0));
    region.start = std::min(source.offset, size);
    region.length = std::min(source.length.value_or(UINT64_MAX), size - region.start);
    return true;
}

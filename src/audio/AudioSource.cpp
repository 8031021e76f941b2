#include "audio/AudioSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

bool OpenSourceRegion(const AudioSource& source, SourceRegion& region) {
    region.fd = source.fd >= 0 ? ::fcntl(source.fd, F_DUPFD_CLOEXEC, 0) : ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
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

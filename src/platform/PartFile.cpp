#include "platform/PartFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/Translatable.h"

namespace {

constexpr mode_t kFileMode = 0644;

// what: a pattern with the file in %1 and the system's reason in %2.
MessageText Failure(const char* what, const std::string& path) { return Fill(what, path, std::strerror(errno)); }

}  // namespace

CPartFile::CPartFile(const std::string& path) : m_path(path), m_part(path + ".part") {
    m_fd = ::open(m_part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (m_fd < 0)
        throw CFileAccessException(Failure(VELK3_TRANSLATE_NOOP("velk3core", "Could not create %1 (%2)"), m_part));
}

CPartFile::~CPartFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_committed) ::unlink(m_part.c_str());
}

void CPartFile::Commit() {
    if (::fsync(m_fd) != 0)
        throw CFileAccessException(Failure(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write file %1 (%2)"), m_part));
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throw CFileAccessException(Failure(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write file %1 (%2)"), m_part));
    if (std::rename(m_part.c_str(), m_path.c_str()) != 0)
        throw CFileAccessException(Failure(VELK3_TRANSLATE_NOOP("velk3core", "Could not create %1 (%2)"), m_path));
    m_committed = true;
}

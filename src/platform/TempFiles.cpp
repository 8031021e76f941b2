#include "platform/TempFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/Translatable.h"

std::string TempDirectory() {
    const char* dir = std::getenv("TMPDIR");
    return (dir && *dir) ? dir : "/tmp";
}

std::string CreateTempFile(const std::string& prefix) {
    std::string pattern = TempDirectory() + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw CFileAccessException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not create a temporary file in %1 (%2)"), TempDirectory(),
                 std::strerror(errno)));
    ::close(fd);
    return name.data();
}

CTempFile::~CTempFile() { ::unlink(m_path.c_str()); }

#include "platform/FileIdentity.h"

#include <unistd.h>

bool RemoveIfStillNamed(const std::string& path, const FileIdentity& file) {
    struct stat named {};
    return file.Known() && ::lstat(path.c_str(), &named) == 0 && FileIdentity::Of(named) == file &&
           ::unlink(path.c_str()) == 0;
}

#pragma once
// Reading data back goes through the page cache and cannot tell whether it reached the medium.
// The device tests link their own fdatasync (it forwards to the kernel) that notes which file each
// call flushed, so a test sees a flush that is missing.
#include <string>

// How many fdatasync calls flushed the file at path since the process started.
int SyncCount(const std::string& path);

#pragma once
// Reading data back goes through the page cache and cannot tell whether it reached the medium.
// The device tests link their own fdatasync and posix_fadvise (they forward to the kernel) that
// note which file each call was for, so a test sees a flush or a cache drop that is missing.
#include <string>
#include <vector>

// How many fdatasync calls flushed the file at path since the process started.
int SyncCount(const std::string& path);
// The calls for path in order: "sync", or "drop OFFSET+LENGTH" for a POSIX_FADV_DONTNEED.
std::vector<std::string> CacheCalls(const std::string& path);

#pragma once
// A stdio stream owned by a unique_ptr, so every path out of a function closes it.
#include <cstdio>
#include <memory>
#include <string>

struct StdioCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioCloser>;

// Streams of routine audio are read and written in runs of kilobytes; a larger buffer than stdio's
// 4 KiB default saves most of the system calls.
inline constexpr size_t kStdioBufferSize = 1 << 16;

inline StdioFile OpenStdioFile(const std::string& path, const char* mode) {
    StdioFile file(std::fopen(path.c_str(), mode));
    if (file) std::setvbuf(file.get(), nullptr, _IOFBF, kStdioBufferSize);
    return file;
}

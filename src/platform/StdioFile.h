#pragma once
// A stdio stream owned by a unique_ptr, so every path out of a function closes it.
#include <cstdio>
#include <memory>
#include <string>

struct StdioCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioCloser>;

inline StdioFile OpenStdioFile(const std::string& path, const char* mode) {
    return StdioFile(std::fopen(path.c_str(), mode));
}

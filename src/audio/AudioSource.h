#pragma once
// Where audio lies: a whole file, or length bytes of it from offset on (a routine file's audio),
// read where it is rather than copied out first.
#include <cstdint>
#include <optional>
#include <string>

// A file already open (fd) is read through a descriptor of its own, leaving the owner's position
// alone; path then only names it.
struct AudioSource {
    std::string path;
    int fd = -1;
    uint64_t offset = 0;
    std::optional<uint64_t> length;  // none: to the end of the file
};

// The bytes of a source, cut to its file, on a descriptor of their own (closed by the owner).
struct SourceRegion {
    int fd = -1;
    uint64_t start = 0;
    uint64_t length = 0;
};

// False with errno set when the file cannot be opened or examined.
bool OpenSourceRegion(const AudioSource& source, SourceRegion& region);

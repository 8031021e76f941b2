#pragma once
// Every file this system reads by name is opened here. A name from outside (typed, chosen, dropped,
// kept in a list) may name what is not a file: a named pipe holds whoever opens it until a writer
// comes, a serial port resets the board behind it when it is opened, a link planted in place of a
// kept name leads to another file. So the type is looked at before anything is opened, the open
// never waits (O_NONBLOCK, cleared again once the descriptor is known to be a file), and the type
// is checked once more on the descriptor itself. Whatever else is there is refused with a line that
// says what it is.
#include <fcntl.h>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/FileIdentity.h"
#include "platform/StdioFile.h"

struct RegularFileRules {
    int access = O_RDONLY;  // or O_RDWR
    // False for a name this system kept itself (a listed image): a link put in its place is refused.
    bool followLinks = true;
    // Where a card is meant, a disk's block device is taken as well.
    bool blockDevice = false;
};

struct OpenedFile {
    CFileDescriptor file;  // close-on-exec, blocking; not open when refused
    struct stat info {};   // of the descriptor
    int error = 0;         // the system's reason, or 0 when refused for its type
    std::string problem;   // why not, for after the name: "no such file", "a named pipe, not a regular file"

    bool IsOpen() const { return file.IsOpen(); }
};

OpenedFile OpenRegularFile(const std::string& path, const RegularFileRules& rules = {});

// The same as a stdio stream with the large buffer, for reading ("rb") or updating ("r+b", which
// opens for reading and writing whatever rules.access says); empty, with problem set, when refused.
StdioFile OpenRegularStream(const std::string& path, const char* mode, std::string& problem,
                            const RegularFileRules& rules = {});

// The whole of a small file, read through OpenRegularFile; false, with problem set, when it cannot
// be opened or read or holds more than mostBytes.
bool ReadRegularFile(const std::string& path, size_t mostBytes, std::vector<uint8_t>& bytes, std::string& problem);

#pragma once
// The three kinds of failure that reach the user. Each carries only its message text; the face
// (window or velk3) shows it.
#include <stdexcept>
#include <string>

class CVelkException : public std::runtime_error {
public:
    explicit CVelkException(const std::string& message) : std::runtime_error(message) {}
    const char* Message() const noexcept { return what(); }
};

// Sector devices, the bootloader, the relay device, and the removal of the last routine.
class CUsbDeviceException : public CVelkException {
public:
    using CVelkException::CVelkException;
};

// Routine-file import, audio preparation and the MP3 frame reader.
class CFileAccessException : public CVelkException {
public:
    using CVelkException::CVelkException;
};

// A routine file that cannot be opened.
class CDriveAccessException : public CVelkException {
public:
    using CVelkException::CVelkException;
};

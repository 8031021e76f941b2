#pragma once
// Shared by the fuzz targets: the input as a file for the code that reads files, and a reader of
// the input's bytes for targets that split it into parts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Keeps a result alive so the code that computes it is not optimised away.
inline void Keep(uint64_t value) {
    static volatile uint64_t sink;
    sink = sink + value;
}

// A private directory for the process's files (also its TMPDIR), removed when it ends normally.
const std::string& ScratchDirectory();

// A file in a private directory that each call overwrites with the given bytes; the directory and
// the file go when the process ends normally.
const std::string& WriteInputFile(const uint8_t* data, size_t size);

// Takes bytes from the front of the input; past its end every value is zero.
class CInputReader {
public:
    CInputReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t Byte() { return m_position < m_size ? m_data[m_position++] : 0; }
    uint16_t Word() { return uint16_t(Byte() | (Byte() << 8)); }
    // Up to count bytes (fewer at the end of the input).
    std::vector<uint8_t> Bytes(size_t count);
    std::vector<uint8_t> Rest() { return Bytes(Left()); }
    size_t Left() const { return m_size - m_position; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
};

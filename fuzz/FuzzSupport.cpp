#include "FuzzSupport.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

// Created once; it also becomes TMPDIR so the temporary files of the code under test land here.
class CScratchDirectory {
public:
    CScratchDirectory() {
        std::string pattern = std::filesystem::temp_directory_path() / "velk3-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("no scratch directory");
        m_path = pattern;
        ::setenv("TMPDIR", m_path.c_str(), 1);
        m_input = m_path + "/input";
    }
    ~CScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    const std::string& Input() const { return m_input; }

private:
    std::string m_path;
    std::string m_input;
};

CScratchDirectory& Directory() {
    static CScratchDirectory directory;
    return directory;
}

}  // namespace

const std::string& ScratchDirectory() { return Directory().Path(); }

const std::string& WriteInputFile(const uint8_t* data, size_t size) {
    const CScratchDirectory& directory = Directory();
    std::FILE* file = std::fopen(directory.Input().c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        throw std::runtime_error("cannot write the fuzz input file");
    return directory.Input();
}

std::vector<uint8_t> CInputReader::Bytes(size_t count) {
    const size_t taken = std::min(count, Left());
    std::vector<uint8_t> bytes(m_data + m_position, m_data + m_position + taken);
    m_position += taken;
    return bytes;
}

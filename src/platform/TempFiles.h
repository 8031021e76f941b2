#pragma once
// Temporary files under the "ylm" prefix in $TMPDIR (or /tmp), each deleted by its owner.
#include <string>

// Creates a new empty file with a unique name and returns its path; throws CFileAccessException.
std::string CreateTempFile(const std::string& prefix = "ylm");
std::string TempDirectory();

// Owns one temporary file: the destructor removes it on every path.
class CTempFile {
public:
    explicit CTempFile(const std::string& prefix = "ylm") : m_path(CreateTempFile(prefix)) {}
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

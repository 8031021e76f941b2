#pragma once
// A file written under PATH.part and renamed to PATH once it is complete, so that PATH never holds
// half a file. The part is made afresh (never through a link, never into a file that exists: the
// write reaches no other file) with mode 0644, and removed again unless it was committed: a
// failure or a stop leaves nothing behind.
#include <string>

class CPartFile {
public:
    // Throws CFileAccessException naming the part when it cannot be made (one left by an earlier
    // run included: it is not ours to remove).
    explicit CPartFile(const std::string& path);
    ~CPartFile();
    CPartFile(const CPartFile&) = delete;
    CPartFile& operator=(const CPartFile&) = delete;

    int Fd() const { return m_fd; }
    const std::string& PartPath() const { return m_part; }
    // Puts the part's bytes on the disk, closes it and renames it over PATH.
    void Commit();

private:
    std::string m_path;
    std::string m_part;
    int m_fd = -1;
    bool m_committed = false;
};

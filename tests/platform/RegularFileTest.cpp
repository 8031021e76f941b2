// Opening a file by a name from outside: only a regular file (or, where a card is meant, a disk) is
// opened, nothing else is even opened, and what is refused is named.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pty.h>
#include <unistd.h>

#include "platform/RegularFile.h"
#include "platform/TempFiles.h"
#include "support/OpenWatch.h"

namespace {

namespace fs = std::filesystem;

class CScratchDir {
public:
    CScratchDir() : m_path(CreateTempFile("ylmfiles")) {
        fs::remove(m_path);
        fs::create_directory(m_path);
    }
    ~CScratchDir() { fs::remove_all(m_path); }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// The first block device the machine has, if any.
std::optional<std::string> SomeBlockDevice() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/block", ec)) {
        const std::string node = "/dev/" + entry.path().filename().string();
        if (fs::is_block_file(node, ec)) return node;
    }
    return std::nullopt;
}

TEST(OpenRegularFile, OpensRegularFilesBlockingAndRefusesEverythingElseWithoutOpeningIt) {
    const CScratchDir dir;
    std::ofstream(dir.File("file")) << "bytes";
    fs::create_directory(dir.File("folder"));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    fs::create_symlink(dir.File("file"), dir.File("link"));
    int master = -1, slave = -1;
    char terminal[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, terminal, nullptr, nullptr), 0);
    const std::optional<std::string> disk = SomeBlockDevice();

    RegularFileRules kept;
    kept.followLinks = false;
    RegularFileRules card;
    card.blockDevice = true;
    struct Case {
        std::string path;
        RegularFileRules rules;
        const char* problem;  // empty: opened
    };
    std::vector<Case> cases = {
        {dir.File("file"), {}, ""},
        {dir.File("link"), {}, ""},
        {dir.File("link"), kept, "a symbolic link, not a regular file"},
        {dir.File("missing"), {}, "no such file"},
        {dir.File("folder"), {}, "a folder, not a regular file"},
        {dir.File("pipe"), {}, "a named pipe, not a regular file"},
        {dir.File("pipe"), card, "a named pipe, not a disk or a regular file"},
        {terminal, {}, "a character device (such as a terminal or a serial port), not a regular file"},
    };
    if (disk) {
        cases.push_back({*disk, {}, "a block device, not a regular file"});
        if (::geteuid() == 0) cases.push_back({*disk, card, ""});
    }
    for (const Case& c : cases) {
        const std::string what = c.path + (c.rules.followLinks ? "" : " (kept)") + (c.rules.blockDevice ? " (card)" : "");
        const COpenWatch watch(c.path);
        const OpenedFile opened = OpenRegularFile(c.path, c.rules);
        EXPECT_EQ(opened.problem, c.problem) << what;
        EXPECT_EQ(opened.IsOpen(), *c.problem == '\0') << what;
        if (opened.IsOpen()) {
            EXPECT_EQ(::fcntl(opened.file.Get(), F_GETFL) & O_NONBLOCK, 0) << what << ": reads must wait for data";
            EXPECT_EQ(::fcntl(opened.file.Get(), F_GETFD) & FD_CLOEXEC, FD_CLOEXEC) << what;
        } else if (watch.Watching()) {
            EXPECT_FALSE(watch.Opened()) << what << " was opened";
        }
    }
    ::close(master);
    ::close(slave);
}

TEST(ReadRegularFile, ReadsASmallFileWholeAndRefusesALargerOne) {
    const CScratchDir dir;
    std::ofstream(dir.File("data")) << "0123456789";
    std::vector<uint8_t> bytes;
    std::string problem;
    EXPECT_TRUE(ReadRegularFile(dir.File("data"), 10, bytes, problem)) << problem;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
    EXPECT_FALSE(ReadRegularFile(dir.File("data"), 9, bytes, problem));
    EXPECT_EQ(problem, "larger than 9 bytes");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(ReadRegularFile(dir.File("pipe"), 10, bytes, problem));
    EXPECT_EQ(problem, "a named pipe, not a regular file");
}

}  // namespace

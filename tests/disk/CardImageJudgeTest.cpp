#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include "disk/CardImageJudge.h"
#include "disk/DiskLayout.h"
#include "platform/ByteOrder.h"
#include "support/OpenWatch.h"

namespace {

namespace fs = std::filesystem;

// A file of size bytes, holes but for the bytes at `at` (data written there, as a copy would).
void MakeFile(const fs::path& path, uint64_t size, uint64_t at = 0, std::string data = {}) {
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, size);
    if (data.empty()) return;
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(std::streamoff(at));
    file.write(data.data(), std::streamsize(data.size()));
}

std::string Header() {
    std::string sector(512, '\0');
    StoreLe32(reinterpret_cast<uint8_t*>(sector.data()), disk_layout::kMagic);
    return sector;
}

}  // namespace

// Each row is a file that would be overwritten, or a card refused, if the judgement slipped.
TEST(JudgeCardImage, TellsCardsFromFilesThatOnlyLookLikeOne) {
    const fs::path dir = fs::path(::testing::TempDir()) / ("judge-" + std::to_string(::getpid()));
    fs::create_directories(dir / "folder");
    constexpr uint64_t kMiB = 1 << 20;
    struct Case {
        const char* name;
        uint64_t size, at;
        std::string data;
        CardImageKind want;
    };
    const Case cases[] = {
        {"a.velk", 4096, 0, "VELK", CardImageKind::Routine},
        {"B.VELK", 0, 0, "", CardImageKind::Routine},
        {"empty.img", 0, 0, "", CardImageKind::Blank},
        {"sparse.img", 64 * kMiB, 0, "", CardImageKind::Blank},
        {"zeros.img", 8 * 512, 0, std::string(8 * 512, '\0'), CardImageKind::Blank},
        {"card.img", 8192 * 512, 0, Header(), CardImageKind::VelkDisk},
        {"song.mp3", 1000, 0, "ID3", CardImageKind::NotSectors},
        {"firmware.img", 513, 0, "", CardImageKind::NotSectors},
        {"doc.bin", 2048, 0, "%PDF", CardImageKind::Foreign},
        {"late.bin", 64 * kMiB, 40 * kMiB, "x", CardImageKind::Foreign},
        {"huge-zeros.img", 2 * kZeroCheckBytes, 0, std::string(2 * kZeroCheckBytes, '\0'), CardImageKind::Foreign},
    };
    for (const Case& c : cases) {
        MakeFile(dir / c.name, c.size, c.at, c.data);
        EXPECT_EQ(JudgeCardImage(dir / c.name).kind, c.want) << c.name;
    }
    EXPECT_EQ(JudgeCardImage(dir / "missing.img").problem, "no such file");
    EXPECT_EQ(JudgeCardImage(dir / "folder").problem, "a folder, not a regular file");
    EXPECT_EQ(JudgeCardImage(dir / "folder").kind, CardImageKind::Unreadable);
    fs::remove_all(dir);
}

// A dropped node is looked at before anything opens it: opening a named pipe may wait for a writer,
// and opening a serial port resets the board behind it.
TEST(JudgeCardImage, RefusesPipesAndTerminalsWithoutOpeningThem) {
    const fs::path dir = fs::path(::testing::TempDir()) / ("judge-nodes-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string pipe = (dir / "pipe.img").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    int master = -1, slave = -1;
    char terminal[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, terminal, nullptr, nullptr), 0);
    struct Case {
        std::string path;
        const char* problem;
    };
    const Case cases[] = {
        {pipe, "a named pipe, not a regular file"},
        {terminal, "a character device (such as a terminal or a serial port), not a regular file"},
    };
    for (const Case& c : cases) {
        const COpenWatch watch(c.path);
        ASSERT_TRUE(watch.Watching()) << c.path;
        const CardImageJudgement judged = JudgeCardImage(c.path);
        EXPECT_EQ(judged.kind, CardImageKind::Unreadable) << c.path;
        EXPECT_EQ(judged.problem, c.problem) << c.path;
        EXPECT_FALSE(watch.Opened()) << c.path << " was opened";
    }
    ::close(master);
    ::close(slave);
    fs::remove_all(dir);
}

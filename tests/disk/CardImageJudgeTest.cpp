#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "disk/CardImageJudge.h"
#include "disk/DiskLayout.h"
#include "platform/ByteOrder.h"

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
    EXPECT_EQ(JudgeCardImage(dir / "folder").problem, "not a regular file");
    EXPECT_EQ(JudgeCardImage(dir / "folder").kind, CardImageKind::Unreadable);
    fs::remove_all(dir);
}

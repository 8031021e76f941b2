// velk3 backup and restore on card images: a sparse copy of the used sectors, a verified restore,
// and refusals that leave the card untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "devices/ImageFile.h"
#include "disk/CardBuilder.h"
#include "disk/VelkDisk.h"
#include "e2e/Velk3Process.h"
#include "platform/TempFiles.h"

namespace {

constexpr uint64_t kCardSectors = 65536;  // 32 MiB
constexpr uint32_t kTrackSectors = 2048;

class Velk3Backup : public ::testing::Test {
protected:
    Velk3Backup() {
        for (const std::string* path : {&m_card, &m_backup, &m_target}) std::filesystem::remove(*path);
    }
    ~Velk3Backup() override {
        for (const std::string* path : {&m_card, &m_backup, &m_target}) std::filesystem::remove(*path);
    }
    // A card of two routines whose sectors are patterned; returns one past the last sector it uses.
    uint32_t MakeCard(const std::string& path, uint64_t sectors) {
        CImageFile::Create(path, sectors);
        CImageFile device;
        device.Open(CImageFile::EntryFor(path));
        std::vector<uint8_t> run(kTrackSectors * kSectorSize);
        for (size_t i = 0; i < run.size(); ++i) run[i] = uint8_t(i * 31 + i / 512);
        CVelkDisk disk(device);
        disk.Read();
        for (const TrackEntry& t : MakeTracks(2, kTrackSectors - 2, 2)) {
            device.writeSector(t.audioStart, kTrackSectors, run.data());
            disk.AppendTrack(t);
        }
        disk.WriteTable();
        const uint32_t used = disk.ReferencedEnd();
        device.Close();
        return used;
    }
    std::string Head(const std::string& path, uint32_t sectors) { return ReadWholeFile(path).substr(0, size_t(sectors) * 512); }

    std::string m_card = CreateTempFile(), m_backup = CreateTempFile(), m_target = CreateTempFile();
};

TEST_F(Velk3Backup, BackupIsASparseImageOfTheCardAndRestoreWritesItBackVerified) {
    const uint32_t used = MakeCard(m_card, kCardSectors);
    const ProcessResult backup = RunVelk3({"backup", m_card, m_backup});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_EQ(std::filesystem::file_size(m_backup), kCardSectors * 512);
    struct stat st {};
    ASSERT_EQ(::stat(m_backup.c_str(), &st), 0);
    EXPECT_LT(uint64_t(st.st_blocks) * 512, kCardSectors * 512 / 4) << "the unused sectors are holes";
    EXPECT_EQ(Head(m_backup, used), Head(m_card, used));

    CImageFile::Create(m_target, kCardSectors / 2);
    const ProcessResult declined = RunVelk3({"restore", m_backup, m_target});
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_EQ(ReadWholeFile(m_target), std::string(kCardSectors / 2 * 512, '\0')) << "No writes nothing";

    const ProcessResult restore = RunVelk3({"--yes", "restore", m_backup, m_target});
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_NE(restore.out.find("verified"), std::string::npos);
    EXPECT_EQ(Head(m_target, used), Head(m_card, used));
}

TEST_F(Velk3Backup, RestoreRefusesForeignAndTooBigImagesWithoutTouchingTheCard) {
    const uint32_t used = MakeCard(m_card, kCardSectors);
    CImageFile::Create(m_target, used - 1);
    CImageFile::Create(m_backup, 64);  // zeros: no VELK disk
    struct Case {
        std::string image;
        std::string message;
    };
    const Case cases[] = {
        {m_backup, "The image does not hold a VELK disk; nothing was written."},
        {m_card, "The image needs " + std::to_string(used) + " sectors, but the card has only " + std::to_string(used - 1)},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunVelk3({"--yes", "restore", c.image, m_target});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(ReadWholeFile(m_target), std::string(size_t(used - 1) * 512, '\0'));
    }
}

}  // namespace

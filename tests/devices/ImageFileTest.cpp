#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "devices/DeviceOpener.h"
#include "devices/FakeSystem.h"
#include "devices/ImageFile.h"
#include "devices/PhysicalDrive.h"
#include "devices/SyncRecorder.h"
#include "platform/Exceptions.h"
#include "platform/TempFiles.h"

namespace {

struct ImagePath {
    ImagePath() : path(CreateTempFile()) { std::filesystem::remove(path); }
    ~ImagePath() { std::filesystem::remove(path); }
    std::string path;
};

TEST(CImageFile, IsAFixedSizeCardThatRefusesTransfersPastItsEnd) {
    ImagePath image;
    CImageFile::Create(image.path, 16);
    EXPECT_EQ(std::filesystem::file_size(image.path), 16u * 512);
    CImageFile card;
    card.Open(CImageFile::EntryFor(image.path));
    EXPECT_EQ(card.GetSectorCount(), 16u);
    std::vector<uint8_t> data(2 * 512, 0x3C), back(2 * 512);
    card.writeSector(14, 2, data.data());
    card.readSector(14, 2, back.data());
    EXPECT_EQ(back, data);
    EXPECT_THROW(card.writeSector(15, 2, data.data()), CUsbDeviceException);
    EXPECT_THROW(card.readSector(16, 1, back.data()), CUsbDeviceException);
    EXPECT_THROW(card.writeSector(0xFFFFFFFFu, 2, data.data()), CUsbDeviceException) << "no 32-bit wrap";
    card.Close();
    EXPECT_EQ(std::filesystem::file_size(image.path), 16u * 512) << "the image never grows";
}

TEST(CImageFile, CreateMakesAnImageOfItsOwnerAloneAndRefusesAnExistingFileOrZeroSize) {
    ImagePath image;
    const mode_t umask = ::umask(0);  // whatever the user's umask allows, a card's contents stay private
    CImageFile::Create(image.path, 1);
    ::umask(umask);
    EXPECT_EQ(std::filesystem::status(image.path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_THROW(CImageFile::Create(image.path, 8), CUsbDeviceException);
    ImagePath other;
    EXPECT_THROW(CImageFile::Create(other.path, 0), CUsbDeviceException);
    EXPECT_FALSE(std::filesystem::exists(other.path));
}

TEST(CImageFile, OneCommandAtATime) {
    ImagePath image;
    CImageFile::Create(image.path, 4);
    CImageFile first, second;
    first.Open(CImageFile::EntryFor(image.path));
    EXPECT_THROW(second.Open(CImageFile::EntryFor(image.path)), CUsbDeviceException);
    first.Close();
    EXPECT_NO_THROW(second.Open(CImageFile::EntryFor(image.path)));
    second.Close();
}

// A job opens the very file the window listed. Whatever was put at its name since (a link, or a new
// file that the file system gave the freed inode number) is refused; the file written in place is it.
TEST(OpenDevice, AListedImageOpensOnlyAsTheFileThatWasListed) {
    struct Case {
        const char* what;
        std::function<void(const std::string& path, const std::string& other)> change;
        const char* refusal;  // nullptr: opened
    };
    const Case cases[] = {
        {"written in place", [](const std::string& p, const std::string&) { std::ofstream(p, std::ios::in | std::ios::out) << "x"; },
         nullptr},
        {"a link to another image",
         [](const std::string& p, const std::string& other) {
             std::filesystem::remove(p);
             std::filesystem::create_symlink(other, p);
         },
         " has been replaced by another file since it was listed."},
        {"made anew after it was deleted",
         [](const std::string& p, const std::string&) {
             std::filesystem::remove(p);
             CImageFile::Create(p, 4);
         },
         " has been replaced by another file since it was listed."},
        {"deleted", [](const std::string& p, const std::string&) { std::filesystem::remove(p); }, " is no longer there."},
    };
    for (const Case& c : cases) {
        ImagePath image, other;
        CImageFile::Create(image.path, 4);
        CImageFile::Create(other.path, 4);
        const DeviceId listed = CImageFile::EntryFor(image.path).id;
        c.change(image.path, other.path);
        std::string result = "opened";
        try {
            OpenDevice(listed, {}).Close();
        } catch (const CUsbDeviceException& e) {
            result = e.what();
        }
        EXPECT_EQ(result, c.refusal ? "The card image " + image.path + c.refusal : "opened") << c.what;
    }
}

TEST(CImageFile, FlushAndCloseAfterWritingReachTheDisk) {
    ImagePath image;
    CImageFile::Create(image.path, 4);
    std::vector<uint8_t> data(512, 0x5A);
    CImageFile card;
    card.Open(CImageFile::EntryFor(image.path));
    card.Flush();
    EXPECT_EQ(SyncCount(image.path), 0) << "nothing written, nothing to wait for";
    card.writeSector(1, 1, data.data());
    card.Flush();
    EXPECT_EQ(SyncCount(image.path), 1);
    card.writeSector(2, 1, data.data());
    card.Close();
    EXPECT_EQ(SyncCount(image.path), 2) << "Close after writing flushes";
}

}  // namespace

// A read-back served from the page cache would confirm writes the card never kept: the image and
// the drive flush, then drop the range.
TEST(DropCache, FlushesAndDropsTheCachedRange) {
    ImagePath image;
    CImageFile::Create(image.path, 8);
    CFakeSystem sys;
    sys.AddDisk("sdb", "8:16", 8, true);
    sys.AddDeviceNode("sdb", 8 * 512);
    CImageFile imageFile;
    CPhysicalDrive drive(sys.Paths());
    struct Case {
        CSectorDevice& device;
        DeviceEntry entry;
        std::string file;
    };
    const Case cases[] = {
        {imageFile, CImageFile::EntryFor(image.path), image.path},
        {drive, DeviceEntry{makedev(8, 16), "sdb", "sdb", {}}, (sys.Root() / "dev/sdb").string()},
    };
    const std::vector<uint8_t> out(2 * 512, 0x6C);
    for (const Case& c : cases) {
        c.device.Open(c.entry);
        c.device.writeSector(2, 2, out.data());
        std::vector<uint8_t> in(out.size());
        c.device.DropCache(2, 2);
        c.device.readSector(2, 2, in.data());
        EXPECT_EQ(in, out) << c.file;
        EXPECT_EQ(CacheCalls(c.file), (std::vector<std::string>{"sync", "drop 1024+1024"})) << c.file;
        c.device.Close();
    }
}

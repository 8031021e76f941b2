// Opening a card reader's disk: the unmount question before writing to a mounted card, read-only
// opening for commands that only read, and udisks2 standing in when the system refuses the user.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <linux/magic.h>
#include <sched.h>
#include <optional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "devices/FakeSystem.h"
#include "devices/PhysicalDrive.h"
#include "devices/UdisksClient.h"
#include "platform/Exceptions.h"
#include "support/ChildProcess.h"
#include "support/RecordingPrompt.h"

namespace {

constexpr uid_t kNobody = 65534;
constexpr int64_t kSectors = 64;
constexpr int kSkipped = 77;

class CFakeUdisks final : public IUdisksClient {
public:
    CFileDescriptor OpenDevice(const std::string& path, DeviceAccess access) override {
        calls.push_back("open " + path + (access == DeviceAccess::ReadWrite ? " rw" : " r"));
        if (openFailure) throw CUdisksError(*openFailure, "Not authorized to perform operation");
        return CFileDescriptor(::open(file.c_str(), (access == DeviceAccess::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC));
    }
    void Unmount(const std::string& path) override {
        calls.push_back("unmount " + path);
        if (unmountFailure) throw CUdisksError(*unmountFailure, "target is busy");
    }

    std::string file;
    std::optional<UdisksFailure> openFailure, unmountFailure;
    std::vector<std::string> calls;
};

struct MountedCard {
    MountedCard() {
        sys.AddDisk("sdb", "8:16", kSectors, true);
        sys.AddPartition("sdb", "sdb1", "8:17", 1);
        sys.AddPartition("sdb", "sdb2", "8:18", 2);
        sys.Mount("8:17", "/dev/sdb1", "/media/anna/CARD");
        sys.Mount("8:18", "/dev/sdb2", "/media/anna/DATA");
        sys.AddDeviceNode("sdb", kSectors * 512);
    }
    DeviceEntry Entry() const { return {makedev(8, 16), "", "sdb"}; }
    std::string Dev(const std::string& node) const { return (sys.Root() / "dev" / node).string(); }
    CFakeSystem sys;
};

std::string OpenMessage(CPhysicalDrive& drive, const DeviceEntry& entry) {
    try {
        drive.Open(entry);
    } catch (const CUsbDeviceException& e) {
        return e.what();
    }
    return "opened";
}

TEST(CRawDiskOpener, AsksBeforeUnmountingAMountedCardForWritingAndWritesNothingUnlessAllGoesWell) {
    const std::string question =
        "The card is mounted at /media/anna/CARD, /media/anna/DATA.\n\nUnmount it and continue?";
    struct Case {
        const char* name;
        bool answer;
        std::optional<UdisksFailure> unmountFailure;
        std::string want;
        size_t unmounts;
    };
    const Case cases[] = {
        {"No", false, std::nullopt, "The card stays mounted; nothing was written to it.", 0},
        {"Yes", true, std::nullopt, "opened", 2},
        {"Yes, unmount refused", true, UdisksFailure::Failed,
         "Could not unmount /media/anna/CARD (target is busy).\nNothing was written to the card.", 1},
        {"Yes, not authorised", true, UdisksFailure::NotAuthorized,
         "Could not unmount /media/anna/CARD (target is busy).\nNothing was written to the card.", 1},
    };
    for (const Case& c : cases) {
        MountedCard card;
        CFakeUdisks udisks;
        udisks.unmountFailure = c.unmountFailure;
        CRecordingPrompt prompt;
        prompt.answers = {c.answer};
        CPhysicalDrive drive(card.sys.Paths(), DeviceAccess::ReadWrite, &udisks, false, &prompt);
        EXPECT_EQ(OpenMessage(drive, card.Entry()), c.want) << c.name;
        EXPECT_EQ(prompt.questions, std::vector<std::string>{question}) << c.name;
        const std::vector<std::string> all = {"unmount " + card.Dev("sdb1"), "unmount " + card.Dev("sdb2")};
        EXPECT_EQ(udisks.calls, std::vector<std::string>(all.begin(), all.begin() + long(c.unmounts))) << c.name;
        drive.Close();
    }
}

TEST(CRawDiskOpener, ReadsAMountedCardReadOnlyWithoutAskingOrUnmounting) {
    MountedCard card;
    CFakeUdisks udisks;
    CRecordingPrompt prompt;
    CPhysicalDrive drive(card.sys.Paths(), DeviceAccess::Read, &udisks);
    drive.Open(card.Entry());
    std::vector<uint8_t> sector(512, 0x5A);
    drive.readSector(0, 1, sector.data());
    EXPECT_THROW(drive.writeSector(0, 1, sector.data()), CUsbDeviceException) << "opened read-only";
    drive.Close();
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_TRUE(udisks.calls.empty());
}

// Runs body where opening a node with mode 000 is refused: as an unprivileged user when the tests
// run as root. body's lines go to a file the parent reads back.
std::vector<std::string> RunRefused(const std::string& node, const std::function<std::vector<std::string>()>& body) {
    CTempFile results;
    ::chmod(results.Path().c_str(), 0666);
    ::chmod(node.c_str(), 0);
    const pid_t child = ForkChild([&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                                 ::setresuid(kNobody, kNobody, kNobody) != 0))
            return 3;
        std::ofstream out(results.Path());
        for (const std::string& line : body()) out << line << "\n";
        return 0;
    });
    EXPECT_EQ(WaitChild(child, 60000), 0);
    std::vector<std::string> lines;
    std::ifstream in(results.Path());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CRawDiskOpener, UsesTheDescriptorOfUdisksWhenTheSystemRefusesAndSaysWhyWhenUdisksCannotHelp) {
    CFakeSystem sys;
    sys.AddDisk("sdb", "8:16", kSectors, true);
    sys.AddDeviceNode("sdb", kSectors * 512);
    const std::string image = (sys.Root() / "card.img").string();
    { std::ofstream(image) << std::string(kSectors * 512, 'C'); }
    ::chmod(image.c_str(), 0666);
    const DeviceEntry entry{makedev(8, 16), "", "sdb"};

    const auto lines = RunRefused((sys.Root() / "dev/sdb").string(), [&] {
        std::vector<std::string> out;
        const std::optional<UdisksFailure> failures[] = {std::nullopt, UdisksFailure::NotAuthorized, UdisksFailure::Unavailable};
        for (const auto& failure : failures) {
            CFakeUdisks udisks;
            udisks.file = image;
            udisks.openFailure = failure;
            CPhysicalDrive drive(sys.Paths(), DeviceAccess::ReadWrite, &udisks);
            std::string result = OpenMessage(drive, entry);
            if (result == "opened") {
                std::vector<uint8_t> sector(512, 'W');
                drive.writeSector(5, 1, sector.data());
                drive.readSector(0, 1, sector.data());
                result += " sectors=" + std::to_string(drive.GetSectorCount()) + " read=" + char(sector[0]);
            }
            drive.Close();
            out.push_back(result);
            for (const auto& call : udisks.calls) out.push_back(call);
        }
        return out;
    });

    const std::string refused = "Could not open drive (Permission denied)\nPlease run VELK3 Manager as root, or join the "
                                "\"disk\" group, to use this card reader.\n";
    const std::string open = "open " + (sys.Root() / "dev/sdb").string() + " rw";
    const std::vector<std::string> expected = {
        "opened sectors=64 read=C",
        open,
        refused + "udisks2 did not allow access (not authorised): accept the password question of the desktop, or ask "
                  "the administrator to allow this user to open disks.",
        open,
        refused + "udisks2 could not be asked for access (no udisks2 on the system bus): install and start udisks2 to "
                  "use card readers without root.",
        open,
    };
    // Messages span lines: compare the text as a whole.
    std::string got, want;
    for (const auto& line : lines) got += line + "\n";
    for (const auto& line : expected) want += line + "\n";
    EXPECT_EQ(got, want);
    std::ifstream in(image, std::ios::binary);
    in.seekg(5 * 512);
    EXPECT_EQ(in.get(), 'W') << "the write went through udisks2's descriptor";
}

// root unmounts by itself where udisks2 is missing. A link put where the card was mounted (the
// mount gone, the name reused) must not lead the unmount to the file system it points at.
TEST(CRawDiskOpener, UnmountsByItselfOnlyWhatIsMountedAtThePlaceNotWhereALinkThereLeads) {
    const int result = WaitChild(ForkChild([] {
        if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return kSkipped;
        CFakeSystem sys;
        sys.AddDisk("sdb", "8:16", kSectors, true);
        sys.AddPartition("sdb", "sdb1", "8:17", 1);
        sys.AddDeviceNode("sdb", kSectors * 512);
        const auto elsewhere = sys.Root() / "elsewhere", place = sys.Root() / "card";
        std::filesystem::create_directory(elsewhere);
        std::filesystem::create_directory_symlink(elsewhere, place);
        if (::mount("tmpfs", elsewhere.c_str(), "tmpfs", 0, nullptr) != 0) return kSkipped;
        sys.Mount("8:17", "/dev/sdb1", place.string());
        CFakeUdisks udisks;
        udisks.unmountFailure = UdisksFailure::Unavailable;
        CRecordingPrompt prompt;
        prompt.answers = {true};
        CPhysicalDrive drive(sys.Paths(), DeviceAccess::ReadWrite, &udisks, false, &prompt);
        const std::string message = OpenMessage(drive, {makedev(8, 16), "", "sdb"});
        struct statfs mounted {};
        const bool kept = ::statfs(elsewhere.c_str(), &mounted) == 0 && mounted.f_type == TMPFS_MAGIC;
        ::umount2(elsewhere.c_str(), MNT_DETACH);
        if (!kept) return 1;
        return message.rfind("Could not unmount " + place.string() + " (", 0) == 0 ? 0 : 2;
    }), 60000);
    if (result == kSkipped) GTEST_SKIP() << "needs root to mount";
    EXPECT_EQ(result, 0) << "1: the file system behind the link was unmounted; 2: no refusal naming the place";
}

}  // namespace

// Other users of the machine: the shared fallback directory is replaced by one of the user's own,
// and nothing under an object's name is used unless it is a regular file of this user.
#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/NamedObjects.h"
#include "support/ChildProcess.h"

extern "C" {
#include "velk3/named_objects.h"
}

namespace {

constexpr uid_t kOtherUser = 12345;
constexpr int kSkipped = 77;

// Only root can give a file away; elsewhere the rows that need it are left out.
bool GiveAway(const std::string& path) { return ::lchown(path.c_str(), kOtherUser, kOtherUser) == 0; }

TEST(ObjectDirectory, FallsBackToADirectoryOfTheUserBelowDevShm) {
    CPrivateObjectDirectory objects;
    ::unsetenv("VELK3_OBJECT_DIR");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(named_objects::ObjectDirectory(), "/dev/shm/velk3-" + std::to_string(::geteuid()));
}

TEST(ObjectDirectory, ThePrivateDirectoryIsMadeOrAcceptedOnlyAsADirectoryOfThisUserWithMode0700) {
    CPrivateObjectDirectory scratch;
    struct Case {
        const char* what;
        std::function<bool(const std::string& directory)> make;  // false: cannot be set up here
        const char* refusal;                                       // nullptr: usable
    };
    const Case cases[] = {
        {"missing", [](const std::string&) { return true; }, nullptr},
        {"made before", [](const std::string& d) { return ::mkdir(d.c_str(), 0700) == 0; }, nullptr},
        {"open to others", [](const std::string& d) { return ::mkdir(d.c_str(), 0) == 0 && ::chmod(d.c_str(), 0777) == 0; },
         "has mode 0777"},
        {"a link to a private directory",
         [](const std::string& d) { return ::mkdir((d + "-real").c_str(), 0700) == 0 && ::symlink((d + "-real").c_str(), d.c_str()) == 0; },
         "is a symbolic link"},
        {"a file", [](const std::string& d) { return ::close(::open(d.c_str(), O_CREAT | O_WRONLY, 0600)) == 0; },
         "is not a directory"},
        {"another user's", [](const std::string& d) { return ::mkdir(d.c_str(), 0700) == 0 && GiveAway(d); },
         "belongs to user 12345"},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string root = scratch.Path() + "/root" + std::to_string(index++);
        std::filesystem::create_directory(root);
        const std::string directory = named_objects::PrivateDirectory(root);
        if (!c.make(directory)) continue;
        const std::string refused = named_objects::PreparePrivateDirectory(directory);
        if (!c.refusal) {
            EXPECT_EQ(refused, "") << c.what;
            struct stat info {};
            ASSERT_EQ(::lstat(directory.c_str(), &info), 0) << c.what;
            EXPECT_TRUE(S_ISDIR(info.st_mode) && (info.st_mode & 07777) == 0700 && info.st_uid == ::geteuid()) << c.what;
        } else {
            EXPECT_NE(refused.find(c.refusal), std::string::npos) << c.what << ": " << refused;
            EXPECT_NE(refused.find(directory), std::string::npos) << c.what << ": the message names it";
            EXPECT_NE(refused.find("set VELK3_OBJECT_DIR or XDG_RUNTIME_DIR"), std::string::npos)
                << c.what << ": the message says how to go on: " << refused;
        }
    }
}

// Runs body in a child with a /dev/shm of its own (root: a mount namespace), so the fallback is
// tried for real without touching the machine's.
int WithPrivateDevShm(const std::function<int()>& body) {
    return WaitChild(ForkChild([&body] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", "/dev/shm", "tmpfs", 0, "mode=1777") != 0)
            return kSkipped;
        ::unsetenv("VELK3_OBJECT_DIR");
        ::unsetenv("XDG_RUNTIME_DIR");
        return body();
    }));
}

TEST(ObjectDirectory, ObjectsGoIntoTheFallbackOnlyOnceItIsPrivate) {
    const int result = WithPrivateDevShm([] {
        const std::string directory = named_objects::PrivateDirectory();
        if (::mkdir(directory.c_str(), 0) != 0 || ::chmod(directory.c_str(), 0777) != 0) return 10;
        CFileMapping refused;
        velk3_mapping client;
        if (refused.Create("OBJ", 16) || refused.LastError() != EPERM) return 11;
        if (velk3_mapping_create(&client, "OBJ", 16) == 0 || errno != EPERM) return 12;
        if (named_objects::ErrorText(EPERM).find("has mode 0777") == std::string::npos) return 13;
        if (::rmdir(directory.c_str()) != 0) return 14;
        CFileMapping made;
        if (!made.Create("OBJ", 16) || !std::filesystem::exists(directory + "/OBJ")) return 15;
        if (velk3_mapping_open(&client, "OBJ") != 0) return 16;
        velk3_mapping_close(&client);
        struct stat info {};
        return ::lstat(directory.c_str(), &info) == 0 && (info.st_mode & 07777) == 0700 ? 0 : 17;
    });
    if (result == kSkipped) GTEST_SKIP() << "needs root for a /dev/shm of its own";
    EXPECT_EQ(result, 0);
}

// Planted under a name this system uses, by another user in a shared VELK3_OBJECT_DIR: the
// planter could hold the locks for ever or shrink a mapping under its reader.
TEST(ObjectOwner, EveryOpenerRefusesWhatIsNotARegularFileOfThisUser) {
    struct Planted {
        const char* what;
        std::function<bool(const std::string& path)> plant;
    };
    const Planted planted[] = {
        {"a FIFO", [](const std::string& path) { return ::mkfifo(path.c_str(), 0666) == 0; }},
        {"another user's file",
         [](const std::string& path) {
             const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0666);
             const bool sized = fd >= 0 && ::ftruncate(fd, 4096) == 0;
             if (fd >= 0) ::close(fd);
             return sized && GiveAway(path);
         }},
    };
    struct Opener {
        const char* what;
        std::function<int(const char* name)> open;  // 0 or the errno
        int want;
    };
    const Opener openers[] = {
        {"mapping", [](const char* name) { CFileMapping m; return m.Open(name) ? 0 : m.LastError(); }, EPERM},
        {"event", [](const char* name) { CNamedEvent e; return e.Open(name) ? 0 : e.LastError(); }, EPERM},
        {"creator (never takes it for stale)",
         [](const char* name) { CFileMapping m; return m.Create(name, 4) ? 0 : m.LastError(); }, EEXIST},
        {"start-up lock", [](const char* name) { CStartupLock l; return l.Open(name) ? 0 : l.LastError(); }, EPERM},
        {"instance record",
         [](const char* name) {
             CInstanceRecord r;
             bool existed = false;
             return r.Open(name, existed) ? 0 : r.LastError();
         },
         EPERM},
        {"C client",
         [](const char* name) {
             velk3_mapping m;
             if (velk3_mapping_open(&m, name) != 0) return errno;
             velk3_mapping_close(&m);
             return 0;
         },
         EPERM},
    };
    for (const Planted& p : planted) {
        for (const Opener& o : openers) {
            CPrivateObjectDirectory objects;
            const std::string path = objects.Path() + "/PLANTED";
            if (!p.plant(path)) continue;
            EXPECT_EQ(o.open("PLANTED"), o.want) << o.what << " on " << p.what;
            EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(path))) << o.what << " on " << p.what;
        }
    }
}

// Only a name that exists is reported as existing: any other failure to give an object its name
// keeps the system's reason.
TEST(ObjectOwner, ACreationThatCannotNameItsObjectSaysWhyRatherThanThatItExists) {
    CPrivateObjectDirectory objects;
    const std::string tooLong(NAME_MAX + 1, 'N');
    CFileMapping mapping;
    EXPECT_FALSE(mapping.Create(tooLong, 16));
    EXPECT_EQ(mapping.LastError(), ENAMETOOLONG);
    velk3_mapping client;
    EXPECT_NE(velk3_mapping_create(&client, tooLong.c_str(), 16), 0);
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_TRUE(objects.Entries().empty());
}

}  // namespace

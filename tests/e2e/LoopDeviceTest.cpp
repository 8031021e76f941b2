// The card commands on a real block device: a loop device over an image. Needs root and a kernel
// that lets this machine attach loop devices; skipped with the reason otherwise.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <unistd.h>

#include "devices/ImageFile.h"
#include "e2e/LoopDevice.h"
#include "e2e/Velk3Process.h"
#include "platform/TempFiles.h"

namespace {

TEST(Velk3OnALoopDevice, FormatsListsAndRefusesWithoutAllowFixed) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to attach a loop device";
    const std::string image = CreateTempFile();
    std::filesystem::remove(image);
    CImageFile::Create(image, 4096);
    LoopDevice loop(image);
    if (loop.Path().empty()) {
        std::filesystem::remove(image);
        GTEST_SKIP() << "losetup could not attach a loop device: " << loop.Error();
    }
    const ProcessResult refused = RunVelk3({"list", loop.Path()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--allow-fixed"), std::string::npos) << refused.err;

    const ProcessResult format = RunVelk3({"--yes", "--allow-fixed", "format", loop.Path()});
    EXPECT_EQ(format.exitCode, 0) << format.err;
    const ProcessResult list = RunVelk3({"--allow-fixed", "list", loop.Path(), "--json"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(nlohmann::json::parse(list.out)["velk"], true);
    const ProcessResult remove = RunVelk3({"--yes", "--allow-fixed", "remove-last", loop.Path()});
    EXPECT_EQ(remove.exitCode, 1);
    EXPECT_NE(remove.err.find("Too few tracks"), std::string::npos) << remove.err;
    std::filesystem::remove(image);
}

}  // namespace

// The window's own options leave the arguments before the mode grammar reads them.
#include <gtest/gtest.h>

#include "app/WindowOptions.h"

namespace {

TEST(WindowOptions, ImagesAndShowSchedulesAreTakenOutAndTheRestKeptInOrder) {
    struct Case {
        std::vector<const char*> args;
        std::vector<std::string> images;
        bool showSchedules;
        std::vector<std::string> rest;
        bool error;
    };
    const Case cases[] = {
        {{}, {}, false, {}, false},
        {{"--image", "a.img", "--image=b.img"}, {"a.img", "b.img"}, false, {}, false},
        {{"--show-schedules", "-server", "velk1", "9600"}, {}, true, {"-server", "velk1", "9600"}, false},
        {{"-server", "--image", "a.img", "velk1", "9600"}, {"a.img"}, false, {"-server", "velk1", "9600"}, false},
        {{"--image", "-listdevices"}, {"-listdevices"}, false, {}, false},  // the file may look like a flag
        {{"-listdevices", "--image"}, {}, false, {"-listdevices"}, true},
        {{"-image", "a.img"}, {}, false, {"-image", "a.img"}, false},  // one dash is the mode grammar's
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"velk3-manager"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const WindowOptions got = ExtractWindowOptions(int(argv.size()), argv.data());
        std::vector<std::string> rest = {"velk3-manager"};
        rest.insert(rest.end(), c.rest.begin(), c.rest.end());
        std::string label;
        for (const char* a : c.args) label += std::string(a) + " ";
        EXPECT_EQ(got.images, c.images) << label;
        EXPECT_EQ(got.showSchedules, c.showSchedules) << label;
        EXPECT_EQ(got.modeArguments, rest) << label;
        EXPECT_EQ(!got.error.empty(), c.error) << label;
    }
}

}  // namespace

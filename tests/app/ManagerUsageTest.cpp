#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "app/ManagerUsage.h"
#include "platform/BuildInfo.h"

namespace {

// Each row: a command line, and what velk3-manager answers before any mode would run ("" when it
// must leave the line to the modes and write nothing).
TEST(AnswerInformationRequest, AnswersHelpAndVersionAnywhereAndLeavesModeLinesAlone) {
    const std::string version = std::string("velk3-manager ") + kVelk3Version + "\n";
    struct Case {
        std::vector<const char*> args;
        std::string want;
    };
    const Case cases[] = {
        {{}, ""},
        {{"-server", "velk1", "9600"}, ""},
        {{"-listdevices"}, ""},
        {{"-version"}, ""},  // a mode-word flag the grammar ignores, not the GNU option
        {{"-help"}, ""},
        {{"--version"}, version},
        {{"-server", "velk1", "9600", "--version"}, version},
        {{"--help"}, kManagerHelp},
        {{"-h", "--version"}, kManagerHelp},  // the first one asked is answered
        {{"--image", "card.img", "--help"}, kManagerHelp},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"velk3-manager"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::ostringstream out;
        const auto answered = AnswerInformationRequest(int(argv.size()), argv.data(), out);
        std::string label;
        for (const char* a : c.args) label += std::string(a) + " ";
        EXPECT_EQ(answered.value_or(-1), c.want.empty() ? -1 : 0) << label;
        EXPECT_EQ(out.str(), c.want) << label;
    }
}

}  // namespace

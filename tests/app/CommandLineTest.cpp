#include <gtest/gtest.h>

#include <vector>

#include "app/ManagerCommandLineInfo.h"

namespace {

struct Parsed {
    bool server, list;
    std::string name;
    int32_t rate;
};

Parsed Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "velk3-manager");
    CManagerCommandLineInfo info;
    info.ParseCommandLine(int(args.size()), args.data());
    return {info.m_bServer, info.m_bListDevices, info.m_strServerName, info.m_nBaudRate};
}

TEST(ParseParam, ModeWordsNamesAndNumbersFollowTheThreeStates) {
    struct Case {
        std::vector<const char*> args;
        Parsed want;
    };
    const Case cases[] = {
        {{}, {false, false, "", 0}},
        {{"server", "velk1", "9600"}, {false, false, "", 0}},  // no prefix: ignored
        {{"-SERVER", "Velk2", "57600"}, {true, false, "VELK2", 57600}},
        {{"/server", "velk1", "115200"}, {true, false, "VELK1", 115200}},
        {{"/listdevices"}, {false, true, "", 0}},
        {{"-ListDevices"}, {false, true, "", 0}},
        {{"-server"}, {true, false, "", 0}},
        {{"-server", "velk1", "abc"}, {true, false, "VELK1", 0}},
        {{"-server", "-listdevices", "9600"}, {true, false, "LISTDEVICES", 9600}},
        {{"-listdevices", "-server", "velk1", "9600"}, {true, true, "VELK1", 9600}},
        {{"-server", "velk1", "2400", "-server", "velk7", "4800"}, {true, false, "VELK7", 4800}},
        {{"-server", "velk1", "9600", "velk9", "1200"}, {true, false, "VELK1", 9600}},  // back in state 0
        {{"--server", "velk1", "9600"}, {false, false, "", 0}},  // only one prefix character goes
        {{"-server", "/velk1", "-9600"}, {true, false, "VELK1", 9600}},  // the prefix is stripped first
        {{"-server", "velk1", "--9600"}, {true, false, "VELK1", -9600}},
        {{"-server", "velk1", "+250000baud"}, {true, false, "VELK1", 250000}},
        {{"-server", "velk1", " 38400"}, {true, false, "VELK1", 38400}},
        {{"-server", "velk1", "99999999999"}, {true, false, "VELK1", 2147483647}},
        {{"-server", "velk1", "--99999999999"}, {true, false, "VELK1", -2147483647 - 1}},
        {{"-server", "velk1", "-"}, {true, false, "VELK1", 0}},
        {{"-", "-x", "-server", "a b", "1"}, {true, false, "A B", 1}},
    };
    for (const auto& c : cases) {
        std::string label;
        for (const char* a : c.args) label += std::string(a) + " ";
        const Parsed got = Parse(c.args);
        EXPECT_EQ(got.server, c.want.server) << label;
        EXPECT_EQ(got.list, c.want.list) << label;
        EXPECT_EQ(got.name, c.want.name) << label;
        EXPECT_EQ(got.rate, c.want.rate) << label;
    }
}

TEST(ParseParam, StateIsDrivenByTheFlagMarkerNotByTheText) {
    CManagerCommandLineInfo info;
    info.ParseParam("server", false, false);
    EXPECT_EQ(info.m_nParamState, 0);
    info.ParseParam("server", true, false);
    EXPECT_EQ(info.m_nParamState, 1);
    info.ParseParam("unit", true, false);  // a flag is still the name
    EXPECT_EQ(info.m_nParamState, 2);
    info.ParseParam("19200", false, true);
    EXPECT_EQ(info.m_nParamState, 0);
    EXPECT_EQ(info.m_strServerName, "UNIT");
    EXPECT_EQ(info.m_nBaudRate, 19200);
}

}  // namespace

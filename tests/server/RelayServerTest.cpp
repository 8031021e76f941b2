// The relay against the simulated unit: the server runs on a thread of its own, the test is the
// client and drives it through the named objects exactly as a client program would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>

#include "fakes/FakeUsb.h"
#include "platform/ByteOrder.h"
#include "platform/NamedObjects.h"
#include "platform/TextFormat.h"
#include "server/RelayProtocol.h"
#include "server/RelayServer.h"
#include "support/ChildProcess.h"
#include "support/RecordingPrompt.h"

namespace {

using namespace std::chrono_literals;
constexpr int kUnit = 3;

class Relay : public ::testing::Test {
protected:
    void SetUp() override { PlugUnit(); }
    void TearDown() override {
        EXPECT_EQ(fakeusb::OpenHandles(), 0) << "the relay must not leave the unit open";
        fakeusb::Reset();
    }

    void PlugUnit(int configurations = 2, uint8_t interfaceNumber = 0) {
        fakeusb::Reset();
        fakeusb::UnitOptions unit;
        unit.devnum = kUnit;
        unit.configurations = configurations;
        unit.interfaceNumber = interfaceNumber;
        fakeusb::AddUnit(unit);
    }

    // Creates the client's objects for name, leaving out the one whose suffix is missing.
    void CreateRendezvous(const std::string& name = "VELK3", size_t areaSize = 256, const std::string& missing = "") {
        using namespace relay_objects;
        CloseRendezvous();
        if (missing != kSharedMem) {
            ASSERT_TRUE(m_area.Create(name + kSharedMem, areaSize));
            if (areaSize > 0) {
                ASSERT_TRUE(m_area.Map());
            }
        }
        const std::pair<CNamedEvent*, const char*> events[] = {
            {&m_dataReady, kDataReadyEvent}, {&m_dataDone, kDataDoneEvent}, {&m_ready, kReadyEvent}, {&m_quit, kQuitEvent}};
        for (const auto& [event, suffix] : events)
            if (missing != suffix) {
                ASSERT_TRUE(event->Create(name + suffix));
            }
    }
    void CloseRendezvous() {
        m_area.Close();
        for (CNamedEvent* event : {&m_dataReady, &m_dataDone, &m_ready, &m_quit}) event->Close();
    }

    std::future<int> StartServer(int32_t baud = 9600, const std::string& name = "VELK3") {
        return std::async(std::launch::async, [this, name, baud] { return CRelayServer({name, baud}, m_prompt).Run(); });
    }
    int RunServer(int32_t baud = 9600, const std::string& name = "VELK3") { return StartServer(baud, name).get(); }

    void PutBlock(int16_t length, uint8_t fill) {
        StoreLe16(m_area.View(), uint16_t(length));
        if (length > 0) std::memset(m_area.View() + 2, fill, size_t(length));
    }
    // One client handshake: false when the relay did not acknowledge the block.
    bool SendBlock(int16_t length, uint8_t fill) {
        m_dataDone.Reset();
        PutBlock(length, fill);
        m_dataReady.Set();
        return WaitFor(m_dataDone, 10s) == 0;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& m : m_prompt.messages) texts.push_back(m.text);
        return texts;
    }

    CPrivateObjectDirectory m_objects;
    CRecordingPrompt m_prompt;
    CFileMapping m_area;
    CNamedEvent m_dataReady, m_dataDone, m_ready, m_quit;
};

TEST_F(Relay, SendsEachBlockPaddedToWholePiecesStraightFromTheArea) {
    CreateRendezvous("VELK3", 256);
    std::memset(m_area.View(), 0xA5, 256);  // the padding goes out as it stands in the area
    auto server = StartServer(9600);
    ASSERT_EQ(WaitFor(m_ready, 10s), 0);
    struct Case {
        int16_t length;
        size_t sent;
    };
    const Case cases[] = {{0, 128}, {126, 128}, {127, 256}, {200, 256}};
    for (const auto& c : cases) ASSERT_TRUE(SendBlock(c.length, uint8_t(c.length))) << c.length;
    EXPECT_FALSE(m_dataReady.IsSet()) << "the relay resets data ready";
    m_quit.Set();
    EXPECT_EQ(server.get(), 1);

    const auto& unit = fakeusb::Unit(kUnit);
    EXPECT_EQ(unit.baudCodes, std::vector<int>{2});
    EXPECT_EQ(unit.activeConfiguration, 2) << "the relay configuration";
    ASSERT_EQ(unit.relayBlocks.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& block = unit.relayBlocks[i];
        EXPECT_EQ(block.size(), cases[i].sent) << cases[i].length;
        ASSERT_GE(block.size(), 2u);
        EXPECT_EQ(int16_t(LoadLe16(block.data())), cases[i].length);
        for (size_t b = 2; b < block.size(); ++b) {
            const uint8_t want = b < size_t(cases[i].length) + 2 ? uint8_t(cases[i].length) : 0xA5;
            if (block[b] != want) {
                ADD_FAILURE() << "L=" << cases[i].length << " byte " << b;
                break;
            }
        }
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Relay, QuitAndDataReadyTogetherSendNothing) {
    CreateRendezvous();
    StoreLe16(m_area.View(), 10);
    m_dataReady.Set();
    m_quit.Set();
    EXPECT_EQ(RunServer(), 1);
    EXPECT_TRUE(m_ready.IsSet());
    EXPECT_TRUE(fakeusb::Unit(kUnit).relayBlocks.empty());
    EXPECT_FALSE(m_dataDone.IsSet());
    EXPECT_TRUE(m_quit.IsSet()) << "the relay never touches quit";
}

// Releasing another number than the one claimed fails, and the relay would end as if it had failed.
TEST_F(Relay, ReleasesTheInterfaceNumberItClaimed) {
    PlugUnit(2, 1);
    CreateRendezvous();
    m_quit.Set();
    EXPECT_EQ(RunServer(), 1);
    EXPECT_TRUE(Messages().empty());
    std::vector<std::string> hostEvents;
    for (const auto& event : fakeusb::WireLog())
        if (event.kind == fakeusb::WireEvent::Kind::Host) hostEvents.push_back(event.host);
    EXPECT_NE(std::find(hostEvents.begin(), hostEvents.end(), "claim 1"), hostEvents.end());
    EXPECT_NE(std::find(hostEvents.begin(), hostEvents.end(), "release 1"), hostEvents.end());
}

TEST_F(Relay, MissingReadyEventIsReportedAndTheRelayStillRuns) {
    CreateRendezvous("VELK3", 256, relay_objects::kReadyEvent);
    auto server = StartServer();
    ASSERT_TRUE(SendBlock(5, 1));
    m_quit.Set();
    EXPECT_EQ(server.get(), 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{"could not open readyEvent"});
    EXPECT_EQ(fakeusb::Unit(kUnit).relayBlocks.size(), 1u);
}

TEST_F(Relay, MissingQuitEventEndsBeforeTheUnitIsOpened) {
    CreateRendezvous("VELK3", 256, relay_objects::kQuitEvent);
    EXPECT_EQ(RunServer(), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"could not open quitevent"});
    EXPECT_EQ(fakeusb::Unit(kUnit).activeConfiguration, 0) << "the unit must not have been touched";
    EXPECT_FALSE(m_ready.IsSet());
}

TEST_F(Relay, MissingSharedObjectsEndTheRelayWithTheFatalText) {
    const std::pair<const char*, const char*> cases[] = {
        {relay_objects::kSharedMem, "Could not create file-mapping object."},
        {relay_objects::kDataReadyEvent, "could not open m_dataReadyEvent"},
        {relay_objects::kDataDoneEvent, "could not open m_dataDoneEvent"},
    };
    for (const auto& [missing, text] : cases) {
        m_prompt.messages.clear();
        CreateRendezvous("VELK3", 256, missing);
        EXPECT_EQ(RunServer(), 0) << missing;
        EXPECT_EQ(Messages(), std::vector<std::string>{std::string("FATAL SERVER VELK3 ERROR: ") + text + "\n"});
        EXPECT_EQ(m_prompt.messages.at(0).caption, kApplicationName);
        EXPECT_FALSE(m_ready.IsSet()) << missing;
        EXPECT_EQ(fakeusb::Unit(kUnit).activeConfiguration, 0) << missing;
    }
    CreateRendezvous("VELK3", 0);
    m_prompt.messages.clear();
    EXPECT_EQ(RunServer(), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"FATAL SERVER VELK3 ERROR: Could not map view of file.\n"});
}

TEST_F(Relay, UnitAndDeviceFailuresEndTheRelayBeforeReadyWithTheirTexts) {
    struct Case {
        const char* name;
        int32_t baud;
        std::function<void()> breakIt;
        const char* text;
        int configuration;  // the unit's active configuration afterwards
    };
    const Case cases[] = {
        {"VELK4", 9600, [] {}, "COULD NOT FIND DEVICE", 0},
        {"velk3", 9600, [] {}, "COULD NOT FIND DEVICE", 0},  // labels are matched exactly
        {"VELK3", 1200, [] {}, "Unsupported baud rate", 2},  // after the unit is open, before any request
        {"VELK3", 0, [] {}, "Unsupported baud rate", 2},
        {"VELK3", 9600, [] { fakeusb::Inject(fakeusb::Fault::RefuseOpen); }, "Unable to open device", 0},
        {"VELK3", 9600, [] { fakeusb::Inject(fakeusb::Fault::RefuseSetConfiguration); },
         "COULD NOT SELECT CONFIGURATION", 0},
        {"VELK3", 9600, [] { fakeusb::Inject(fakeusb::Fault::RefuseClaim); }, "COULD NOT CLAIM INTERFACE", 2},
        {"VELK3", 9600, [] { fakeusb::Inject(fakeusb::Fault::RefuseAltSetting); }, "COULD NOT SET ALTERNATE INTERFACE", 2},
        {"VELK3", 9600, [] { fakeusb::Inject(fakeusb::Fault::RefuseControl, 0, -32); }, "Unable to set baud mode (err=-32)", 2},
    };
    for (const auto& c : cases) {
        PlugUnit();
        c.breakIt();
        m_prompt.messages.clear();
        CreateRendezvous(c.name);
        EXPECT_EQ(RunServer(c.baud, c.name), 0) << c.text;
        EXPECT_EQ(Messages(), std::vector<std::string>{StringPrintf("FATAL SERVER %s ERROR: %s\n", c.name, c.text)});
        EXPECT_FALSE(m_ready.IsSet()) << c.text;
        EXPECT_TRUE(fakeusb::Unit(kUnit).baudCodes.empty()) << c.text;
        EXPECT_EQ(fakeusb::Unit(kUnit).activeConfiguration, c.configuration) << c.text;
    }
}

TEST_F(Relay, UnitWithoutItsRelayConfigurationIsRefused) {
    PlugUnit(1);
    CreateRendezvous();
    EXPECT_EQ(RunServer(), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"FATAL SERVER VELK3 ERROR: COULD NOT SELECT CONFIGURATION\n"});
}

TEST_F(Relay, EachSupportedRateSendsItsCode) {
    const std::pair<int32_t, int> cases[] = {{2400, 0},  {4800, 1},   {9600, 2},  {19200, 3},
                                             {38400, 4}, {250000, 5}, {57600, 6}, {115200, 7}};
    for (const auto& [rate, code] : cases) {
        PlugUnit();
        CreateRendezvous();
        m_quit.Set();
        EXPECT_EQ(RunServer(rate), 1) << rate;
        EXPECT_EQ(fakeusb::Unit(kUnit).baudCodes, std::vector<int>{code}) << rate;
        EXPECT_TRUE(m_ready.IsSet()) << rate;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Relay, BlockThatWouldReadOutsideTheAreaIsNeverSent) {
    struct Case {
        int16_t length;
        size_t area;
        const char* text;
    };
    const Case cases[] = {
        {-1, 256, "Invalid block length -1"},
        {-32768, 256, "Invalid block length -32768"},
        {32767, 256, "Invalid block length 32767"},
        {127, 128, "Invalid block length 127: 256 bytes to send, the data area holds 128"},
    };
    for (const auto& c : cases) {
        PlugUnit();
        m_prompt.messages.clear();
        CreateRendezvous("VELK3", c.area);
        auto server = StartServer();
        ASSERT_EQ(WaitFor(m_ready, 10s), 0);
        StoreLe16(m_area.View(), uint16_t(c.length));
        m_dataReady.Set();
        EXPECT_EQ(server.get(), 0) << c.length;
        EXPECT_EQ(Messages(), std::vector<std::string>{std::string("FATAL SERVER VELK3 ERROR: ") + c.text + "\n"});
        EXPECT_TRUE(fakeusb::Unit(kUnit).relayBlocks.empty()) << c.length;
        EXPECT_FALSE(m_dataDone.IsSet()) << c.length;
    }
}

TEST_F(Relay, FailedSendAndFailedReleaseAreFatal) {
    CreateRendezvous();
    fakeusb::UnplugAfterTransfers(1, kUnit);  // the baud request goes through, the block does not
    auto server = StartServer();
    ASSERT_EQ(WaitFor(m_ready, 10s), 0);
    PutBlock(10, 1);
    m_dataReady.Set();
    EXPECT_EQ(server.get(), 0);
    EXPECT_FALSE(m_dataDone.IsSet());
    ASSERT_EQ(m_prompt.messages.size(), 1u);
    EXPECT_EQ(m_prompt.messages[0].text.rfind("FATAL SERVER VELK3 ERROR: error -19 (", 0), 0u) << m_prompt.messages[0].text;
    EXPECT_NE(m_prompt.messages[0].text.find(") during usb_bulk_write\n\n"), std::string::npos);

    PlugUnit();
    m_prompt.messages.clear();
    CreateRendezvous();
    fakeusb::Inject(fakeusb::Fault::RefuseRelease);
    m_quit.Set();
    EXPECT_EQ(RunServer(), 0);
    ASSERT_EQ(m_prompt.messages.size(), 1u);
    EXPECT_EQ(m_prompt.messages[0].text.rfind("FATAL SERVER VELK3 ERROR: Could not release interface (", 0), 0u)
        << m_prompt.messages[0].text;
}

}  // namespace

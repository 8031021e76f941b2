#include <gtest/gtest.h>

#include <cstring>

#include "platform/NamedObjects.h"
#include "server/DeviceListing.h"
#include "server/RelayProtocol.h"
#include "support/ChildProcess.h"
#include "support/RecordingPrompt.h"

namespace {

struct Rendezvous {
    bool Create(size_t areaSize) {
        return start.Create(list_objects::kStartEvent) && done.Create(list_objects::kDoneEvent) &&
               area.Create(list_objects::kSharedMem, areaSize) && area.Map();
    }
    CNamedEvent start, done;
    CFileMapping area;
};

TEST(ListDevices, StartBeforeEnumeratingThenTheLabelsThenDone) {
    CPrivateObjectDirectory objects;
    CRecordingPrompt prompt;
    Rendezvous client;
    ASSERT_TRUE(client.Create(2048));
    std::memset(client.area.View(), 0xEE, client.area.Size());
    bool startSeen = false, doneSeen = true;
    EXPECT_TRUE(ListDevices(prompt, [&] {
        startSeen = client.start.IsSet();
        doneSeen = client.done.IsSet();
        return std::vector<std::string>{"VELK3", "VELK5"};
    }));
    EXPECT_TRUE(startSeen);
    EXPECT_FALSE(doneSeen) << "done must follow the enumeration and its messages";
    EXPECT_TRUE(client.done.IsSet());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(client.area.View()), 14), std::string("VELK3\0VELK5\0\0\xEE", 14));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(objects.Entries().size(), 3u) << "the listing never removes the client's objects";
}

TEST(ListDevices, NoUnitGivesOneZeroByteAndBothEvents) {
    CPrivateObjectDirectory objects;
    CRecordingPrompt prompt;
    Rendezvous client;
    ASSERT_TRUE(client.Create(16));
    client.area.View()[0] = 'X';
    EXPECT_TRUE(ListDevices(prompt, [] { return std::vector<std::string>{}; }));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(client.area.View()[0], 0);
    EXPECT_TRUE(client.start.IsSet());
    EXPECT_TRUE(client.done.IsSet());
}

TEST(ListDevices, MissingRendezvousIsReportedAndNothingIsSignalled) {
    struct Case {
        const char* missing;
        size_t areaSize;
        const char* want;
    };
    const Case cases[] = {
        {list_objects::kStartEvent, 64, "Could not open list start event"},
        {list_objects::kDoneEvent, 64, "Could not open list done event"},
        {list_objects::kSharedMem, 64, "Unable to open map file"},
        {"", 0, "Could not map view of file."},
    };
    for (const auto& c : cases) {
        CPrivateObjectDirectory objects;
        CRecordingPrompt prompt;
        CNamedEvent start, done;
        CFileMapping area;
        const std::string missing = c.missing;
        if (missing != list_objects::kStartEvent) {
            ASSERT_TRUE(start.Create(list_objects::kStartEvent));
        }
        if (missing != list_objects::kDoneEvent) {
            ASSERT_TRUE(done.Create(list_objects::kDoneEvent));
        }
        if (missing != list_objects::kSharedMem) {
            ASSERT_TRUE(area.Create(list_objects::kSharedMem, c.areaSize));
        }
        bool enumerated = false;
        EXPECT_FALSE(ListDevices(prompt, [&] {
            enumerated = true;
            return std::vector<std::string>{"VELK1"};
        }));
        EXPECT_FALSE(enumerated) << c.want;
        ASSERT_EQ(prompt.messages.size(), 1u) << c.want;
        EXPECT_EQ(prompt.messages[0].text, c.want);
        EXPECT_EQ(prompt.messages[0].caption, kApplicationName);
        if (start.IsOpen()) {
            EXPECT_FALSE(start.IsSet()) << c.want;
        }
        if (done.IsOpen()) {
            EXPECT_FALSE(done.IsSet()) << c.want;
        }
    }
}

}  // namespace

// Units told apart: device numbers are counted per bus, so two units may share one. Each gets a
// name of its own, and a job on either name or identity opens that unit's card and no other.
#include <gmock/gmock.h>

#include "fakes/FakeUsb.h"
#include "operations/DeviceJobs.h"
#include "operations/JobFixture.h"

using testing::ElementsAre;
using testing::HasSubstr;

namespace {

TEST_F(JobTest, TwoUnitsWithOneDeviceNumberGetTwoNamesAndEachOpensItsOwnCard) {
    fakeusb::Reset();
    struct Unit {
        int bus, devnum, routines;
    };
    for (const Unit& u : {Unit{1, 3, 1}, Unit{2, 3, 2}, Unit{2, 5, 3}}) {
        fakeusb::UnitOptions options;
        options.bus = u.bus;
        options.devnum = u.devnum;
        options.cardPath = MakeCard("unit" + std::to_string(u.routines) + ".img", u.routines);
        fakeusb::AddUnit(options);
    }
    JobContext context;
    context.questions = &prompt;
    context.paths.sysRoot = temp.Path();  // no port paths: the machine's own USB stays out of it
    const DeviceListing listing = job::ListDevices(context);

    std::vector<std::string> names;
    for (const DeviceEntry& unit : listing.units) names.push_back(unit.name);
    EXPECT_THAT(names, ElementsAre("VELK3-1", "VELK3-2", "VELK5"));
    EXPECT_THAT(listing.units[1].description, HasSubstr("(3) on bus 2"));
    EXPECT_TRUE(prompt.messages.empty());
    for (size_t i = 0; i < listing.units.size(); ++i) {
        SCOPED_TRACE(names[i]);
        context.device = DeviceId::Named(names[i]);
        EXPECT_EQ(job::ListCard(context).tracks.size(), i + 1) << "by the name velk3 is given";
        context.device = listing.units[i].id;
        EXPECT_EQ(job::ListCard(context).tracks.size(), i + 1) << "by the identity the window keeps";
    }
    context.device = DeviceId::Named("VELK3");
    try {
        job::ListCard(context);
        ADD_FAILURE() << "a name that fits two units opens neither";
    } catch (const CUsbDeviceException& e) {
        EXPECT_THAT(e.Message(), HasSubstr("call it VELK3-1, VELK3-2"));
    }
    fakeusb::Reset();
}

}  // namespace

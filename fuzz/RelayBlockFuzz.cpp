// A client may write anything into the shared data area: the relay must send only what lies inside
// the mapping, and refuse a block whose length field says otherwise.
#include <usb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "FuzzSupport.h"
#include "fakes/FakeUsb.h"
#include "platform/Exceptions.h"
#include "platform/NamedObjects.h"
#include "server/RelayProtocol.h"
#include "server/RelayServer.h"
#include "support/RecordingPrompt.h"

namespace {

constexpr int kDevnum = 3;
constexpr int32_t kBaudRate = 9600;

std::string UnitLabel() { return "VELK" + std::to_string(kDevnum); }

// The client's side of the rendezvous and a relay connected to a simulated unit, set up once.
struct CRelayRig {
    CRelayRig() {
        ::setenv("VELK3_OBJECT_DIR", ScratchDirectory().c_str(), 1);
        fakeusb::Reset();
        fakeusb::LogTransfers(false);
        fakeusb::UnitOptions unit;
        unit.devnum = kDevnum;
        fakeusb::AddUnit(unit);
        usb_init();
        usb_find_busses();
        usb_find_devices();
        if (!dataReady.Create(Name(relay_objects::kDataReadyEvent)) || !dataDone.Create(Name(relay_objects::kDataDoneEvent)))
            std::abort();
        server.OpenRelayDevice();
        server.SetBaudMode();
    }
    std::string Name(const char* suffix) const { return UnitLabel() + suffix; }

    CRecordingPrompt prompt;
    CRelayServer server{RelayCommandLine{UnitLabel(), kBaudRate}, prompt};
    CNamedEvent dataReady, dataDone;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CRelayRig rig;
    CFileMapping area;
    if (!area.Create(rig.Name(relay_objects::kSharedMem), std::max<size_t>(size, 1)) || !area.Map()) std::abort();
    std::memcpy(area.View(), data, size);
    rig.server.OpenSharedObjects();
    try {
        rig.server.SendBlock();
    } catch (const CUsbDeviceException&) {
    }
    rig.server.CloseSharedObjects();
    std::vector<std::vector<uint8_t>>& sent = fakeusb::Unit(kDevnum).relayBlocks;
    for (const auto& block : sent)
        if (block.size() > area.Size() || std::memcmp(block.data(), area.View(), block.size()) != 0) __builtin_trap();
    sent.clear();
    return 0;
}

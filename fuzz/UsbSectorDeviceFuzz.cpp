// A unit may answer anything: every string, status packet, checksum, identify block and transfer
// length below is chosen by the input, and CUsbSectorDevice must report failures, never crash.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "FuzzSupport.h"
#include "devices/UsbSectorDevice.h"
#include "fakes/FakeUsb.h"
#include "fakes/FakeUsbWorld.h"
#include "platform/Exceptions.h"

namespace {

constexpr int kDevnum = 7;
constexpr size_t kMaxString = 40;
constexpr uint8_t kNoString = 0xFF;
constexpr uint32_t kCardSectors = 64;  // sector ranges the operations ask for stay near this

// Answers each request from the input: the first byte of an answer says what happens (full
// length, short, failure), the bytes after it are the data.
class CScriptedUnit final : public fakeusb::SimDevice {
public:
    explicit CScriptedUnit(CInputReader& script)
        : SimDevice(1, kDevnum, fakeusb::kUnitVendor, fakeusb::kUnitProduct, fakeusb::Access::Granted),
          m_script(script) {
        for (auto& text : m_strings) text = ReadString();
        descriptors.Build({{fakeusb::kUnitInEndpoint, fakeusb::kUnitOutEndpoint}});
        record.config = descriptors.configDescriptors.data();
        record.descriptor.iManufacturer = 1;
        record.descriptor.iProduct = 2;
        record.descriptor.bNumConfigurations = 1;
    }

    int Control(int, int, int, int, uint8_t*, int size) override { return Length(size); }
    int BulkRead(int, uint8_t* data, int size) override {
        const int length = Length(size);
        for (int i = 0; i < length; ++i) data[i] = m_script.Byte();
        return length;
    }
    int BulkWrite(int, const uint8_t*, int size) override { return Length(size); }
    std::optional<std::string> String(int index) const override {
        if (index < 1 || index > int(std::size(m_strings))) return std::nullopt;
        return m_strings[index - 1];
    }

private:
    std::optional<std::string> ReadString() {
        const uint8_t length = m_script.Byte();
        if (length == kNoString) return std::nullopt;
        const std::vector<uint8_t> bytes = m_script.Bytes(std::min<size_t>(length, kMaxString));
        return std::string(bytes.begin(), bytes.end());
    }
    // What the transfer moves: all of it, a shorter part, or an error.
    int Length(int size) {
        const uint8_t answer = m_script.Byte();
        if (answer < 0xC0) return size;
        if (answer < 0xF0) return size > 0 ? int(m_script.Word() % uint32_t(size)) : 0;
        return answer < 0xF8 ? -ETIMEDOUT : -EPIPE;
    }

    CInputReader& m_script;
    std::optional<std::string> m_strings[3];
};

void RunOperations(CUsbSectorDevice& device, CInputReader& script) {
    std::vector<uint8_t> buffer;
    while (script.Left() > 0) {
        const uint8_t operation = script.Byte() % 4;
        const uint32_t first = script.Byte() % kCardSectors;
        const uint32_t count = script.Byte() % 4 + 1;
        buffer.assign(size_t(count) * kSectorSize, script.Byte());
        try {
            if (operation == 0) device.readSector(first, count, buffer.data());
            if (operation == 1) device.writeSector(first, count, buffer.data());
            if (operation == 2) Keep(device.Identify() + device.GetSectorCount() + device.Description().size());
            if (operation == 3) device.SetClock();
        } catch (const CUsbDeviceException&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fakeusb::Reset();
    fakeusb::LogTransfers(false);
    CInputReader script(data, size);
    {
        std::lock_guard lock(fakeusb::WorldLock());
        fakeusb::Devices().push_back(std::make_unique<CScriptedUnit>(script));
    }
    usb_init();
    usb_find_busses();
    usb_find_devices();
    CUsbSectorDevice device([] { return LocalTime{}; });
    try {
        device.Open({uintptr_t(&fakeusb::Devices().front()->record), "", "VELK7"});
        RunOperations(device, script);
        device.Close();
    } catch (const CUsbDeviceException&) {
    }
    return 0;
}

// The simulated chip bootloader: DFU class requests carrying the chip maker's command blocks.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "fakes/FakeUsbWorld.h"

namespace fakeusb {
namespace {

constexpr int kClassOut = 0x21, kClassIn = 0xA1;
constexpr int kDnload = 1, kUpload = 2, kGetStatus = 3;
constexpr uint8_t kStateIdle = 2, kStateBusy = 4, kStateError = 10;
constexpr uint8_t kStatusOk = 0x00, kErrWrite = 0x03, kErrAddress = 0x08, kErrUnknown = 0x0E;
constexpr uint16_t kSsb = 0x0105;
constexpr int kProgramPrefix = 32, kProgramSuffix = 16;

class SimBootloader final : public SimDevice {
public:
    explicit SimBootloader(const BootloaderOptions& options)
        : SimDevice(options.bus, options.devnum, kBootloaderVendor, kBootloaderProduct, options.access),
          m_options(options) {
        if (options.secured) state.configuration[kSsb] = 0xFC;
        std::vector<std::vector<uint8_t>> endpoints(size_t(std::max(options.configurations, 1)));
        descriptors.Build(endpoints);
        record.config = descriptors.configDescriptors.data();
        record.descriptor.bNumConfigurations = uint8_t(options.configurations);
    }

    int Control(int type, int request, int value, int index, uint8_t* data, int size) override;
    int BulkRead(int, uint8_t*, int) override { return -EINVAL; }
    int BulkWrite(int, const uint8_t*, int) override { return -EINVAL; }
    std::optional<std::string> String(int) const override { return std::nullopt; }

    BootloaderState state;

private:
    bool Secured() const { return state.configuration.at(kSsb) != 0xFF; }
    int Download(const uint8_t* data, int size);
    int Program(const uint8_t* data, int size);
    int GetStatus(uint8_t* data, int size);
    void Fail(uint8_t status) {
        m_status = status;
        m_upload.clear();
    }

    BootloaderOptions m_options;
    uint8_t m_status = kStatusOk;
    int m_busyLeft = 0;
    std::vector<uint8_t> m_upload;
};

int SimBootloader::Control(int type, int request, int, int, uint8_t* data, int size) {
    if (type == kClassOut && request == kDnload) return Download(data, size);
    if (type == kClassIn && request == kGetStatus) return GetStatus(data, size);
    if (type == kClassIn && request == kUpload) {
        if (m_upload.empty()) return -EPIPE;
        const int length = std::min(size, int(m_upload.size()));
        std::memcpy(data, m_upload.data(), size_t(length));
        m_upload.clear();
        return length;
    }
    return -EPIPE;
}

int SimBootloader::Download(const uint8_t* data, int size) {
    m_upload.clear();
    if (size >= kProgramPrefix + kProgramSuffix && data[0] == 0x01) return Program(data, size);
    const uint16_t code = size >= 3 ? uint16_t(data[1] << 8 | data[2]) : 0;
    if (size == 6 && data[0] == 0x03 && data[1] == 0x00) {
        const int start = data[2] << 8 | data[3], end = data[4] << 8 | data[5];
        if (Secured()) Fail(kErrWrite);
        else if (end < start) Fail(kErrAddress);
        else m_upload.assign(state.flash.begin() + start, state.flash.begin() + end + 1);
        return size;
    }
    if (size == 3 && data[0] == 0x04 && code == 0x00FF) {
        std::fill(state.flash.begin(), state.flash.end(), 0xFF);
        state.configuration[kSsb] = 0xFF;
        ++state.erases;
        return size;
    }
    if (size == 4 && data[0] == 0x04) {
        if (!state.configuration.count(code)) Fail(kErrAddress);
        else if (!TakeFault(Fault::ConfigDoesNotStick, *this)) state.configuration[code] = data[3];
        m_busyLeft = m_options.busyPolls;
        return size;
    }
    if (size == 3 && data[0] == 0x05) {
        if (auto found = state.configuration.find(code); found != state.configuration.end())
            m_upload = {found->second};
        else if (auto id = m_options.identification.find(code); id != m_options.identification.end())
            m_upload = {id->second};
        else
            Fail(kErrAddress);
        return size;
    }
    Fail(kErrUnknown);
    return -EPIPE;
}

int SimBootloader::Program(const uint8_t* data, int size) {
    const int start = data[2] << 8 | data[3], end = data[4] << 8 | data[5];
    const int length = size - kProgramPrefix - kProgramSuffix;
    if (end < start || end - start + 1 != length) {
        Fail(kErrAddress);
    } else if (Secured()) {
        Fail(kErrWrite);
    } else {
        std::copy(data + kProgramPrefix, data + kProgramPrefix + length, state.flash.begin() + start);
        if (TakeFault(Fault::StoreWrongBytes, *this)) state.flash[size_t(start)] ^= 0xFF;
        m_busyLeft = m_options.busyPolls;
    }
    return size;
}

int SimBootloader::GetStatus(uint8_t* data, int size) {
    uint8_t status[6] = {m_status, uint8_t(m_options.pollTimeoutMs), uint8_t(m_options.pollTimeoutMs >> 8),
                         uint8_t(m_options.pollTimeoutMs >> 16), kStateIdle, 0};
    if (m_status != kStatusOk) status[4] = kStateError;
    else if (m_busyLeft > 0) status[4] = kStateBusy;
    if (m_options.stuckState) status[4] = *m_options.stuckState;
    if (m_busyLeft > 0) --m_busyLeft;
    m_status = kStatusOk;  // reported once, as if the host had cleared it
    int length = std::min(size, 6);
    int shortLength = 0;
    if (TakeFault(Fault::ShortGetStatus, *this, shortLength, 5)) length = std::min(length, shortLength);
    std::memcpy(data, status, size_t(length));
    return length;
}

SimBootloader& FindBootloader(int devnum) {
    for (auto& device : Devices())
        if (auto* chip = dynamic_cast<SimBootloader*>(device.get()); chip && chip->devnum == devnum) return *chip;
    throw std::out_of_range("fake: no bootloader with device number " + std::to_string(devnum));
}

}  // namespace

std::unique_ptr<SimDevice> MakeBootloader(const BootloaderOptions& options) {
    return std::make_unique<SimBootloader>(options);
}

BootloaderState& Bootloader(int devnum) {
    std::lock_guard lock(WorldLock());
    return FindBootloader(devnum).state;
}

}  // namespace fakeusb

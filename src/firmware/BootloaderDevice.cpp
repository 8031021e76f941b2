#include "firmware/BootloaderDevice.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "devices/UsbAccess.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"
#include "platform/TextFormat.h"

using namespace bootloader_command;

namespace {

constexpr int kAddressMask = 0xFFFF;

uint8_t High(int value) { return uint8_t(value >> 8); }
uint8_t Low(int value) { return uint8_t(value); }

[[noreturn]] void Fail(const char* operation, int result) {
    throw CUsbDeviceException(
        Fill(VELK3_TRANSLATE_NOOP("velk3core", "%1 error (err = %2, %3)"), operation, result, usb_strerror()));
}

struct ConfigurationByte {
    uint16_t code;
    uint8_t value;
    const char* failure;
};

}  // namespace

void SleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

CBootloaderDevice::CBootloaderDevice(Sleeper sleep) : m_sleep(std::move(sleep)) { Open(); }

CBootloaderDevice::~CBootloaderDevice() { Release(); }

void CBootloaderDevice::Open() {
    usb_init();
    usb_find_busses();
    usb_find_devices();
    for (usb_bus* bus = usb_get_busses(); bus; bus = bus->next) {
        for (struct usb_device* device = bus->devices; device; device = device->next) {
            if (device->descriptor.idVendor != bootloader_usb::kVendorId ||
                device->descriptor.idProduct != bootloader_usb::kProductId)
                continue;
            // A later bootloader replaces an earlier one: let the earlier one go rather than keep
            // it claimed for the life of the program.
            Release();
            OpenOne(device);
        }
    }
}

void CBootloaderDevice::OpenOne(struct usb_device* device) {
    errno = 0;
    m_handle = usb_open(device);
    if (!m_handle)
        throw CUsbDeviceException(WithAccessHint(VELK3_TRANSLATE_NOOP("velk3core", "Unable to open device"), errno));
    try {
        if (device->descriptor.bNumConfigurations != 1 || !device->config)
            throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT FIND ONE CONFIGURATION"));
        m_configuration = &device->config[0];
        int result = usb_set_configuration(m_handle, m_configuration->bConfigurationValue);
        if (result != 0)
            throw CUsbDeviceException(
                WithAccessHint(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT SELECT CONFIGURATION"), result));
        if (m_configuration->bNumInterfaces < 1 || m_configuration->interface[0].num_altsetting < 1)
            throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT CLAIM INTERFACE"));
        m_interface = &m_configuration->interface[0].altsetting[0];
        result = usb_claim_interface(m_handle, m_interface->bInterfaceNumber);
        if (result != 0)
            throw CUsbDeviceException(
                WithAccessHint(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT CLAIM INTERFACE"), result));
        m_claimed = true;
        if (usb_set_altinterface(m_handle, m_interface->bAlternateSetting) != 0)
            throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT SET ALTERNATE INTERFACE"));
    } catch (...) {
        Release();  // a constructor that throws has no destructor to do it
        throw;
    }
}

void CBootloaderDevice::Close() {
    if (!m_handle) return;
    if (m_claimed) {
        if (usb_release_interface(m_handle, bootloader_usb::kReleasedInterface) != 0)
            throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT RELEASE INTERFACE"));
        m_claimed = false;
    }
    usb_close(m_handle);
    m_handle = nullptr;
}

void CBootloaderDevice::Release() noexcept {
    if (!m_handle) return;
    if (m_claimed) usb_release_interface(m_handle, bootloader_usb::kReleasedInterface);
    m_claimed = false;
    usb_close(m_handle);
    m_handle = nullptr;
}

void CBootloaderDevice::RequireDevice() const {
    if (!m_handle) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Device not found"));
}

int CBootloaderDevice::Download(const uint8_t* block, int length, int timeoutMs) {
    const int value = m_requestCounter-- & 0xFFFF;
    return usb_control_msg(m_handle, dfu_request::kTypeOut, dfu_request::kDnload, value, bootloader_usb::kInterfaceIndex,
                           reinterpret_cast<char*>(const_cast<uint8_t*>(block)), length, timeoutMs);
}

int CBootloaderDevice::Upload(uint8_t* buffer, int length, int timeoutMs) {
    const int value = m_requestCounter-- & 0xFFFF;
    return usb_control_msg(m_handle, dfu_request::kTypeIn, dfu_request::kUpload, value, bootloader_usb::kInterfaceIndex,
                           reinterpret_cast<char*>(buffer), length, timeoutMs);
}

DfuStatus CBootloaderDevice::GetStatus() {
    RequireDevice();
    uint8_t answer[dfu_request::kStatusSize] = {};
    const int result = usb_control_msg(m_handle, dfu_request::kTypeIn, dfu_request::kGetStatus, 0,
                                       bootloader_usb::kInterfaceIndex, reinterpret_cast<char*>(answer),
                                       dfu_request::kStatusSize, dfu_request::kStatusTimeoutMs);
    if (result < dfu_request::kStatusSize)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "%1 error (err = %2, %3)"), "GetStatus", result, usb_strerror()));
    return {answer[0], answer[1] | answer[2] << 8 | answer[3] << 16, answer[4], answer[5]};
}

bool CBootloaderDevice::WaitForIdle() {
    RequireDevice();
    const DfuStatus status = GetStatus();
    m_sleep(status.pollTimeout);
    return status.status == dfu_request::kStatusOk && status.state == dfu_request::kStateIdle;
}

int CBootloaderDevice::ReadConfiguration(uint16_t code) {
    RequireDevice();
    const uint8_t command[kReadConfigurationSize] = {kReadConfiguration, High(code), Low(code)};
    int result = Download(command, kReadConfigurationSize, kConfigurationTimeoutMs);
    if (result < kReadConfigurationSize) Fail("ReadConfiguration", result);
    for (int waited = 0; !WaitForIdle(); waited += kIdlePollMs) {
        if (waited >= kStatusWaitLimitMs)
            throw CUsbDeviceException(
                Fill(VELK3_TRANSLATE_NOOP("velk3core",
                                          "ReadConfiguration error (err = %1, the bootloader did not become idle)"),
                     -ETIMEDOUT));
        m_sleep(kIdlePollMs);
    }
    uint8_t value = 0;
    result = Upload(&value, 1, kConfigurationTimeoutMs);
    if (result < 1) Fail("ReadConfiguration", result);
    return value;
}

void CBootloaderDevice::WriteConfiguration(uint16_t code, uint8_t value) {
    RequireDevice();
    const uint8_t command[kWriteConfigurationSize] = {kWrite, High(code), Low(code), value};
    const int result = Download(command, kWriteConfigurationSize, kConfigurationTimeoutMs);
    if (result < kWriteConfigurationSize) Fail("WriteConfiguration", result);
    int waited = 0;
    for (;;) {
        const DfuStatus status = GetStatus();
        m_sleep(kBusyPollMs);
        if (status.state != dfu_request::kStateBusy) break;
        waited += kBusyPollMs;
        if (waited >= kStatusWaitLimitMs)
            throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to configure device properly."));
    }
    if (!WaitForIdle())
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to configure device properly."));
}

bool CBootloaderDevice::ReadFlash(int32_t start, int32_t length, uint8_t* buffer) {
    RequireDevice();
    for (int32_t current = start, remaining = length; remaining > 0;) {
        const int block = std::min(remaining, int32_t(kReadBlockSize));
        const int end = (current + block - 1) & kAddressMask;
        const uint8_t command[kReadCommandSize] = {kRead, 0x00, High(current), Low(current), High(end), Low(end)};
        int result = Download(command, kReadCommandSize, kFlashTimeoutMs);
        if (result < kReadCommandSize) Fail("ReadFlash", result);
        result = Upload(buffer + (current - start), block, kFlashTimeoutMs);
        if (result < block) Fail("ReadFlash", result);
        current += block;
        remaining -= block;
    }
    return true;
}

bool CBootloaderDevice::WriteFlash(int32_t start, int32_t length, const uint8_t* data) {
    RequireDevice();
    for (int32_t current = start, remaining = length; remaining > 0;) {
        const int block = std::min(remaining, int32_t(kProgramBlockSize));
        const int end = (current + block - 1) & kAddressMask;
        m_programBlock.fill(0);
        m_programBlock[0] = kProgram;
        m_programBlock[2] = High(current);
        m_programBlock[3] = Low(current);
        m_programBlock[4] = High(end);
        m_programBlock[5] = Low(end);
        std::memcpy(m_programBlock.data() + kProgramPrefixSize, data + (current - start), size_t(block));
        const int total = block + kProgramPrefixSize + kProgramSuffixSize;
        const int result = Download(m_programBlock.data(), total, kFlashTimeoutMs);
        if (result < total) Fail("WriteFlash", result);
        WaitForIdle();  // a block that failed shows in the verification
        current += block;
        remaining -= block;
    }
    return true;
}

bool CBootloaderDevice::WriteFlash(const uint8_t* data, int32_t length) { return WriteFlash(0, length, data); }

void CBootloaderDevice::Erase() {
    RequireDevice();
    WaitForIdle();
    const uint8_t command[kEraseCommandSize] = {kWrite, 0x00, 0xFF};
    const int result = Download(command, kEraseCommandSize, kEraseTimeoutMs);
    if (result < kEraseCommandSize) Fail("Erase", result);
    m_sleep(kEraseWaitMs);
    if (!WaitForIdle()) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Erase failed"));
}

bool CBootloaderDevice::VerifyFlash(const uint8_t* data, int32_t length) {
    std::vector<uint8_t> flash(size_t(std::max(length, 0)));
    ReadFlash(0, length, flash.data());
    return flash.empty() || std::memcmp(flash.data(), data, flash.size()) == 0;
}

bool CBootloaderDevice::IsCompatible() {
    struct Identification {
        uint16_t code;
        int required;
    };
    static constexpr Identification kExpected[] = {
        {0x0000, 0x62},  // bootloader version
        {0x0130, 0x58},  // manufacturer code
        {0x0131, 0xD7},  // family code
        {0x0160, 0xEC},  // product name
        {0x0161, 0xFF},  // product revision
    };
    bool compatible = true;
    for (const auto& id : kExpected) compatible &= ReadConfiguration(id.code) == id.required;  // all five are read
    return compatible;
}

bool CBootloaderDevice::IsSecured() { return ReadConfiguration(chip_configuration::kSsb) != chip_configuration::kSsbOpen; }

void CBootloaderDevice::SetConfigurationBytes(bool protect) {
    using namespace chip_configuration;
    const ConfigurationByte bytes[] = {
        {kBsb, kBsbValue, VELK3_TRANSLATE_NOOP("velk3core", "Unable to set BSB")},
        {kSbv, kSbvValue, VELK3_TRANSLATE_NOOP("velk3core", "Unable to set SBV")},
        {kHsb, kHsbValue, VELK3_TRANSLATE_NOOP("velk3core", "Unable to set HSB")},
        {kSsb, protect ? kSsbProtected : kSsbOpen, VELK3_TRANSLATE_NOOP("velk3core", "Unable to set SSB")},
    };
    for (const auto& byte : bytes) {
        WriteConfiguration(byte.code, byte.value);
        if (ReadConfiguration(byte.code) != byte.value) throw CUsbDeviceException(byte.failure);
    }
}

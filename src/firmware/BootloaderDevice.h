#pragma once
// The chip maker's USB bootloader that a VELK unit becomes in its boot mode. One object is one
// connection: construction finds and opens the bootloader (none attached is not an error: every
// operation then fails with "Device not found"), destruction releases it. Nothing is retried.
#include <usb.h>

#include <array>
#include <cstdint>
#include <functional>

#include "firmware/BootloaderProtocol.h"

// Waits; the bootloader protocol sleeps between polls and for 15 s after an erase. Tests pass a
// recorder.
using Sleeper = std::function<void(int milliseconds)>;
void SleepMilliseconds(int milliseconds);

struct DfuStatus {
    int status = 0;
    int pollTimeout = 0;  // milliseconds
    int state = 0;
    int stringIndex = 0;
};

class CBootloaderDevice {
public:
    explicit CBootloaderDevice(Sleeper sleep = SleepMilliseconds);
    // Closes quietly; call Close first to hear about a failed release.
    ~CBootloaderDevice();
    CBootloaderDevice(const CBootloaderDevice&) = delete;
    CBootloaderDevice& operator=(const CBootloaderDevice&) = delete;

    void Open();
    void Close();
    bool IsOpen() const { return m_handle != nullptr; }

    DfuStatus GetStatus();
    bool WaitForIdle();
    int ReadConfiguration(uint16_t code);
    void WriteConfiguration(uint16_t code, uint8_t value);
    bool ReadFlash(int32_t start, int32_t length, uint8_t* buffer);
    bool WriteFlash(int32_t start, int32_t length, const uint8_t* data);
    bool WriteFlash(const uint8_t* data, int32_t length);
    void Erase();
    bool VerifyFlash(const uint8_t* data, int32_t length);
    bool IsCompatible();
    bool IsSecured();
    void SetConfigurationBytes(bool protect);

private:
    void OpenOne(struct usb_device* device);
    void Release() noexcept;
    void RequireDevice() const;
    int Download(const uint8_t* block, int length, int timeoutMs);
    int Upload(uint8_t* buffer, int length, int timeoutMs);

    Sleeper m_sleep;
    usb_dev_handle* m_handle = nullptr;
    usb_config_descriptor* m_configuration = nullptr;
    usb_interface_descriptor* m_interface = nullptr;
    int32_t m_requestCounter = dfu_request::kFirstRequestValue;
    bool m_claimed = false;
    std::array<uint8_t, bootloader_command::kProgramPrefixSize + bootloader_command::kProgramBlockSize +
                            bootloader_command::kProgramSuffixSize>
        m_programBlock{};
};

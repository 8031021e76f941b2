#pragma once
// Turns a device identity into an opened sector device. A name given by a user (velk3's DEVICE
// argument) may be a drive's kernel name (sdb), a /dev path, a unit name (VELK3), or a card image
// file; a /dev path that is not a removable card reader needs allowFixed, and the disk the system
// runs on is refused always. An identity from a device list (the window's) opens exactly the
// device it was taken from, or fails saying that device is gone. A unit is looked up afresh on
// every call: an older scan's libusb records may be gone after any rescan.
#include <memory>
#include <stop_token>
#include <string>

#include "devices/DeviceAccess.h"
#include "devices/DeviceId.h"
#include "devices/SectorDevice.h"
#include "platform/SystemPaths.h"
#include "platform/UserPrompt.h"

struct DeviceOpenOptions {
    SystemPaths paths;
    bool allowFixed = false;
    // Read for a command that only reads: a mounted card is then neither unmounted nor asked about.
    DeviceAccess access = DeviceAccess::ReadWrite;
    // Asked before a mounted card is unmounted for writing; none: the card stays mounted.
    IUserPrompt* questions = nullptr;
    // Ends a wait for udisks2 (and polkit's question) while a drive is opened.
    std::stop_token stop{};
};

// Owns an opened device; Close() reports a failed flush, the destructor only releases.
class COpenedDevice {
public:
    COpenedDevice(std::unique_ptr<CSectorDevice> device, DeviceKind kind, std::string label);
    ~COpenedDevice();
    COpenedDevice(COpenedDevice&&) = default;

    CSectorDevice& Device() { return *m_device; }
    DeviceKind Kind() const { return m_kind; }
    const std::string& Label() const { return m_label; }
    void Close();

private:
    std::unique_ptr<CSectorDevice> m_device;
    DeviceKind m_kind;
    std::string m_label;
    bool m_closed = false;
};

COpenedDevice OpenDevice(const DeviceId& id, const DeviceOpenOptions& options);
// Fails as OpenDevice would when the device an identity was taken from has gone, without opening it.
void RequireStillThere(const DeviceId& id, const SystemPaths& paths);
COpenedDevice OpenDeviceByName(const std::string& name, const DeviceOpenOptions& options);

// Sets a unit's clock to local time; drives and images have no clock.
void SetUnitClock(COpenedDevice& opened);

#pragma once
// Turns a device name into an opened sector device: a drive's kernel name (sdb), a /dev path, a
// unit label (VELK3), or a card image file. `velk3` and the window both open devices here, so a
// name means the same device to both. A /dev path that is not a removable card reader needs
// allowFixed; the disk the system runs on is refused always. A unit is looked up afresh on every
// call: an older enumeration's libusb records may be gone after any rescan.
#include <memory>
#include <string>

#include "devices/DeviceAccess.h"
#include "devices/SectorDevice.h"
#include "platform/SystemPaths.h"

enum class DeviceKind { Drive, Unit, Image };

const char* DeviceKindName(DeviceKind kind);

struct DeviceOpenOptions {
    SystemPaths paths;
    bool allowFixed = false;
    // Read for a command that only reads: a mounted card is then neither unmounted nor asked about.
    DeviceAccess access = DeviceAccess::ReadWrite;
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

COpenedDevice OpenDeviceByName(const std::string& name, const DeviceOpenOptions& options);

// Sets a unit's clock to local time; drives and images have no clock.
void SetUnitClock(COpenedDevice& opened);

#pragma once
// Turns a DEVICE argument into an opened sector device: a drive's kernel name (sdb), a /dev path,
// a unit label (VELK3), or a card image file. A /dev path that is not a removable card reader needs --allow-fixed; the
// disk the system runs on is refused always.
#include <functional>
#include <memory>
#include <string>

#include "cli/CliContext.h"
#include "devices/SectorDevice.h"
#include "disk/VelkDisk.h"

enum class DeviceKind { Drive, Unit, Image };

const char* DeviceKindName(DeviceKind kind);

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

COpenedDevice OpenDeviceArgument(const std::string& argument, const CliContext& context);

// Sets a unit's clock to local time; drives and images have no clock.
void SetUnitClock(COpenedDevice& opened);

// Opens the device, reads its card, runs work(device, disk) and closes the device, so that a flush
// that fails is reported even after the work succeeded.
template <class Work>
int WithCard(const std::string& argument, const CliContext& context, Work&& work,
             IStatusWindow* status = nullptr, const std::function<void(COpenedDevice&)>& beforeRead = {}) {
    COpenedDevice opened = OpenDeviceArgument(argument, context);
    if (beforeRead) beforeRead(opened);
    int result;
    {
        CVelkDisk disk(opened.Device(), status);
        disk.Read();
        result = work(opened, disk);
    }
    opened.Close();
    return result;
}

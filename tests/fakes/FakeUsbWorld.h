#pragma once
// Inside of the fake: the simulated devices, their libusb records and the shared bookkeeping.
#include <usb.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "fakes/FakeUsb.h"

namespace fakeusb {

// The libusb records of one device: descriptors that point into each other, kept at fixed
// addresses for the life of the world (copies of usb_device stay usable, as with libusb).
struct DescriptorSet {
    struct Config {
        std::vector<usb_endpoint_descriptor> endpoints;
        usb_interface_descriptor altsetting{};
        usb_interface interface{};
    };
    std::vector<std::unique_ptr<Config>> configs;
    std::vector<usb_config_descriptor> configDescriptors;

    // One interface 0 / altsetting 0 per configuration, with these endpoint addresses.
    void Build(const std::vector<std::vector<uint8_t>>& endpointsPerConfig, uint8_t interfaceNumber = 0);
};

class SimDevice;
}  // namespace fakeusb

// The handle libusb gives out; device is null once Reset has unplugged the world under it.
struct usb_dev_handle {
    fakeusb::SimDevice* device;
    std::set<int> claimed;
};

namespace fakeusb {

using Handle = usb_dev_handle;

class SimDevice {
public:
    SimDevice(int bus, int devnum, uint16_t vendor, uint16_t product, Access access);
    virtual ~SimDevice() = default;

    struct usb_device record{};
    DescriptorSet descriptors;
    int bus;
    int devnum;
    Access access;
    bool plugged = true;
    int activeConfiguration = 0;  // bConfigurationValue, 0 = none
    int transferDelayMs = 0;

    virtual int Control(int type, int request, int value, int index, uint8_t* data, int size) = 0;
    virtual int BulkRead(int endpoint, uint8_t* data, int size) = 0;
    virtual int BulkWrite(int endpoint, const uint8_t* data, int size) = 0;
    // Text of string descriptor index, or nullopt when the device has none.
    virtual std::optional<std::string> String(int index) const = 0;

    bool HasInterface(int number) const;
    const usb_config_descriptor* ActiveConfig() const;
    bool HasEndpoint(int address) const;
};

std::unique_ptr<SimDevice> MakeUnit(const UnitOptions& options);
std::unique_ptr<SimDevice> MakeBootloader(const BootloaderOptions& options);

// Everything below is called with the world's lock held.
std::recursive_mutex& WorldLock();
// Whether a pending fault of this kind hits now; value receives its value (or the default).
bool TakeFault(Fault fault, const SimDevice& device, int& value, int defaultValue);
bool TakeFault(Fault fault, const SimDevice& device);
// Counts one transfer towards an unplug; false when the device is gone.
bool CountTransfer(SimDevice& device);
void Log(WireEvent event);
bool LoggingData();
void SetLastError(const std::string& text);
const std::string& LastError();

// The bus records libusb would keep: rebuilt from the plugged devices by a scan.
int ScanBusses();
int ScanDevices();
usb_bus* BusList();

// Handles given out by usb_open; Reset cuts them off from their devices.
std::set<Handle*>& OpenHandleSet();

std::vector<std::unique_ptr<SimDevice>>& Devices();
SimDevice* FindDevice(const struct usb_device* record);

}  // namespace fakeusb

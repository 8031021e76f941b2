// The fake's bookkeeping: devices, pending faults, unplug countdowns and the wire log.
#include "fakes/FakeUsbWorld.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

namespace fakeusb {
namespace {

struct PendingFault {
    Fault fault;
    int skip;
    int value;
    int devnum;
    int times;
};

struct Countdown {
    int devnum;  // 0 = all devices together
    int left;
};

struct World {
    std::vector<std::unique_ptr<SimDevice>> devices;
    std::vector<PendingFault> faults;
    std::vector<Countdown> countdowns;
    std::vector<WireEvent> log;
    bool logData = true;
    bool logEvents = true;
    std::string mirrorPath;
    std::string lastError = "No error";
    std::map<int, std::unique_ptr<usb_bus>> busses;  // stable: device copies point at them
    std::set<Handle*> handles;
};

World& TheWorld() {
    static World* world = new World;  // never destroyed: atexit order must not matter
    return *world;
}

bool Matches(const PendingFault& pending, Fault fault, const SimDevice& device) {
    return pending.fault == fault && (pending.devnum == 0 || pending.devnum == device.devnum);
}

std::string Hex(int value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, unsigned(value) & 0xFFFF);
    return text;
}

std::string DataText(const std::vector<uint8_t>& data) {
    if (data.empty() || data.size() > 16) return "";
    std::string text = " [";
    for (size_t i = 0; i < data.size(); ++i) text += (i ? " " : "") + Hex(data[i], 2);
    return text + "]";
}

}  // namespace

void DescriptorSet::Build(const std::vector<std::vector<uint8_t>>& endpointsPerConfig, uint8_t interfaceNumber) {
    configs.clear();
    configDescriptors.assign(endpointsPerConfig.size(), usb_config_descriptor{});
    for (size_t c = 0; c < endpointsPerConfig.size(); ++c) {
        auto config = std::make_unique<Config>();
        for (uint8_t address : endpointsPerConfig[c]) {
            usb_endpoint_descriptor endpoint{};
            endpoint.bLength = USB_DT_ENDPOINT_SIZE;
            endpoint.bDescriptorType = USB_DT_ENDPOINT;
            endpoint.bEndpointAddress = address;
            endpoint.bmAttributes = USB_ENDPOINT_TYPE_BULK;
            endpoint.wMaxPacketSize = 64;
            config->endpoints.push_back(endpoint);
        }
        usb_interface_descriptor& alt = config->altsetting;
        alt.bLength = USB_DT_INTERFACE_SIZE;
        alt.bDescriptorType = USB_DT_INTERFACE;
        alt.bInterfaceNumber = interfaceNumber;
        alt.bAlternateSetting = 0;
        alt.bNumEndpoints = uint8_t(config->endpoints.size());
        alt.bInterfaceClass = USB_CLASS_VENDOR_SPEC;
        alt.endpoint = config->endpoints.empty() ? nullptr : config->endpoints.data();
        config->interface.altsetting = &alt;
        config->interface.num_altsetting = 1;

        usb_config_descriptor& descriptor = configDescriptors[c];
        descriptor.bLength = USB_DT_CONFIG_SIZE;
        descriptor.bDescriptorType = USB_DT_CONFIG;
        descriptor.bNumInterfaces = 1;
        descriptor.bConfigurationValue = uint8_t(c + 1);
        descriptor.interface = &config->interface;
        configs.push_back(std::move(config));
    }
}

SimDevice::SimDevice(int busNumber, int deviceNumber, uint16_t vendor, uint16_t product, Access accessMode)
    : bus(busNumber), devnum(deviceNumber), access(accessMode) {
    std::snprintf(record.filename, sizeof record.filename, "%03d", deviceNumber);
    record.descriptor.bLength = USB_DT_DEVICE_SIZE;
    record.descriptor.bDescriptorType = USB_DT_DEVICE;
    record.descriptor.bcdUSB = 0x0200;
    record.descriptor.bMaxPacketSize0 = 64;
    record.descriptor.idVendor = vendor;
    record.descriptor.idProduct = product;
    record.devnum = uint8_t(deviceNumber);
}

const usb_config_descriptor* SimDevice::ActiveConfig() const {
    for (const auto& config : descriptors.configDescriptors)
        if (config.bConfigurationValue == activeConfiguration) return &config;
    return nullptr;
}

bool SimDevice::HasInterface(int number) const {
    const usb_config_descriptor* config = ActiveConfig();
    if (!config) return false;
    for (int i = 0; i < config->bNumInterfaces; ++i)
        if (config->interface[i].altsetting[0].bInterfaceNumber == number) return true;
    return false;
}

bool SimDevice::HasEndpoint(int address) const {
    const usb_config_descriptor* config = ActiveConfig();
    if (!config) return false;
    const usb_interface_descriptor& alt = config->interface[0].altsetting[0];
    for (int i = 0; i < alt.bNumEndpoints; ++i)
        if (alt.endpoint[i].bEndpointAddress == address) return true;
    return false;
}

std::recursive_mutex& WorldLock() {
    static std::recursive_mutex* lock = new std::recursive_mutex;
    return *lock;
}

bool TakeFault(Fault fault, const SimDevice& device, int& value, int defaultValue) {
    auto& faults = TheWorld().faults;
    bool hit = false;
    for (auto it = faults.begin(); it != faults.end();) {
        if (!Matches(*it, fault, device)) {
            ++it;
            continue;
        }
        if (it->skip > 0) {
            --it->skip;
        } else if (!hit) {
            hit = true;
            value = it->value ? it->value : defaultValue;
            if (--it->times == 0) {
                it = faults.erase(it);
                continue;
            }
        }
        ++it;
    }
    return hit;
}

bool TakeFault(Fault fault, const SimDevice& device) {
    int ignored = 0;
    return TakeFault(fault, device, ignored, 0);
}

bool CountTransfer(SimDevice& device) {
    if (!device.plugged) return false;
    for (auto& countdown : TheWorld().countdowns) {
        if (countdown.devnum != 0 && countdown.devnum != device.devnum) continue;
        if (countdown.left <= 0) {
            device.plugged = false;
            if (countdown.devnum == 0)
                for (auto& other : TheWorld().devices) other->plugged = false;
            return false;
        }
        --countdown.left;
    }
    return true;
}

void Log(WireEvent event) {
    World& world = TheWorld();
    if (!world.logEvents) return;
    if (!world.logData) event.data.clear();
    if (!world.mirrorPath.empty()) {
        std::ofstream mirror(world.mirrorPath, std::ios::app);
        mirror << Describe(event) << "\n";
    }
    world.log.push_back(std::move(event));
}

bool LoggingData() { return TheWorld().logData; }
void SetLastError(const std::string& text) { TheWorld().lastError = text; }
const std::string& LastError() { return TheWorld().lastError; }

std::vector<std::unique_ptr<SimDevice>>& Devices() { return TheWorld().devices; }
std::set<Handle*>& OpenHandleSet() { return TheWorld().handles; }

int OpenHandles() {
    std::lock_guard lock(WorldLock());
    return int(TheWorld().handles.size());
}

int ScanBusses() {
    World& world = TheWorld();
    int added = 0;
    for (const auto& device : world.devices) {
        if (!device->plugged || world.busses.count(device->bus)) continue;
        auto bus = std::make_unique<usb_bus>();
        std::snprintf(bus->dirname, sizeof bus->dirname, "%03d", device->bus);
        bus->location = uint32_t(device->bus);
        world.busses[device->bus] = std::move(bus);
        ++added;
    }
    usb_bus* previous = nullptr;
    usb_busses = nullptr;
    for (auto& [number, bus] : world.busses) {
        bus->prev = previous;
        bus->next = nullptr;
        if (previous) previous->next = bus.get();
        else usb_busses = bus.get();
        previous = bus.get();
    }
    return added;
}

int ScanDevices() {
    World& world = TheWorld();
    int changes = 0;
    for (auto& [number, bus] : world.busses) {
        struct usb_device* previous = nullptr;
        bus->devices = nullptr;
        for (auto& device : world.devices) {
            if (device->bus != number) continue;
            const bool listed = device->record.bus != nullptr;
            if (!device->plugged) {
                if (listed) ++changes;
                device->record.bus = nullptr;
                continue;
            }
            if (!listed) ++changes;
            device->record.bus = bus.get();
            device->record.prev = previous;
            device->record.next = nullptr;
            if (previous) previous->next = &device->record;
            else bus->devices = &device->record;
            previous = &device->record;
        }
    }
    return changes;
}

usb_bus* BusList() { return usb_busses; }

SimDevice* FindDevice(const struct usb_device* record) {
    if (!record || !record->bus) return nullptr;
    for (auto& device : TheWorld().devices) {
        const auto found = TheWorld().busses.find(device->bus);
        if (device->record.devnum == record->devnum && found != TheWorld().busses.end() &&
            found->second.get() == record->bus)
            return device.get();
    }
    return nullptr;
}

std::string Describe(const WireEvent& event) {
    switch (event.kind) {
        case WireEvent::Kind::Control:
            return "control " + Hex(event.requestType, 2) + " " + Hex(event.request, 2) + " " + Hex(event.value, 4) + " " +
                   Hex(event.index, 4) + " len=" + std::to_string(event.length) + " t=" + std::to_string(event.timeout) +
                   " -> " + std::to_string(event.result) + DataText(event.data);
        case WireEvent::Kind::BulkRead:
        case WireEvent::Kind::BulkWrite:
            return std::string(event.kind == WireEvent::Kind::BulkRead ? "bulk-in " : "bulk-out ") + Hex(event.endpoint, 2) +
                   " len=" + std::to_string(event.length) + " t=" + std::to_string(event.timeout) + " -> " +
                   std::to_string(event.result) + DataText(event.data);
        case WireEvent::Kind::Host:
            return "host " + event.host + " -> " + std::to_string(event.result);
    }
    return "";
}

void Inject(Fault fault, int skip, int value, int devnum, int times) {
    std::lock_guard lock(WorldLock());
    TheWorld().faults.push_back({fault, skip, value, devnum, times});
}

void UnplugAfterTransfers(int transfers, int devnum) {
    std::lock_guard lock(WorldLock());
    TheWorld().countdowns.push_back({devnum, transfers});
}

const std::vector<WireEvent>& WireLog() { return TheWorld().log; }

std::vector<WireEvent> Transfers() {
    std::lock_guard lock(WorldLock());
    std::vector<WireEvent> transfers;
    for (const auto& event : TheWorld().log)
        if (event.kind != WireEvent::Kind::Host) transfers.push_back(event);
    return transfers;
}

std::vector<std::string> DescribeTransfers() {
    std::vector<std::string> lines;
    for (const auto& event : Transfers()) lines.push_back(Describe(event));
    return lines;
}

void ClearWireLog() {
    std::lock_guard lock(WorldLock());
    TheWorld().log.clear();
}

void LogTransferData(bool keep) {
    std::lock_guard lock(WorldLock());
    TheWorld().logData = keep;
}

void LogTransfers(bool keep) {
    std::lock_guard lock(WorldLock());
    TheWorld().logEvents = keep;
}

void MirrorWireLog(const std::string& path) {
    std::lock_guard lock(WorldLock());
    TheWorld().mirrorPath = path;
}

void Reset() {
    std::lock_guard lock(WorldLock());
    World& world = TheWorld();
    for (Handle* handle : world.handles) handle->device = nullptr;
    world.handles.clear();
    for (auto& [number, bus] : world.busses) bus->devices = nullptr;
    usb_busses = nullptr;
    world.devices.clear();
    world.faults.clear();
    world.countdowns.clear();
    world.log.clear();
    world.logData = true;
    world.logEvents = true;
    world.mirrorPath.clear();
    world.lastError = "No error";
}

void AddUnit(const UnitOptions& options) {
    std::lock_guard lock(WorldLock());
    TheWorld().devices.push_back(MakeUnit(options));
}

void AddBootloader(const BootloaderOptions& options) {
    std::lock_guard lock(WorldLock());
    TheWorld().devices.push_back(MakeBootloader(options));
}

void Unplug(int devnum) {
    std::lock_guard lock(WorldLock());
    for (auto& device : TheWorld().devices)
        if (device->devnum == devnum) device->plugged = false;
}

}  // namespace fakeusb

// The libusb 0.1 entry points of <usb.h> that the programs use, answered by the simulated world.
// Results follow libusb 0.1 on Linux: byte counts, or a negative errno with usb_strerror's text.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "fakes/FakeUsbWorld.h"

using namespace fakeusb;

struct usb_bus* usb_busses = nullptr;

namespace {

std::string ErrorText(int result) { return std::strerror(-result); }

// A transfer's common gate: a handle cut off by Reset, an unplugged device or a read-only node.
int Gate(usb_dev_handle* handle, const char* what, bool counted = true) {
    if (!handle || !handle->device) {
        SetLastError(std::string(what) + ": " + ErrorText(-ENODEV));
        return -ENODEV;
    }
    if (counted ? !CountTransfer(*handle->device) : !handle->device->plugged) {
        SetLastError(std::string(what) + ": " + ErrorText(-ENODEV));
        return -ENODEV;
    }
    if (handle->device->access == Access::ReadOnly) {
        SetLastError(std::string(what) + ": " + ErrorText(-EPERM));
        return -EPERM;
    }
    return 0;
}

int HostResult(usb_dev_handle* handle, const std::string& what, int result) {
    WireEvent event;
    event.devnum = handle && handle->device ? handle->device->devnum : 0;
    event.host = what;
    event.result = result;
    Log(std::move(event));
    if (result < 0) SetLastError("could not " + what + ": " + ErrorText(result));
    return result;
}

int HostCall(usb_dev_handle* handle, const std::string& what, Fault fault) {
    if (!handle || !handle->device || !handle->device->plugged) return HostResult(handle, what, -ENODEV);
    if (handle->device->access == Access::ReadOnly) return HostResult(handle, what, -EPERM);
    int value = 0;
    if (TakeFault(fault, *handle->device, value, -EBUSY)) return HostResult(handle, what, value);
    return 0;
}

// A slow unit takes its time outside the world's lock, as a real transfer would.
void Pause(usb_dev_handle* handle) {
    int delayMs = 0;
    {
        std::lock_guard lock(WorldLock());
        if (handle && handle->device) delayMs = handle->device->transferDelayMs;
    }
    if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
}

int Bulk(usb_dev_handle* handle, int ep, char* bytes, int size, int timeout, bool in) {
    Pause(handle);
    std::lock_guard lock(WorldLock());
    WireEvent event;
    event.kind = in ? WireEvent::Kind::BulkRead : WireEvent::Kind::BulkWrite;
    event.devnum = handle && handle->device ? handle->device->devnum : 0;
    event.endpoint = ep & 0xFF;
    event.length = size;
    event.timeout = timeout;
    int result = Gate(handle, in ? "error reading from bulk endpoint" : "error writing to bulk endpoint");
    if (result == 0) {
        SimDevice& device = *handle->device;
        if (!device.HasEndpoint(ep & 0xFF)) {
            result = -EINVAL;
        } else if (size < 0 || !bytes) {
            result = -EINVAL;
        } else {
            result = in ? device.BulkRead(ep & 0xFF, reinterpret_cast<uint8_t*>(bytes), size)
                        : device.BulkWrite(ep & 0xFF, reinterpret_cast<const uint8_t*>(bytes), size);
        }
        if (result < 0) {
            char endpoint[8];
            std::snprintf(endpoint, sizeof endpoint, "0x%02x", ep & 0xFF);
            SetLastError(std::string(in ? "error reading from bulk endpoint " : "error writing to bulk endpoint ") +
                         endpoint + ": " + ErrorText(result));
        }
    }
    if (result > 0 && LoggingData()) event.data.assign(bytes, bytes + result);
    event.result = result;
    Log(std::move(event));
    return result;
}

}  // namespace

extern "C" {

void usb_init(void) {}
void usb_set_debug(int) {}

int usb_find_busses(void) {
    std::lock_guard lock(WorldLock());
    return ScanBusses();
}

int usb_find_devices(void) {
    std::lock_guard lock(WorldLock());
    return ScanDevices();
}

struct usb_bus* usb_get_busses(void) {
    std::lock_guard lock(WorldLock());
    return BusList();
}

usb_dev_handle* usb_open(struct usb_device* dev) {
    std::lock_guard lock(WorldLock());
    SimDevice* device = FindDevice(dev);
    int value = 0;
    if (!device || !device->plugged) {
        errno = ENODEV;
    } else if (device->access == Access::Denied) {
        errno = EACCES;
    } else if (TakeFault(Fault::RefuseOpen, *device, value, -EIO)) {
        errno = -value;
    } else {
        auto* handle = new usb_dev_handle{device, {}};
        OpenHandleSet().insert(handle);
        HostResult(handle, "open", 0);
        return handle;
    }
    const int error = errno;
    WireEvent event;
    event.devnum = device ? device->devnum : 0;
    event.host = "open";
    event.result = -error;
    Log(std::move(event));
    SetLastError("failed to open device: " + ErrorText(-error));
    errno = error;
    return nullptr;
}

int usb_close(usb_dev_handle* dev) {
    std::lock_guard lock(WorldLock());
    if (!dev) return -EINVAL;
    HostResult(dev, "close", 0);
    OpenHandleSet().erase(dev);
    delete dev;
    return 0;
}

int usb_get_string_simple(usb_dev_handle* dev, int index, char* buf, size_t buflen) {
    std::lock_guard lock(WorldLock());
    const std::string what = "string " + std::to_string(index);
    int result = Gate(dev, "error sending control message", false);  // not counted towards an unplug
    if (result == 0) {
        const auto text = dev->device->String(index);
        int value = 0;
        if (TakeFault(Fault::FailStringRead, *dev->device, value, -EPIPE)) {
            result = value;
        } else if (!text || index == 0) {
            result = -EPIPE;
        } else if (buflen > 0) {
            const size_t length = std::min(text->size(), buflen - 1);
            std::memcpy(buf, text->data(), length);
            buf[length] = '\0';
            result = int(length);
        }
    }
    if (result < 0) SetLastError("error sending control message: " + ErrorText(result));
    return HostResult(dev, what, result);
}

int usb_set_configuration(usb_dev_handle* dev, int configuration) {
    std::lock_guard lock(WorldLock());
    const std::string what = "set_configuration " + std::to_string(configuration);
    if (int result = HostCall(dev, what, Fault::RefuseSetConfiguration)) return result;
    SimDevice& device = *dev->device;
    bool known = false;
    for (const auto& config : device.descriptors.configDescriptors) known |= config.bConfigurationValue == configuration;
    if (!known) return HostResult(dev, what, -EINVAL);
    device.activeConfiguration = configuration;
    dev->claimed.clear();
    return HostResult(dev, what, 0);
}

int usb_claim_interface(usb_dev_handle* dev, int interface) {
    std::lock_guard lock(WorldLock());
    const std::string what = "claim " + std::to_string(interface);
    if (int result = HostCall(dev, what, Fault::RefuseClaim)) return result;
    if (!dev->device->HasInterface(interface)) return HostResult(dev, what, -ENOENT);
    dev->claimed.insert(interface);
    return HostResult(dev, what, 0);
}

int usb_set_altinterface(usb_dev_handle* dev, int alternate) {
    std::lock_guard lock(WorldLock());
    const std::string what = "set_altinterface " + std::to_string(alternate);
    if (int result = HostCall(dev, what, Fault::RefuseAltSetting)) return result;
    if (dev->claimed.empty() || alternate != 0) return HostResult(dev, what, -EINVAL);
    return HostResult(dev, what, 0);
}

int usb_release_interface(usb_dev_handle* dev, int interface) {
    std::lock_guard lock(WorldLock());
    const std::string what = "release " + std::to_string(interface);
    if (!dev) return -EINVAL;
    if (dev->device) {
        int value = 0;
        if (TakeFault(Fault::RefuseRelease, *dev->device, value, -EBUSY)) return HostResult(dev, what, value);
    }
    if (!dev->claimed.erase(interface)) return HostResult(dev, what, -EINVAL);
    return HostResult(dev, what, 0);
}

int usb_control_msg(usb_dev_handle* dev, int requesttype, int request, int value, int index, char* bytes, int size,
                    int timeout) {
    Pause(dev);
    std::lock_guard lock(WorldLock());
    WireEvent event;
    event.kind = WireEvent::Kind::Control;
    event.devnum = dev && dev->device ? dev->device->devnum : 0;
    event.requestType = requesttype & 0xFF;
    event.request = request & 0xFF;
    event.value = value & 0xFFFF;
    event.index = index & 0xFFFF;
    event.length = size;
    event.timeout = timeout;
    const bool out = (requesttype & USB_ENDPOINT_IN) == 0;
    if (out && size > 0 && bytes && LoggingData()) event.data.assign(bytes, bytes + size);
    int result = Gate(dev, "error sending control message");
    if (result == 0) {
        SimDevice& device = *dev->device;
        int refused = 0;
        const bool toInterface = (requesttype & 0x1F) == USB_RECIP_INTERFACE;
        if (size < 0 || (size > 0 && !bytes)) {
            result = -EINVAL;
        } else if (toInterface && !device.HasInterface(index & 0xFF)) {
            result = -ENOENT;  // usbfs finds no such interface to claim for the request
        } else if (TakeFault(Fault::RefuseControl, device, refused, -EPIPE)) {
            result = refused;
        } else {
            result = device.Control(requesttype & 0xFF, request & 0xFF, value & 0xFFFF, index & 0xFFFF,
                                    reinterpret_cast<uint8_t*>(bytes), size);
        }
    }
    if (result < 0) SetLastError("error sending control message: " + ErrorText(result));
    if (!out && result > 0 && LoggingData()) event.data.assign(bytes, bytes + result);
    event.result = result;
    Log(std::move(event));
    return result;
}

int usb_bulk_read(usb_dev_handle* dev, int ep, char* bytes, int size, int timeout) {
    return Bulk(dev, ep, bytes, size, timeout, true);
}

int usb_bulk_write(usb_dev_handle* dev, int ep, const char* bytes, int size, int timeout) {
    return Bulk(dev, ep, const_cast<char*>(bytes), size, timeout, false);
}

char* usb_strerror(void) {
    static thread_local std::string text;
    std::lock_guard lock(WorldLock());
    text = LastError();
    return text.data();
}

struct usb_device* usb_device(usb_dev_handle* dev) {
    std::lock_guard lock(WorldLock());
    return dev && dev->device ? &dev->device->record : nullptr;
}

}  // extern "C"

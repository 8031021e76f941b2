#include "gui/UdevEventSource.h"

#include <libudev.h>

namespace {

const char* Text(const char* value) { return value ? value : ""; }

struct UdevDeleter {
    void operator()(udev* handle) const { udev_unref(handle); }
    void operator()(udev_monitor* handle) const { udev_monitor_unref(handle); }
    void operator()(udev_device* handle) const { udev_device_unref(handle); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

class CUdevEventSource final : public IDeviceEventSource {
public:
    CUdevEventSource(UdevPtr<udev> context, UdevPtr<udev_monitor> monitor)
        : m_context(std::move(context)), m_monitor(std::move(monitor)) {}

    int Descriptor() const override { return udev_monitor_get_fd(m_monitor.get()); }

    bool ReadEvent() override {
        const UdevPtr<udev_device> device(udev_monitor_receive_device(m_monitor.get()));
        if (!device) return false;
        UdevEvent event;
        event.subsystem = Text(udev_device_get_subsystem(device.get()));
        event.devtype = Text(udev_device_get_devtype(device.get()));
        event.action = Text(udev_device_get_action(device.get()));
        event.mediaChange = std::string(Text(udev_device_get_property_value(device.get(), "DISK_MEDIA_CHANGE"))) == "1";
        return IsDeviceListEvent(event);
    }

private:
    UdevPtr<udev> m_context;
    UdevPtr<udev_monitor> m_monitor;
};

}  // namespace

bool IsDeviceListEvent(const UdevEvent& event) {
    const bool arrivalOrRemoval = event.action == "add" || event.action == "remove";
    if (event.subsystem == "usb") return event.devtype == "usb_device" && arrivalOrRemoval;
    if (event.subsystem == "block")
        return event.devtype == "disk" && (arrivalOrRemoval || (event.action == "change" && event.mediaChange));
    return false;
}

std::unique_ptr<IDeviceEventSource> CreateUdevEventSource() {
    UdevPtr<udev> context(udev_new());
    if (!context) return nullptr;
    UdevPtr<udev_monitor> monitor(udev_monitor_new_from_netlink(context.get(), "udev"));
    if (!monitor) return nullptr;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "usb", "usb_device") < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "block", "disk") < 0 ||
        udev_monitor_enable_receiving(monitor.get()) < 0)
        return nullptr;
    return std::make_unique<CUdevEventSource>(std::move(context), std::move(monitor));
}

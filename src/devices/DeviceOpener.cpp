#include "devices/DeviceOpener.h"

#include <strings.h>
#include <sys/stat.h>

#include "devices/DriveList.h"
#include "devices/ImageFile.h"
#include "devices/PhysicalDrive.h"
#include "devices/UsbSectorDevice.h"
#include "platform/Exceptions.h"

namespace {

const char kDevPrefix[] = "/dev/";

const PhysicalDriveInfo& RequireUsableDrive(const PhysicalDriveInfo* drive, const std::string& argument,
                                            bool allowFixed) {
    if (!drive) throw CUsbDeviceException(argument + " is not a whole disk (give the disk, not a partition)");
    if (const std::string refusal = DriveRefusal(*drive, argument, allowFixed); !refusal.empty())
        throw CUsbDeviceException(refusal);
    if (!drive->geometryValid) throw CUsbDeviceException(argument + " has no readable size (no card in the reader?)");
    return *drive;
}

COpenedDevice OpenDrive(const PhysicalDriveInfo& drive, const DeviceOpenOptions& options) {
    auto device = std::make_unique<CPhysicalDrive>(options.paths, options.access, nullptr, options.allowFixed);
    DeviceEntry entry{drive.dev, DriveLabel(drive), drive.name};
    device->Open(entry);
    return COpenedDevice(std::move(device), DeviceKind::Drive, entry.description);
}

COpenedDevice OpenImage(const std::string& path) {
    auto device = std::make_unique<CImageFile>();
    const DeviceEntry entry = CImageFile::EntryFor(path);
    device->Open(entry);
    return COpenedDevice(std::move(device), DeviceKind::Image, entry.description);
}

// A unit's label names libusb's own record, valid for the whole command (nothing rescans).
COpenedDevice OpenUnit(struct usb_device& record, const std::string& label) {
    auto device = std::make_unique<CUsbSectorDevice>();
    device->Open(DeviceEntry{uint64_t(reinterpret_cast<uintptr_t>(&record)), "", label});
    std::string description = device->Description();
    return COpenedDevice(std::move(device), DeviceKind::Unit, std::move(description));
}

bool LooksLikeUnitLabel(const std::string& argument) {
    return argument.size() > 4 && strncasecmp(argument.c_str(), "VELK", 4) == 0;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

const char* DeviceKindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Drive: return "drive";
        case DeviceKind::Unit: return "unit";
        case DeviceKind::Image: return "image";
    }
    return "drive";
}

COpenedDevice::COpenedDevice(std::unique_ptr<CSectorDevice> device, DeviceKind kind, std::string label)
    : m_device(std::move(device)), m_kind(kind), m_label(std::move(label)) {}

COpenedDevice::~COpenedDevice() {
    // Close() is the path that reports; here the device object's own destructor releases quietly.
}

void COpenedDevice::Close() {
    if (m_closed || !m_device) return;
    m_closed = true;
    m_device->Close();
}

COpenedDevice OpenDeviceByName(const std::string& argument, const DeviceOpenOptions& options) {
    if (argument.rfind(kDevPrefix, 0) == 0) {
        struct stat st {};
        if (::stat(argument.c_str(), &st) != 0) throw CUsbDeviceException("No such device: " + argument);
        if (!S_ISBLK(st.st_mode)) throw CUsbDeviceException(argument + " is not a block device");
        const CDriveList drives(options.paths);
        return OpenDrive(RequireUsableDrive(drives.FindByDev(st.st_rdev), argument, options.allowFixed), options);
    }
    if (IsRegularFile(argument)) return OpenImage(argument);
    const CDriveList drives(options.paths);
    if (const PhysicalDriveInfo* drive = drives.FindByName(argument))
        return OpenDrive(RequireUsableDrive(drive, argument, options.allowFixed), options);
    if (struct usb_device* unit = FindUnitByName(argument)) return OpenUnit(*unit, argument);
    if (LooksLikeUnitLabel(argument))
        throw CUsbDeviceException("No VELK unit called " + argument +
                                  " is attached (velk3 devices lists the units; labels are upper case, as VELK3)");
    throw CUsbDeviceException("No device called " + argument +
                              " (give a card reader's name such as sdb, a /dev path, a unit label such as VELK3, "
                              "or a card image file)");
}

void SetUnitClock(COpenedDevice& opened) {
    if (opened.Kind() != DeviceKind::Unit) return;
    static_cast<CUsbSectorDevice&>(opened.Device()).SetClock();
}

#include "devices/DeviceOpener.h"

#include <strings.h>
#include <sys/stat.h>

#include "devices/DriveList.h"
#include "devices/ImageFile.h"
#include "devices/PhysicalDrive.h"
#include "devices/UnitList.h"
#include "devices/UsbSectorDevice.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"

namespace {

const char kDevPrefix[] = "/dev/";

const PhysicalDriveInfo& RequireUsableDrive(const PhysicalDriveInfo* drive, const std::string& argument,
                                            bool allowFixed) {
    if (!drive) throw CUsbDeviceException(argument + " is not a whole disk (give the disk, not a partition)");
    if (const MessageText refusal = DriveRefusal(*drive, argument, allowFixed); !refusal.Empty())
        throw CUsbDeviceException(refusal);
    if (!drive->geometryValid) throw CUsbDeviceException(argument + " has no readable size (no card in the reader?)");
    return *drive;
}

COpenedDevice OpenDrive(const PhysicalDriveInfo& drive, const DeviceOpenOptions& options) {
    auto device = std::make_unique<CPhysicalDrive>(options.paths, options.access, nullptr, options.allowFixed,
                                                   options.questions, options.stop);
    DeviceEntry entry{drive.dev, DriveLabel(drive), drive.name, DriveId(drive)};
    device->Open(entry);
    return COpenedDevice(std::move(device), DeviceKind::Drive, entry.description);
}

COpenedDevice OpenImage(const std::string& path) {
    auto device = std::make_unique<CImageFile>();
    const DeviceEntry entry = CImageFile::EntryFor(path);
    device->Open(entry);
    return COpenedDevice(std::move(device), DeviceKind::Image, entry.description);
}

// libusb's own record, valid for the whole command (nothing rescans meanwhile).
COpenedDevice OpenUnit(struct usb_device& record, const std::string& label) {
    auto device = std::make_unique<CUsbSectorDevice>();
    device->Open(DeviceEntry{uint64_t(reinterpret_cast<uintptr_t>(&record)), "", label, DeviceId::Of(DeviceKind::Unit, label)});
    std::string description = device->Description();
    return COpenedDevice(std::move(device), DeviceKind::Unit, std::move(description));
}

bool LooksLikeUnitLabel(const std::string& argument) {
    return argument.size() > 4 && strncasecmp(argument.c_str(), "VELK", 4) == 0;
}

// The names of the units that share the device number a unit name without its bus gives
// ("VELK3-1, VELK3-2" for VELK3); empty when no units share it.
std::string NamesSharing(const std::string& argument, const SystemPaths& paths) {
    std::string names;
    for (const UnitRecord& unit : ScanUnits(paths))
        if (unit.sharesNumber && unit.name.rfind(argument + "-", 0) == 0) names += (names.empty() ? "" : ", ") + unit.name;
    return names;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

const char* DeviceKindName(DeviceKind kind) {
    switch (kind) {
        case DeviceKind::Named: return "device";
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
    if (struct usb_device* unit = FindUnitByName(argument, options.paths)) return OpenUnit(*unit, argument);
    if (const std::string names = NamesSharing(argument, options.paths); !names.empty())
        throw CUsbDeviceException("More than one VELK unit has the device number of " + argument + ": call it " + names +
                                  " (velk3 devices lists them)");
    if (LooksLikeUnitLabel(argument))
        throw CUsbDeviceException("No VELK unit called " + argument +
                                  " is attached (velk3 devices lists the units; labels are upper case, as VELK3)");
    throw CUsbDeviceException("No device called " + argument +
                              " (give a card reader's name such as sdb, a /dev path, a unit label such as VELK3, "
                              "or a card image file)");
}

namespace {

// The window's words: it lists only what it may use, so a refusal means the device changed since.
const PhysicalDriveInfo& RequireListedDrive(const DeviceId& id, const CDriveList& drives) {
    const PhysicalDriveInfo* drive = drives.FindByName(id.name);
    if (!drive || !drive->geometryValid)
        throw CUsbDeviceException(Fill(
            VELK3_TRANSLATE_NOOP("velk3core",
                                 "The card in %1 is no longer there (the card was taken out or the reader unplugged)."),
            id.name));
    if (drive->serial != id.serial || uint64_t(drive->sectorCount) != id.sectors)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core",
                                      "%1 now holds another card than the one listed. Choose it again in the list."),
                 id.name));
    if (!drive->Qualifies())
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core",
                                      "%1 is no longer a removable card reader, so VELK3 Manager does not use it."),
                 id.name));
    return *drive;
}

void RequireListedImage(const DeviceId& id) {
    const FileIdentity named = FileIdentity::At(id.name, false);
    if (!named.Known())
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "The card image %1 is no longer there."), id.name));
    if (named != id.file) throw CUsbDeviceException(ReplacedImageMessage(id.name));
}

struct usb_device& RequireListedUnit(const DeviceId& id, const SystemPaths& paths) {
    struct usb_device* unit = FindUnit(id, paths);
    if (!unit) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "The VELK is no longer attached."));
    return *unit;
}

COpenedDevice OpenListedImage(const DeviceId& id) {
    RequireListedImage(id);
    auto device = std::make_unique<CImageFile>();
    DeviceEntry entry = CImageFile::EntryFor(id.name);
    entry.id = id;
    device->OpenListed(entry);
    return COpenedDevice(std::move(device), DeviceKind::Image, entry.description);
}

}  // namespace

COpenedDevice OpenDevice(const DeviceId& id, const DeviceOpenOptions& options) {
    switch (id.kind) {
        case DeviceKind::Named: return OpenDeviceByName(id.name, options);
        case DeviceKind::Image: return OpenListedImage(id);
        case DeviceKind::Unit: return OpenUnit(RequireListedUnit(id, options.paths), id.name);
        case DeviceKind::Drive: {
            const CDriveList drives(options.paths);
            return OpenDrive(RequireListedDrive(id, drives), options);
        }
    }
    throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to open device"));
}

void RequireStillThere(const DeviceId& id, const SystemPaths& paths) {
    switch (id.kind) {
        case DeviceKind::Named: return;  // whatever it names is found when it is opened
        case DeviceKind::Image: RequireListedImage(id); return;
        case DeviceKind::Unit: RequireListedUnit(id, paths); return;
        case DeviceKind::Drive: RequireListedDrive(id, CDriveList(paths)); return;
    }
}

void SetUnitClock(COpenedDevice& opened) {
    if (opened.Kind() != DeviceKind::Unit) return;
    static_cast<CUsbSectorDevice&>(opened.Device()).SetClock();
}

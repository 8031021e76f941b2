#include "devices/UsbSectorDevice.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "devices/UsbAccess.h"
#include "devices/UsbProtocol.h"
#include "platform/ByteOrder.h"
#include "platform/Exceptions.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"

using namespace unit_usb;
using namespace unit_record;

namespace {

constexpr int kYearBase = 2000;

uint8_t Bcd(int value) { return uint8_t((value / 10) * 16 + value % 10); }

// The decimal number at the start of the text, 0.0 when there is none. Not strtod: the window's
// locale may use a decimal comma, the firmware never does.
double ParseVersion(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
    double version = 0.0;
    if (std::from_chars(begin, end, version, std::chars_format::fixed).ec != std::errc()) return 0.0;
    return version;
}

// "%0.2f" without the locale.
std::string TwoDecimals(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return result.ec == std::errc() ? std::string(text, result.ptr) : "0.00";
}

// An ATA text field: two characters a word, the high byte first, ending at the first NUL, with
// the padding spaces removed at both ends.
std::string AtaText(const uint8_t* identify, int firstWord, int words) {
    std::string text;
    for (int w = firstWord; w < firstWord + words; ++w) {
        text += char(identify[2 * w + 1]);
        text += char(identify[2 * w]);
    }
    text.resize(std::strlen(text.c_str()));
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    return text;
}

int TransferLength(uint32_t count, const char* caller) {
    if (count > uint32_t(INT_MAX) / kSectorSize)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "%1 too many sectors for one transfer (%2)"), caller, count));
    return int(count * kSectorSize);
}

void StoreSectorCommand(uint8_t* command, uint32_t first, uint32_t count) {
    StoreLe32(command, first);
    StoreLe32(command + 4, count);
}

}  // namespace

CUsbSectorDevice::CUsbSectorDevice(ClockSource clock) : m_clock(std::move(clock)) {}

CUsbSectorDevice::~CUsbSectorDevice() { ReleaseQuietly(); }

void CUsbSectorDevice::ReleaseQuietly() {
    if (!m_handle) return;
    if (m_claimed) usb_release_interface(m_handle, m_interface->bInterfaceNumber);
    usb_close(m_handle);
    m_handle = nullptr;
    m_claimed = false;
}

std::string CUsbSectorDevice::ReadString(int index, const char* failure) {
    if (index == 0) throw CUsbDeviceException(failure);
    char text[kStringBufferSize] = {};
    const int result = usb_get_string_simple(m_handle, index, text, sizeof text);
    if (result <= 0) throw CUsbDeviceException(WithAccessHint(failure, result));
    return std::string(text, strnlen(text, sizeof text));
}

void CUsbSectorDevice::Open(const DeviceEntry& entry) {
    // A second handle would leak the first; a half-done Open lets go of what it took.
    if (m_handle) throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "A drive is already opened"));
    try {
        OpenAndClaim(entry);
    } catch (...) {
        ReleaseQuietly();
        throw;
    }
}

void CUsbSectorDevice::OpenAndClaim(const DeviceEntry& entry) {
    auto* device = reinterpret_cast<struct usb_device*>(uintptr_t(entry.reference));
    errno = 0;
    m_handle = device ? usb_open(device) : nullptr;
    if (!m_handle)
        throw CUsbDeviceException(WithAccessHint(VELK3_TRANSLATE_NOOP("velk3core", "Unable to open device"), errno));
    m_deviceNumber = device->devnum;

    m_manufacturer = ReadString(device->descriptor.iManufacturer,
                                VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT RETRIEVE MANUFACTURER STRING"));
    m_product =
        ReadString(device->descriptor.iProduct, VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT RETRIEVE PRODUCT STRING"));
    m_firmwareVersion = ParseVersion(
        ReadString(kStringFirmwareVersion,
                   VELK3_TRANSLATE_NOOP("velk3core",
                                        "THIS VERSION OF THE VELK IS NOT SUPPORTED BY THIS VERSION OF VELK MANAGER")));

    if (!device->config || device->descriptor.bNumConfigurations <= kCardConfigurationIndex)
        throw CUsbDeviceException(
            VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT SELECT CONFIGURATION (the unit reports no configuration)"));
    m_configuration = &device->config[kCardConfigurationIndex];
    const int result = usb_set_configuration(m_handle, m_configuration->bConfigurationValue);
    if (result != 0)
        throw CUsbDeviceException(WithAccessHint(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT SELECT CONFIGURATION (%1)"), usb_strerror()), result));
    ClaimInterface();
}

void CUsbSectorDevice::ClaimInterface() {
    if (m_configuration->bNumInterfaces < 1 || m_configuration->interface[0].num_altsetting < 1)
        throw CUsbDeviceException(
            VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT CLAIM INTERFACE (the unit reports no interface)"));
    m_interface = &m_configuration->interface[0].altsetting[0];
    int result = usb_claim_interface(m_handle, m_interface->bInterfaceNumber);
    if (result != 0)
        throw CUsbDeviceException(WithAccessHint(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT CLAIM INTERFACE (%1)"), usb_strerror()), result));
    m_claimed = true;
    result = usb_set_altinterface(m_handle, m_interface->bAlternateSetting);
    if (result != 0)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT SET ALTERNATE INTERFACE (%1)"), usb_strerror()));
    if (m_interface->bNumEndpoints <= kOutEndpointIndex)
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP(
            "velk3core", "COULD NOT SET ALTERNATE INTERFACE (the unit reports no bulk endpoints)"));
    m_inEndpoint = &m_interface->endpoint[kInEndpointIndex];
    m_outEndpoint = &m_interface->endpoint[kOutEndpointIndex];
}

void CUsbSectorDevice::Close() {
    if (!m_handle) return;
    if (m_claimed) {
        if (usb_release_interface(m_handle, m_interface->bInterfaceNumber) != 0)
            throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "COULD NOT RELEASE INTERFACE"));
        m_claimed = false;
    }
    usb_close(m_handle);
    m_handle = nullptr;
}

std::string CUsbSectorDevice::Description() const {
    return StringPrintf("%s - %s v%s (%i)", m_manufacturer.c_str(), m_product.c_str(),
                        TwoDecimals(m_firmwareVersion).c_str(), m_deviceNumber);
}

int CUsbSectorDevice::SendRequest(uint8_t request, uint8_t* data, int length) {
    if (!m_handle) return -ENODEV;
    return usb_control_msg(m_handle, unit_request::kRequestType, request, unit_request::kValue, unit_request::kIndex,
                           reinterpret_cast<char*>(data), length, unit_request::kTimeoutMs);
}

int CUsbSectorDevice::BulkIn(uint8_t* data, int length) {
    if (!m_handle || !m_inEndpoint) return -ENODEV;
    return usb_bulk_read(m_handle, m_inEndpoint->bEndpointAddress, reinterpret_cast<char*>(data), length, kBulkTimeoutMs);
}

int CUsbSectorDevice::BulkOut(const uint8_t* data, int length) {
    if (!m_handle || !m_outEndpoint) return -ENODEV;
    return usb_bulk_write(m_handle, m_outEndpoint->bEndpointAddress, reinterpret_cast<const char*>(data), length,
                          kBulkTimeoutMs);
}

bool CUsbSectorDevice::ReadChecksum(uint8_t expected) {
    uint8_t status[kStatusSize];
    const int result = BulkIn(status, kStatusSize);
    if (result != kStatusSize)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read checksum (err=%1, %2)"), result, usb_strerror()));
    return status[0] == kStatusMarker && status[1] == kStatusMarker && status[kStatusChecksumOffset] == expected;
}

uint8_t CUsbSectorDevice::ComputeChecksum(const uint8_t* data, size_t length) {
    // Eight bytes at a time: a 64 KiB transfer is checked at memory speed.
    uint64_t wide = 0;
    size_t i = 0;
    for (; i + sizeof wide <= length; i += sizeof wide) {
        uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        wide ^= word;
    }
    uint8_t sum = 0;
    for (size_t b = 0; b < sizeof wide; ++b) sum ^= uint8_t(wide >> (8 * b));
    for (; i < length; ++i) sum ^= data[i];
    return sum;
}

MessageText CUsbSectorDevice::ReadAttempt(uint32_t first, uint32_t count, uint8_t* buffer, int length) {
    uint8_t command[kSectorCommandSize];
    StoreSectorCommand(command, first, count);
    int result = SendRequest(unit_request::kReadSectors, command, kSectorCommandSize);
    if (result != kSectorCommandSize)
        return Fill(VELK3_TRANSLATE_NOOP("velk3core", "readSector: Unable to send read sector command (err=%1)"),
                    result);
    result = BulkIn(buffer, length);
    if (result != length)
        return Fill(VELK3_TRANSLATE_NOOP("velk3core", "readSector: Unable to read sector (err=%1, %2)"), result,
                    usb_strerror());
    try {
        if (ReadChecksum(ComputeChecksum(buffer, size_t(length)))) return {};
        return VELK3_TRANSLATE_NOOP("velk3core", "readSector: Invalid checksum");
    } catch (const CUsbDeviceException& e) {
        return "readSector:" + e.Text();
    }
}

void CUsbSectorDevice::readSector(uint32_t first, uint32_t count, uint8_t* buffer) {
    const int length = TransferLength(count, "readSector:");
    MessageText failure;
    for (int attempts = kAttempts; attempts > 0; --attempts) {
        failure = ReadAttempt(first, count, buffer, length);
        if (failure.Empty()) return;
    }
    throw CSectorTransferException(failure);
}

MessageText CUsbSectorDevice::WriteAttempt(uint32_t first, uint32_t count, const uint8_t* buffer, int length,
                                           uint8_t checksum) {
    uint8_t command[kSectorCommandSize];
    StoreSectorCommand(command, first, count);
    int result = SendRequest(unit_request::kWriteSectors, command, kSectorCommandSize);
    if (result != kSectorCommandSize)
        return Fill(VELK3_TRANSLATE_NOOP("velk3core", "writeSector: Unable to send write sector command (err=%1)"),
                    result);
    result = BulkOut(buffer, length);
    if (result != length)
        return Fill(VELK3_TRANSLATE_NOOP("velk3core", "writeSector: Unable to write sector (err=%1, %2)"), result,
                    usb_strerror());
    try {
        if (ReadChecksum(checksum)) return {};
        return VELK3_TRANSLATE_NOOP("velk3core", "writeSector: Invalid checksum");
    } catch (const CUsbDeviceException& e) {
        return "writeSector:" + e.Text();
    }
}

void CUsbSectorDevice::writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) {
    const int length = TransferLength(count, "writeSector:");
    const uint8_t checksum = ComputeChecksum(buffer, size_t(length));
    MessageText failure;
    for (int attempts = kAttempts; attempts > 0; --attempts) {
        failure = WriteAttempt(first, count, buffer, length, checksum);
        if (failure.Empty()) {
            // A failed attempt may have reached the card half-way: make sure the last one stuck.
            if (attempts < kAttempts) ReadBackAndCompare(first, count, buffer, size_t(length));
            return;
        }
    }
    throw CSectorTransferException(failure);
}

void CUsbSectorDevice::ReadBackAndCompare(uint32_t first, uint32_t count, const uint8_t* buffer, size_t length) {
    std::vector<uint8_t> readBack(length);
    readSector(first, count, readBack.data());
    if (std::memcmp(readBack.data(), buffer, length) != 0)
        throw CSectorTransferException(VELK3_TRANSLATE_NOOP("velk3core", "writeSector: Write to card failed"));
}

bool CUsbSectorDevice::Identify() {
    uint8_t identify[kIdentifySize];
    for (int attempts = kAttempts; attempts > 0; --attempts) {
        const bool lastAttempt = attempts == 1;
        int result = SendRequest(unit_request::kIdentify, nullptr, 0);
        if (result != 0) {
            if (lastAttempt)
                throw CUsbDeviceException(
                    Fill(VELK3_TRANSLATE_NOOP("velk3core", "Unable to query device id (err=%1)"), result));
            continue;
        }
        result = BulkIn(identify, kIdentifySize);
        if (result != kIdentifySize) {
            if (lastAttempt)
                throw CUsbDeviceException(
                    Fill(VELK3_TRANSLATE_NOOP("velk3core", "Unable to read device id (err=%1, %2)"), result,
                         usb_strerror()));
            continue;
        }
        bool confirmed = false;
        try {
            confirmed = ReadChecksum(ComputeChecksum(identify, kIdentifySize));
        } catch (const CUsbDeviceException&) {
            // an unreadable status packet counts like a mismatch
        }
        if (confirmed) {
            FillIdentity(identify);
            return true;
        }
    }
    return false;
}

void CUsbSectorDevice::FillIdentity(const uint8_t* identify) {
    m_sectorCount = uint32_t(LoadLe16(identify + 2 * kSectorCountLowWord)) +
                    uint32_t(LoadLe16(identify + 2 * kSectorCountHighWord)) * 65536u;
    m_name = AtaText(identify, kModelFirstWord, kModelWords) + " - " + AtaText(identify, kSerialFirstWord, kSerialWords);
}

void CUsbSectorDevice::SetClock() {
    const LocalTime now = m_clock();
    uint8_t record[kClockRecordSize] = {0x00,
                                        Bcd(now.second),
                                        Bcd(now.minute),
                                        Bcd(now.hour),
                                        uint8_t(now.weekday),
                                        Bcd(now.day),
                                        Bcd(now.month),
                                        Bcd(now.year - kYearBase)};
    const int result = SendRequest(unit_request::kSetClock, record, kClockRecordSize);
    if (result != kClockRecordSize)
        throw CUsbDeviceException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Unable to set the clock of the VELK (err=%1, %2)"), result,
                 usb_strerror()));
}

std::string UnitLabel(const struct usb_device& device) { return StringPrintf(kLabelFormat, int(device.devnum)); }

bool IsUnit(const struct usb_device& device) {
    return device.descriptor.idVendor == kVendorId && device.descriptor.idProduct == kProductId;
}

#pragma once
// The card inside a VELK unit, reached over USB (libusb 0.1) in the unit's first configuration.
// Every transfer is a vendor request, one bulk transfer of the data and a status packet carrying
// the unit's checksum; sector transfers and identify make five attempts in all, shared by every
// kind of failure, and a write that needed more than one attempt is read back and compared.
#include <usb.h>

#include <string>

#include "devices/SectorDevice.h"
#include "platform/MessageText.h"
#include "platform/Clock.h"

class CUsbSectorDevice final : public CSectorDevice {
public:
    explicit CUsbSectorDevice(ClockSource clock = SystemLocalTime);
    // Releases what Close would, quietly, so that no path leaves the unit claimed.
    ~CUsbSectorDevice() override;

    uint32_t GetSectorCount() override { return m_sectorCount; }
    std::string GetName() override { return m_name; }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override;
    void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) override;
    // entry.reference is libusb's usb_device record of the unit (see FindUnit).
    void Open(const DeviceEntry& entry) override;
    void Close() override;
    bool Identify() override;
    // The unit acknowledges every transfer once it is on the card: nothing is held back.
    void Flush() override {}

    void SetClock();
    bool ReadChecksum(uint8_t expected);
    static uint8_t ComputeChecksum(const uint8_t* data, size_t length);

    const std::string& Manufacturer() const { return m_manufacturer; }
    const std::string& Product() const { return m_product; }
    double FirmwareVersion() const { return m_firmwareVersion; }
    // "%s - %s v%0.2f (%i)": manufacturer, product, firmware version, device number.
    std::string Description() const;

private:
    void OpenAndClaim(const DeviceEntry& entry);
    void ReleaseQuietly();
    std::string ReadString(int index, const char* failure);
    void ClaimInterface();
    int SendRequest(uint8_t request, uint8_t* data, int length);
    int BulkIn(uint8_t* data, int length);
    int BulkOut(const uint8_t* data, int length);
    // One attempt of each transfer: empty when it succeeded, else its failure message.
    MessageText ReadAttempt(uint32_t first, uint32_t count, uint8_t* buffer, int length);
    MessageText WriteAttempt(uint32_t first, uint32_t count, const uint8_t* buffer, int length, uint8_t checksum);
    void ReadBackAndCompare(uint32_t first, uint32_t count, const uint8_t* buffer, size_t length);
    void FillIdentity(const uint8_t* identify);

    ClockSource m_clock;
    usb_dev_handle* m_handle = nullptr;
    std::string m_manufacturer;
    std::string m_product;
    usb_config_descriptor* m_configuration = nullptr;
    usb_interface_descriptor* m_interface = nullptr;
    usb_endpoint_descriptor* m_outEndpoint = nullptr;
    usb_endpoint_descriptor* m_inEndpoint = nullptr;
    std::string m_name;
    uint32_t m_sectorCount = 0;
    double m_firmwareVersion = 0.0;
    int m_deviceNumber = 0;
    bool m_claimed = false;
};

// The unit label "VELK%i" of a libusb device record.
std::string UnitLabel(const struct usb_device& device);
// True for the unit's vendor and product ids (not its bootloader's).
bool IsUnit(const struct usb_device& device);

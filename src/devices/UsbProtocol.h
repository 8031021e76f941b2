#pragma once
// The VELK unit's USB protocol: identity, requests, records and time-outs. The unit's firmware
// relies on every value here.
#include <cstdint>

namespace unit_usb {
constexpr uint16_t kVendorId = 0xAA00;
constexpr uint16_t kProductId = 0x0001;
constexpr int kStringFirmwareVersion = 3;  // fixed index, not the serial-number index
constexpr int kStringBufferSize = 256;
constexpr int kCardConfigurationIndex = 0;   // card access: the first configuration descriptor
constexpr int kRelayConfigurationIndex = 1;  // the relay: the second
constexpr int kInEndpointIndex = 0;          // of altsetting 0 of interface 0
constexpr int kOutEndpointIndex = 1;
constexpr const char* kLabelFormat = "VELK%i";
constexpr const char* kDescriptionFormat = "%s - %s v%0.2f (%i)";
}  // namespace unit_usb

namespace unit_request {  // vendor requests, host to device, wValue 0, wIndex 0
constexpr int kRequestType = 0x40;
constexpr int kValue = 0;
constexpr int kIndex = 0;
constexpr uint8_t kReadSectors = 0xA0;   // + sector command; bulk in data, bulk in status
constexpr uint8_t kIdentify = 0xA1;      // no data stage; bulk in 512 bytes, bulk in status
constexpr uint8_t kWriteSectors = 0xA2;  // + sector command; bulk out data, bulk in status
constexpr uint8_t kBaudMode = 0xA3;      // relay configuration: one byte, the baud code
constexpr uint8_t kSetClock = 0xA4;      // + clock record; nothing follows
constexpr int kTimeoutMs = 5000;
constexpr int kBaudModeTimeoutMs = 1000;
}  // namespace unit_request

namespace unit_record {
constexpr int kSectorCommandSize = 8;  // first sector LE32, sector count LE32
constexpr int kClockRecordSize = 8;    // 00, seconds, minutes, hours (BCD), weekday 1 = Sunday, day, month, year − 2000 (BCD)
constexpr int kIdentifySize = 512;
constexpr int kStatusSize = 128;       // FF FF, checksum, 125 bytes not examined
constexpr uint8_t kStatusMarker = 0xFF;
constexpr int kStatusChecksumOffset = 2;
constexpr int kBulkTimeoutMs = 5000;
constexpr int kRelayBulkTimeoutMs = 6000;
constexpr int kAttempts = 5;           // per sector transfer or identify, shared by every failure
// Identify data (ATA IDENTIFY DEVICE): word ranges of the texts and of the sector count.
constexpr int kSerialFirstWord = 10, kSerialWords = 10;
constexpr int kModelFirstWord = 27, kModelWords = 20;
constexpr int kSectorCountLowWord = 60, kSectorCountHighWord = 61;
}  // namespace unit_record

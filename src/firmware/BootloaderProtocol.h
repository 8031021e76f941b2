#pragma once
// The chip's USB bootloader: DFU class requests carrying the chip maker's command blocks. The
// bootloader is the chip's own firmware; every value here is what it expects.
#include <cstdint>

namespace bootloader_usb {
constexpr uint16_t kVendorId = 0x03EB;
constexpr uint16_t kProductId = 0x2FFF;
constexpr int kReleasedInterface = 0;
// The DFU requests name the bootloader's interface in wIndex. The bootloader was first driven
// with wIndex 4, which Linux usbfs refuses (ENOENT: the device has no interface 4), so here the
// requests carry the claimed interface, 0, as Linux DFU tools for this bootloader family do.
constexpr int kInterfaceIndex = 0;
}  // namespace bootloader_usb

namespace dfu_request {
constexpr int kTypeOut = 0x21;  // class, interface, host to device
constexpr int kTypeIn = 0xA1;   // class, interface, device to host
constexpr uint8_t kDnload = 1;
constexpr uint8_t kUpload = 2;
constexpr uint8_t kGetStatus = 3;
constexpr int kFirstRequestValue = 0xFFFF;  // DNLOAD and UPLOAD count down from here
constexpr int kStatusSize = 6;              // bStatus, bwPollTimeout (LE24), bState, iString
constexpr uint8_t kStatusOk = 0;
constexpr int kStateIdle = 2;               // dfuIDLE
constexpr int kStateBusy = 4;               // dfuDNBUSY
constexpr int kStatusTimeoutMs = 200;
}  // namespace dfu_request

namespace bootloader_command {  // command blocks sent with DNLOAD; addresses high byte first
constexpr uint8_t kProgram = 0x01;            // 01 00 start end, 26 zeros, data, 16 zeros
constexpr uint8_t kRead = 0x03;               // 03 00 start end, then UPLOAD of the range
constexpr uint8_t kWrite = 0x04;              // 04 00 FF: chip erase; 04 code value: configuration
constexpr uint8_t kReadConfiguration = 0x05;  // 05 code, then UPLOAD of one byte
constexpr int kProgramPrefixSize = 32;
constexpr int kProgramSuffixSize = 16;
constexpr int kReadBlockSize = 1024;
constexpr int kProgramBlockSize = 3072;
constexpr int kReadCommandSize = 6;
constexpr int kEraseCommandSize = 3;
constexpr int kWriteConfigurationSize = 4;
constexpr int kReadConfigurationSize = 3;
constexpr int kFlashTimeoutMs = 10000;
constexpr int kEraseTimeoutMs = 2000;
constexpr int kConfigurationTimeoutMs = 200;
constexpr int kEraseWaitMs = 15000;           // the chip erases while the host waits
constexpr int kIdlePollMs = 20;               // between idle polls of a configuration read
constexpr int kBusyPollMs = 100;              // between status polls of a configuration write
// A bootloader that never reaches idle (or stays busy) ends its operation after about this long.
constexpr int kStatusWaitLimitMs = 5000;
}  // namespace bootloader_command

namespace chip_configuration {  // configuration byte codes
constexpr uint16_t kBsb = 0x0100;
constexpr uint16_t kSbv = 0x0101;
constexpr uint16_t kHsb = 0x0200;
constexpr uint16_t kSsb = 0x0105;
constexpr uint8_t kBsbValue = 0xFF;
constexpr uint8_t kSbvValue = 0xF0;
constexpr uint8_t kHsbValue = 0x7B;
constexpr uint8_t kSsbProtected = 0xFC;
constexpr uint8_t kSsbOpen = 0xFF;  // any other value means the flash is protected
}  // namespace chip_configuration

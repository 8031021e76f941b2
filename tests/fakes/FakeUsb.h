#pragma once
// A simulated USB world behind the libusb 0.1 C API of <usb.h>. The programs link the real
// library; the tests link the static build of this fake instead (target velk3fakeusb), and
// end-to-end tests run the real velk3 with the shared build (target velk3fakeusb_preload) in
// LD_PRELOAD, configured from the environment (see ConfigureFromEnvironment below).
//
// Simulated devices:
//
// VELK unit (idVendor 0xAA00, idProduct 0x0001), two configurations:
//   configuration 1, card access: interface 0 / altsetting 0 with endpoint 0 = bulk IN 0x81 and
//     endpoint 1 = bulk OUT 0x02. Vendor requests (type 0x40, wValue 0, wIndex 0):
//       0xA0 + 8-byte sector command (first, count LE)  then bulk IN count*512, bulk IN status
//       0xA2 + 8-byte sector command                    then bulk OUT count*512, bulk IN status
//       0xA1, no data                                    then bulk IN 512 identify data, bulk IN status
//       0xA4 + 8-byte clock record                       (recorded, see Unit::clockRecords)
//     The status packet is 128 bytes: FF FF, the XOR of the data just moved, then zeros. A new
//     request abandons whatever the previous one left unfinished. A sector range past the card's
//     end is accepted by the request and stalls the data stage.
//   configuration 2, relay: interface 0 / altsetting 0 with endpoint 0 = bulk OUT 0x03.
//       0xA3 + 1 byte (the baud code, recorded; a data stage of another length is refused)
//       every bulk write to 0x03 is recorded whole (Unit::relayBlocks), whatever its length.
//     Card requests are refused in configuration 2, and 0xA3 in configuration 1 (-EPIPE).
//   String descriptors: 1 manufacturer, 2 product, 3 firmware version (iSerialNumber is 0).
//
// Bootloader (idVendor 0x03EB, idProduct 0x2FFF): one configuration, interface 0, no endpoints;
//   DFU class requests on interface 0 (a class request whose wIndex names no interface of the
//   active configuration fails with -ENOENT, as Linux usbfs answers):
//       DFU_DNLOAD (0x21, 1) with a command block: 03 00 start end (read), 01 00 start end +26
//         zeros + data + 16 zeros (program), 04 00 FF (chip erase), 04 hi lo value (configuration
//         byte), 05 hi lo (read configuration or identification byte)
//       DFU_UPLOAD (0xA1, 2): the answer of the preceding read command
//       DFU_GETSTATUS (0xA1, 3): 6 bytes: status, poll time-out (LE24), state, 0
//   After a program block or configuration write the state is dfuDNBUSY (4) for busyPolls status
//   reads, then dfuIDLE (2). A secured chip (SSB other than 0xFF) refuses reads and programming
//   (status errWRITE, uploads stall) until it is erased; an erase fills the flash with 0xFF and
//   sets SSB to 0xFF.
//
// Every control and bulk transfer is appended to the wire log; opening, configuring, claiming,
// releasing and closing are logged as host events in the same list.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fakeusb {

constexpr uint16_t kUnitVendor = 0xAA00;
constexpr uint16_t kUnitProduct = 0x0001;
constexpr uint16_t kBootloaderVendor = 0x03EB;
constexpr uint16_t kBootloaderProduct = 0x2FFF;
constexpr uint8_t kUnitInEndpoint = 0x81;
constexpr uint8_t kUnitOutEndpoint = 0x02;
constexpr uint8_t kRelayOutEndpoint = 0x03;
constexpr size_t kFlashSize = 0x10000;

// How the unit's device node may be opened: not at all (usb_open fails with EACCES), read-only
// (usb_open succeeds, every request then fails with -EPERM, as usbfs answers), or fully.
enum class Access { Granted, Denied, ReadOnly };

struct UnitOptions {
    int bus = 1;
    int devnum = 3;
    std::string manufacturer = "Varnholt Software";  // empty: iManufacturer is 0
    std::string product = "VELK";                    // empty: iProduct is 0
    std::optional<std::string> version = "1.20";      // string descriptor 3; nullopt: missing
    uint32_t sectorCount = 4096;       // of the in-memory card (ignored with cardPath)
    std::string cardPath;              // a card image file used in place, so changes persist
    std::string model = "FAKE CARD";   // identify data, padded with spaces as cards do
    std::string serial = "0000000001";
    std::optional<std::vector<uint8_t>> identifyData;  // 512 raw bytes instead of the above
    int configurations = 2;            // 1: a unit without its relay configuration
    Access access = Access::Granted;
    uint8_t interfaceNumber = 0;       // bInterfaceNumber of the interface of both configurations
    int transferDelayMs = 0;           // every control and bulk transfer takes this long (a slow unit)
    uint32_t keptSectors = UINT32_MAX; // writes to this sector and beyond are confirmed and lost
};

struct BootloaderOptions {
    int bus = 1;
    int devnum = 9;
    int configurations = 1;
    bool secured = false;              // SSB 0xFC instead of 0xFF
    // Identification bytes read with command 05; the defaults are the expected chip.
    std::map<uint16_t, uint8_t> identification = {
        {0x0000, 0x62}, {0x0130, 0x58}, {0x0131, 0xD7}, {0x0160, 0xEC}, {0x0161, 0xFF}};
    int busyPolls = 1;                 // status reads that answer dfuDNBUSY after a download
    int pollTimeoutMs = 0;             // bwPollTimeout of every status
    std::optional<uint8_t> stuckState; // when set, every status reports this state
    Access access = Access::Granted;
};

enum class Fault {
    RefuseControl,       // a control request fails with value (default -EPIPE)
    ShortBulk,           // a sector or identify data transfer moves value fewer bytes (default 1)
    FailBulk,            // a sector or identify data transfer fails with value (default -ETIMEDOUT)
    FailStatusRead,      // the 128-byte status read fails with value (default -ETIMEDOUT)
    WrongChecksum,       // the status packet's checksum byte is off by one bit
    NoStatusMarker,      // the status packet starts 00 FF (its checksum byte stays right)
    StoreWrongBytes,     // a sector write or program block lands with its first byte inverted;
                         // the status still confirms what was sent
    ShortGetStatus,      // DFU_GETSTATUS answers value bytes (default 5)
    ConfigDoesNotStick,  // a configuration byte write is acknowledged and ignored
    RefuseOpen,          // usb_open returns null
    RefuseSetConfiguration, RefuseClaim, RefuseAltSetting, RefuseRelease,  // return value (-EBUSY)
    FailStringRead,      // usb_get_string_simple fails with value (default -EPIPE)
};

// The fault hits the (skip+1)-th occasion from now (on device devnum, 0 = any) and the times-1
// occasions after it. Several faults of one kind hit one occasion each, in the order given.
void Inject(Fault fault, int skip = 0, int value = 0, int devnum = 0, int times = 1);
// After `transfers` more control or bulk transfers (string reads not counted) to the device (0 = any device: to all of
// them, counted together), it is gone: its transfers fail with -ENODEV and the next bus scan
// no longer lists it.
void UnplugAfterTransfers(int transfers, int devnum = 0);

struct WireEvent {
    enum class Kind { Control, BulkRead, BulkWrite, Host } kind = Kind::Host;
    int devnum = 0;
    int requestType = 0, request = 0, value = 0, index = 0;  // control
    int endpoint = 0;                                        // bulk
    int length = 0;                                          // as requested
    int timeout = 0;
    int result = 0;
    std::vector<uint8_t> data;  // sent, or received as far as transferred (when data is logged)
    std::string host;           // host events: "open", "set_configuration 1", "claim 0", ...
};

// "control 40 A0 0000 0000 len=8 t=5000 -> 8 [00 00 00 00 01 00 00 00]" (data up to 16 bytes),
// "bulk-in 81 len=512 t=5000 -> 512", "bulk-out 02 ...", "host open -> 0".
std::string Describe(const WireEvent& event);

const std::vector<WireEvent>& WireLog();
// Control and bulk transfers only.
std::vector<WireEvent> Transfers();
std::vector<std::string> DescribeTransfers();
void ClearWireLog();
// Keeping the bytes of every transfer costs memory; benchmarks turn it off (on after Reset).
void LogTransferData(bool keep);
// With false nothing is logged at all (on after Reset).
void LogTransfers(bool keep);
// Appends every event's description as a line to path as well ("" stops).
void MirrorWireLog(const std::string& path);

// Unplugs every device and forgets all faults, the log and the handles' state.
void Reset();
void AddUnit(const UnitOptions& options);
void AddBootloader(const BootloaderOptions& options);
void Unplug(int devnum);

struct UnitState {
    int activeConfiguration = 0;                     // bConfigurationValue, as of the call to Unit()
    std::vector<std::vector<uint8_t>> clockRecords;
    std::vector<int> baudCodes;                      // relay configuration
    std::vector<std::vector<uint8_t>> relayBlocks;   // relay configuration
};
UnitState& Unit(int devnum);
// The card of an in-memory unit (the file is the card of a file-backed one).
std::vector<uint8_t>& Card(int devnum);

struct BootloaderState {
    std::vector<uint8_t> flash = std::vector<uint8_t>(kFlashSize, 0xFF);
    std::map<uint16_t, uint8_t> configuration = {
        {0x0100, 0xFF}, {0x0101, 0xFF}, {0x0200, 0xFF}, {0x0105, 0xFF}};  // BSB, SBV, HSB, SSB
    int erases = 0;
};
BootloaderState& Bootloader(int devnum);

// usb_open calls not yet matched by usb_close, over all devices.
int OpenHandles();

// Sets up the world from the environment; the preloaded build calls it when it is loaded.
//   VELK3_FAKE_USB_UNITS       DEVNUM:CARD.img[:noversion|:denied|:readonly|:relayless|:bus=N|:keep=S]...,
//                              one unit per comma-separated item (bus 1 unless given; keep=S: a
//                              card that loses writes to sector S and beyond)
//   VELK3_FAKE_USB_BOOTLOADER  DEVNUM[:secured|:incompatible]
//   VELK3_FAKE_USB_UNPLUG_AFTER  N: every device is gone after N transfers
//   VELK3_FAKE_USB_WIRE_LOG    a file that receives the wire log, one event a line
void ConfigureFromEnvironment();

}  // namespace fakeusb

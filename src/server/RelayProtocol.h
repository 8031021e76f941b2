#pragma once
// The relay's fixed rendezvous with its client and its rules for one block. Client programs rely
// on every name, layout and request here: change none of them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace relay_objects {  // NAME + suffix; NAME is the unit's label in upper case
inline constexpr const char* kSharedMem = "_SHAREDMEM";
inline constexpr const char* kDataReadyEvent = "_DATAREADYEVENT";
inline constexpr const char* kDataDoneEvent = "_DATADONEEVENT";
inline constexpr const char* kReadyEvent = "_READYEVENT";
inline constexpr const char* kQuitEvent = "_QUITEVENT";
}  // namespace relay_objects

namespace list_objects {  // the listing's rendezvous
inline constexpr const char* kSharedMem = "VELK1_LIST_SHAREDMEM";
inline constexpr const char* kStartEvent = "VELK1_LIST_EVENT_START";
inline constexpr const char* kDoneEvent = "VELK1_LIST_EVENT_DONE";
// No further label is started once the list reaches this many bytes.
inline constexpr size_t kLabelLimit = 1024;
}  // namespace list_objects

namespace relay_block {
// Offset 0: L, signed 16-bit little-endian; then L data bytes. Sent from offset 0 padded to
// whole pieces.
inline constexpr size_t kLengthFieldSize = 2;
inline constexpr size_t kPieceSize = 128;
inline constexpr int32_t kMaxDataLength = 32765;  // so that L + 2 fits the signed field
}  // namespace relay_block

namespace relay_request {  // baud mode: vendor request, host to device, wValue 0, wIndex 0
inline constexpr int kRequestType = 0x40;
inline constexpr int kSetBaudMode = 0xA3;
inline constexpr int kTimeoutMs = 1000;
inline constexpr int kBulkTimeoutMs = 6000;
// The relay's configuration is the second one (index 1); the first is card access.
inline constexpr int kRelayConfigurationIndex = 1;
}  // namespace relay_request

// The one-byte code of a baud rate, or nothing for a rate the unit does not know.
std::optional<uint8_t> BaudCode(int32_t baudRate);

// Bytes to send for the block at the start of a data area of areaSize bytes: the length field and
// data padded up to whole 128-byte pieces. Throws CUsbDeviceException, naming the length, for a
// block that is negative, too long for the field, or would run past the end of the area: such a
// block is neither read nor sent.
size_t BlockTransferSize(const uint8_t* area, size_t areaSize);

// Writes each label and its zero byte from the start of a list area of areaSize bytes, stopping
// after the label that reaches list_objects::kLabelLimit, then the final zero byte. A label that
// would leave no room for the final zero byte is not written: the list is cut short there.
// Returns the bytes written; an area of 0 bytes gets nothing.
size_t WriteLabelList(uint8_t* area, size_t areaSize, const std::vector<std::string>& labels);

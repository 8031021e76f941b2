#pragma once
// Firmware image files (.img): the unit's raw flash content, encrypted with Crypto++'s legacy
// pass-phrase encryptor with MAC (DES-EDE2, SHA-1) under the pass phrase stored in the program.
#include <cstdint>
#include <string>
#include <vector>

inline constexpr size_t kFirmwareFlashSize = 65536;  // flash addresses 0x0000 to 0xFFFF

// The decrypted image. Any failure (file unreadable, wrong pass phrase, MAC check failed) and an
// image longer than the flash throw CUsbDeviceException "Invalid image file.".
std::vector<uint8_t> DecryptFirmwareImage(const std::string& path);

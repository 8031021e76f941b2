// A firmware image file may hold anything: decryption must fail cleanly or give at most the flash.
#include "FuzzSupport.h"
#include "firmware/FirmwareImage.h"
#include "platform/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const std::vector<uint8_t> image = DecryptFirmwareImage(WriteInputFile(data, size));
        if (image.size() > kFirmwareFlashSize) __builtin_trap();
    } catch (const CUsbDeviceException&) {
    }
    return 0;
}

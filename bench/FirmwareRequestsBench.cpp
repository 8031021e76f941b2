// Requests per firmware update of n bytes, counted from the fake's wire log over the whole flow
// (decryption, compatibility, programming, verification, configuration bytes): the program and
// read blocks must be exactly ceil(n / 3072) and ceil(n / 1024). Exits 1 when they are not.
#include <crypto++/default.h>
#include <crypto++/files.h>
#include <crypto++/filters.h>

#include <cstdio>
#include <vector>

#include "fakes/FakeUsb.h"
#include "firmware/FirmwareUpdate.h"
#include "platform/TempFiles.h"

namespace {

struct Counts {
    int programBlocks = 0;
    int readBlocks = 0;
    int requests = 0;
};

Counts UpdateAndCount(size_t n) {
    CTempFile image;
    const std::vector<uint8_t> plain(n, 0x5A);
    CryptoPP::StringSource(plain.data(), plain.size(), true,
                           new CryptoPP::LegacyEncryptorWithMAC("k27m1x9q4ahzp05wnsd63(&%!QWPLM",
                                                                new CryptoPP::FileSink(image.Path().c_str(), true)));
    fakeusb::Reset();
    fakeusb::AddBootloader({});
    try {
        UpdateFirmware(image.Path(), CJobControl(), [](int) {});
    } catch (const CUsbDeviceException& e) {
        std::fprintf(stderr, "update of %zu bytes failed: %s\n", n, e.Message());
    }
    Counts counts;
    for (const auto& event : fakeusb::Transfers()) {
        ++counts.requests;
        if (event.request != 1 || event.data.empty()) continue;  // DFU_DNLOAD command blocks only
        counts.programBlocks += event.data[0] == 0x01;
        counts.readBlocks += event.data[0] == 0x03;
    }
    fakeusb::Reset();
    return counts;
}

}  // namespace

int main() {
    bool exact = true;
    std::printf("%8s %16s %16s %14s\n", "n", "program blocks", "read blocks", "all requests");
    for (size_t n : {0, 1, 1024, 1025, 3072, 3073, 40000, 65535, 65536}) {
        const Counts counts = UpdateAndCount(n);
        const int program = int((n + 3071) / 3072), read = int((n + 1023) / 1024);
        exact &= counts.programBlocks == program && counts.readBlocks == read;
        std::printf("%8zu %9d (of %3d) %9d (of %3d) %14d\n", n, counts.programBlocks, program, counts.readBlocks, read,
                    counts.requests);
    }
    std::printf("%s\n", exact ? "exact: ceil(n/3072) program blocks, ceil(n/1024) read blocks" : "NOT EXACT");
    return exact ? 0 : 1;
}

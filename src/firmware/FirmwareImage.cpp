#include "firmware/FirmwareImage.h"

#include <crypto++/default.h>
#include <crypto++/filters.h>

#include "platform/Exceptions.h"
#include "platform/Translatable.h"
#include "platform/RegularFile.h"

namespace {

constexpr const char* kPassPhrase = "k27m1x9q4ahzp05wnsd63(&%!QWPLM";
constexpr const char* kInvalidImage = VELK3_TRANSLATE_NOOP("velk3core", "Invalid image file.");
// The encryption adds a salt, a key check, padding and a MAC to the flash's bytes: far less than this.
constexpr size_t kMostImageBytes = 2 * kFirmwareFlashSize;

// An array sink that counts every byte put, also those that no longer fit, so that an image
// longer than the flash is seen instead of being cut short.
class CCountingArraySink final : public CryptoPP::Bufferless<CryptoPP::Sink> {
public:
    CCountingArraySink(uint8_t* buffer, size_t size) : m_buffer(buffer), m_size(size) {}

    size_t Put2(const CryptoPP::byte* data, size_t length, int, bool) override {
        if (m_total < m_size && data) {
            const size_t fits = std::min(length, m_size - m_total);
            std::copy(data, data + fits, m_buffer + m_total);
        }
        m_total += length;
        return 0;
    }

    size_t Total() const { return m_total; }

private:
    uint8_t* m_buffer;
    size_t m_size;
    size_t m_total = 0;
};

}  // namespace

std::vector<uint8_t> DecryptFirmwareImage(const std::string& path) {
    std::vector<uint8_t> encrypted;
    std::string problem;
    if (!ReadRegularFile(path, kMostImageBytes, encrypted, problem)) throw CUsbDeviceException(kInvalidImage);
    std::vector<uint8_t> image(kFirmwareFlashSize);
    size_t length = 0;
    try {
        auto* sink = new CCountingArraySink(image.data(), image.size());
        auto* decryptor = new CryptoPP::LegacyDecryptorWithMAC(kPassPhrase, sink, true);
        CryptoPP::ArraySource source(encrypted.data(), encrypted.size(), true, decryptor);  // owns the chain
        length = sink->Total();
    } catch (...) {
        throw CUsbDeviceException(kInvalidImage);
    }
    if (length > kFirmwareFlashSize) throw CUsbDeviceException(kInvalidImage);
    image.resize(length);
    return image;
}

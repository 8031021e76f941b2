// The simulated VELK unit: card access in configuration 1, the relay in configuration 2.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>

#include "fakes/FakeUsbWorld.h"

namespace fakeusb {
namespace {

constexpr int kVendorOut = 0x40;
constexpr int kSector = 512;
constexpr int kStatusLength = 128;
constexpr int kCardConfiguration = 1;
constexpr int kRelayConfiguration = 2;
constexpr int kReadSectors = 0xA0, kIdentify = 0xA1, kWriteSectors = 0xA2, kBaudMode = 0xA3, kSetClock = 0xA4;

// Word-wise, so that benchmarks of the host side are not dominated by the simulated unit.
uint8_t Xor(const uint8_t* data, size_t length) {
    uint64_t wide = 0;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        wide ^= word;
    }
    uint8_t sum = 0;
    for (int b = 0; b < 8; ++b) sum ^= uint8_t(wide >> (8 * b));
    for (; i < length; ++i) sum ^= data[i];
    return sum;
}

// ATA text: two characters a word, the first in the high byte, padded with spaces.
void PutAtaText(uint8_t* identify, int firstWord, int words, const std::string& text) {
    std::string padded = text.substr(0, size_t(words) * 2);
    padded.resize(size_t(words) * 2, ' ');
    for (int w = 0; w < words; ++w) {
        identify[2 * (firstWord + w)] = uint8_t(padded[size_t(2 * w + 1)]);
        identify[2 * (firstWord + w) + 1] = uint8_t(padded[size_t(2 * w)]);
    }
}

class SimUnit final : public SimDevice {
public:
    explicit SimUnit(const UnitOptions& options);
    ~SimUnit() override {
        if (m_cardFile >= 0) ::close(m_cardFile);
    }

    int Control(int type, int request, int value, int index, uint8_t* data, int size) override;
    int BulkRead(int endpoint, uint8_t* data, int size) override;
    int BulkWrite(int endpoint, const uint8_t* data, int size) override;
    std::optional<std::string> String(int index) const override;

    UnitState state;
    std::vector<uint8_t> card;

private:
    enum class Stage { Idle, DataIn, DataOut, Status, Stalled };

    int CardRequest(int request, uint8_t* data, int size);
    bool InRange(uint32_t first, uint32_t count) const { return uint64_t(first) + count <= m_sectorCount; }
    void ReadCard(uint32_t first, uint32_t count, uint8_t* out);
    void WriteCard(uint32_t first, uint32_t count, const uint8_t* in);
    int SendStatus(uint8_t* data, int size);

    UnitOptions m_options;
    int m_cardFile = -1;
    uint32_t m_sectorCount = 0;
    std::vector<uint8_t> m_identify;
    Stage m_stage = Stage::Idle;
    std::vector<uint8_t> m_data;  // the data stage: to send, or received so far
    size_t m_moved = 0;
    uint32_t m_first = 0, m_count = 0;
    uint8_t m_checksum = 0;
};

SimUnit::SimUnit(const UnitOptions& options)
    : SimDevice(options.bus, options.devnum, kUnitVendor, kUnitProduct, options.access), m_options(options) {
    transferDelayMs = options.transferDelayMs;
    if (!options.cardPath.empty()) {
        m_cardFile = ::open(options.cardPath.c_str(), O_RDWR | O_CLOEXEC);
        struct stat st {};
        if (m_cardFile < 0 || ::fstat(m_cardFile, &st) != 0)
            throw std::runtime_error("fake unit: cannot open card image " + options.cardPath);
        m_sectorCount = uint32_t(st.st_size / kSector);
    } else {
        m_sectorCount = options.sectorCount;
        card.assign(size_t(m_sectorCount) * kSector, 0);
    }
    if (options.identifyData) {
        m_identify = *options.identifyData;
        m_identify.resize(kSector);
    } else {
        m_identify.assign(kSector, 0);
        PutAtaText(m_identify.data(), 10, 10, options.serial);
        PutAtaText(m_identify.data(), 27, 20, options.model);
        m_identify[120] = uint8_t(m_sectorCount);
        m_identify[121] = uint8_t(m_sectorCount >> 8);
        m_identify[122] = uint8_t(m_sectorCount >> 16);
        m_identify[123] = uint8_t(m_sectorCount >> 24);
    }
    std::vector<std::vector<uint8_t>> endpoints = {{kUnitInEndpoint, kUnitOutEndpoint}};
    if (options.configurations >= 2) endpoints.push_back({kRelayOutEndpoint});
    descriptors.Build(endpoints, options.interfaceNumber);
    record.config = descriptors.configDescriptors.data();
    record.descriptor.iManufacturer = options.manufacturer.empty() ? 0 : 1;
    record.descriptor.iProduct = options.product.empty() ? 0 : 2;
    record.descriptor.iSerialNumber = 0;
    record.descriptor.bNumConfigurations = uint8_t(endpoints.size());
}

std::optional<std::string> SimUnit::String(int index) const {
    if (index == 1 && !m_options.manufacturer.empty()) return m_options.manufacturer;
    if (index == 2 && !m_options.product.empty()) return m_options.product;
    if (index == 3) return m_options.version;
    return std::nullopt;
}

void SimUnit::ReadCard(uint32_t first, uint32_t count, uint8_t* out) {
    const size_t length = size_t(count) * kSector;
    const off_t offset = off_t(first) * kSector;
    if (m_cardFile >= 0) {
        if (::pread(m_cardFile, out, length, offset) != ssize_t(length)) std::memset(out, 0, length);
    } else {
        std::memcpy(out, card.data() + offset, length);
    }
}

void SimUnit::WriteCard(uint32_t first, uint32_t count, const uint8_t* in) {
    // A counterfeit card confirms writes past what it really holds and keeps none of them.
    if (first >= m_options.keptSectors) return;
    count = std::min(count, m_options.keptSectors - first);
    const size_t length = size_t(count) * kSector;
    const off_t offset = off_t(first) * kSector;
    if (m_cardFile >= 0) {
        if (::pwrite(m_cardFile, in, length, offset) != ssize_t(length)) m_stage = Stage::Stalled;
    } else {
        std::memcpy(card.data() + offset, in, length);
    }
}

int SimUnit::Control(int type, int request, int, int, uint8_t* data, int size) {
    if (type != kVendorOut) return -EPIPE;
    m_stage = Stage::Idle;  // a new request abandons what the last one left
    if (activeConfiguration == kCardConfiguration) return CardRequest(request, data, size);
    if (activeConfiguration == kRelayConfiguration && request == kBaudMode && size == 1) {
        state.baudCodes.push_back(data[0]);
        return 1;
    }
    return -EPIPE;
}

int SimUnit::CardRequest(int request, uint8_t* data, int size) {
    if (request == kIdentify && size == 0) {
        m_data = m_identify;
        m_moved = 0;
        m_stage = Stage::DataIn;
        return 0;
    }
    if (request == kSetClock && size == 8) {
        state.clockRecords.emplace_back(data, data + size);
        return 8;
    }
    if ((request != kReadSectors && request != kWriteSectors) || size != 8) return -EPIPE;
    m_first = uint32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24);
    m_count = uint32_t(data[4] | data[5] << 8 | data[6] << 16 | uint32_t(data[7]) << 24);
    m_moved = 0;
    if (!InRange(m_first, m_count)) {
        m_stage = Stage::Stalled;
        return 8;
    }
    if (request == kReadSectors) {
        m_data.resize(size_t(m_count) * kSector);
        ReadCard(m_first, m_count, m_data.data());
        m_stage = Stage::DataIn;
    } else {
        m_data.resize(size_t(m_count) * kSector);
        m_stage = Stage::DataOut;
    }
    return 8;
}

int SimUnit::SendStatus(uint8_t* data, int size) {
    m_stage = Stage::Idle;
    int failure = 0;
    if (TakeFault(Fault::FailStatusRead, *this, failure, -ETIMEDOUT)) return failure;
    uint8_t packet[kStatusLength] = {0xFF, 0xFF, m_checksum};
    if (TakeFault(Fault::WrongChecksum, *this)) packet[2] ^= 0x01;
    if (TakeFault(Fault::NoStatusMarker, *this)) packet[0] = 0x00;
    const int length = std::min(size, kStatusLength);
    std::memcpy(data, packet, size_t(length));
    return length;
}

int SimUnit::BulkRead(int endpoint, uint8_t* data, int size) {
    if (endpoint != kUnitInEndpoint) return -EINVAL;
    if (m_stage == Stage::Status) return SendStatus(data, size);
    if (m_stage == Stage::Stalled) return -EPIPE;
    if (m_stage != Stage::DataIn) return -ETIMEDOUT;
    int failure = 0;
    if (TakeFault(Fault::FailBulk, *this, failure, -ETIMEDOUT)) {
        m_stage = Stage::Idle;
        return failure;
    }
    int length = int(std::min(size_t(size), m_data.size() - m_moved));
    int shortBy = 0;
    if (TakeFault(Fault::ShortBulk, *this, shortBy, 1)) length = std::max(0, length - shortBy);
    std::memcpy(data, m_data.data() + m_moved, size_t(length));
    m_moved += size_t(length);
    m_checksum = Xor(m_data.data(), m_data.size());
    m_stage = Stage::Status;
    return length;
}

int SimUnit::BulkWrite(int endpoint, const uint8_t* data, int size) {
    if (activeConfiguration == kRelayConfiguration && endpoint == kRelayOutEndpoint) {
        state.relayBlocks.emplace_back(data, data + size);
        return size;
    }
    if (endpoint != kUnitOutEndpoint) return -EINVAL;
    if (m_stage == Stage::Stalled) return -EPIPE;
    if (m_stage != Stage::DataOut) return -ETIMEDOUT;
    int failure = 0;
    if (TakeFault(Fault::FailBulk, *this, failure, -ETIMEDOUT)) {
        m_stage = Stage::Idle;
        return failure;
    }
    int length = int(std::min(size_t(size), m_data.size() - m_moved));
    int shortBy = 0;
    if (TakeFault(Fault::ShortBulk, *this, shortBy, 1)) length = std::max(0, length - shortBy);
    std::memcpy(m_data.data() + m_moved, data, size_t(length));
    m_moved += size_t(length);
    m_checksum = Xor(m_data.data(), m_moved);
    m_stage = Stage::Status;
    if (m_moved == m_data.size()) {
        const bool corrupt = !m_data.empty() && TakeFault(Fault::StoreWrongBytes, *this);
        if (corrupt) m_data[0] ^= 0xFF;  // the checksum above is of what was sent
        WriteCard(m_first, m_count, m_data.data());
        if (m_stage == Stage::Stalled) return -EIO;
    }
    return length;
}

SimUnit& FindUnit(int devnum) {
    for (auto& device : Devices())
        if (auto* unit = dynamic_cast<SimUnit*>(device.get()); unit && unit->devnum == devnum) return *unit;
    throw std::out_of_range("fake: no unit with device number " + std::to_string(devnum));
}

}  // namespace

std::unique_ptr<SimDevice> MakeUnit(const UnitOptions& options) { return std::make_unique<SimUnit>(options); }

UnitState& Unit(int devnum) {
    std::lock_guard lock(WorldLock());
    SimUnit& unit = FindUnit(devnum);
    unit.state.activeConfiguration = unit.activeConfiguration;
    return unit.state;
}

std::vector<uint8_t>& Card(int devnum) {
    std::lock_guard lock(WorldLock());
    return FindUnit(devnum).card;
}

}  // namespace fakeusb

// Reading a card with 65533 routines and 1000 schedules: how many device calls it takes, and its
// time against dd reading the same table sectors. Both run as a process of their own.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "BenchSupport.h"
#include "devices/ImageFile.h"
#include "disk/VelkDisk.h"
#include "platform/TempFiles.h"

namespace {

constexpr int kTracks = 65533;
constexpr int kSchedules = 1000;
constexpr int kRuns = 7;

// Counts the calls that reach the card.
class CCountingDevice final : public CSectorDevice {
public:
    explicit CCountingDevice(CSectorDevice& inner) : m_inner(inner) {}
    uint32_t GetSectorCount() override { return m_inner.GetSectorCount(); }
    std::string GetName() override { return m_inner.GetName(); }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override {
        ++calls;
        m_inner.readSector(first, count, buffer);
    }
    void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) override {
        ++calls;
        m_inner.writeSector(first, count, buffer);
    }
    void Open(const DeviceEntry& entry) override { m_inner.Open(entry); }
    void Close() override { m_inner.Close(); }
    bool Identify() override { return true; }
    void Flush() override { m_inner.Flush(); }
    int calls = 0;

private:
    CSectorDevice& m_inner;
};

void MakeCard(const std::string& path) {
    CImageFile::Create(path, kTracks + 1 + kTracks / 8 + 1 + kSchedules + 16);
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    disk.Read();
    for (uint32_t i = 0; i < kTracks; ++i) {
        TrackEntry t;
        t.SetTitle("Routine " + std::to_string(i));
        t.audioStart = 1 + i;
        t.dataStart = 1 + i;
        t.endSector = 2 + i;
        disk.AppendTrack(t);
    }
    std::vector<ScheduleEntry> schedules(kSchedules);
    for (int j = 0; j < kSchedules; ++j) schedules[size_t(j)].trackIndex = uint16_t(j * 7);
    disk.SetSchedules(schedules);
    disk.WriteTable();
    card.Close();
}

int ReadCard(const std::string& path) {
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CCountingDevice counting(card);
    CVelkDisk disk(counting);
    disk.Read();
    card.Close();
    if (!disk.IsVelkDisk() || disk.GetTracks().size() != kTracks || disk.GetSchedules().size() != kSchedules)
        throw std::runtime_error("the card did not read back");
    return counting.calls;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) return ReadCard(argv[2]) > 0 ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--make") == 0) return MakeCard(argv[2]), 0;

    const CTempFile image;
    std::filesystem::remove(image.Path());
    MakeCard(image.Path());
    const int calls = ReadCard(image.Path());
    const int bound = int(std::ceil(kTracks / 8.0 / 128.0) + std::ceil(kSchedules / 128.0) + 1);
    std::printf("Read of %d routines and %d schedules: %d device calls (bound %d)%s\n", kTracks, kSchedules, calls,
                bound, calls <= bound ? "" : "  ** over bound **");

    const uint32_t tableStart = kTracks + 1;
    const uint32_t tableSectors = (kTracks + 7) / 8 + kSchedules;
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    const double ours = MedianSeconds(kRuns, [&] { TimeProcess({self, "--read", image.Path()}); });
    const double dd = MedianSeconds(kRuns, [&] {
        TimeProcess({"dd", "if=" + image.Path(), "of=/dev/null", "bs=64k", "iflag=skip_bytes,count_bytes",
                     "skip=" + std::to_string(uint64_t(tableStart) * 512),
                     "count=" + std::to_string(uint64_t(tableSectors) * 512), "status=none"});
    });
    ReportRatio("Read (own process) vs dd of the same sectors", ours, dd, 3.0);
    return calls <= bound ? 0 : 1;
}

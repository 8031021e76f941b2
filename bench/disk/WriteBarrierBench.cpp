// What the flushes around every header cost: a 64 MiB WriteStream followed by its table write, and
// the table write of a card holding 100 routines, each on a card image and closed, against the same work on a
// device whose Flush does nothing (the kernel then writes everything back only at Close).
#include <algorithm>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <stdexcept>

#include "BenchSupport.h"
#include "devices/ImageFile.h"
#include "disk/VelkDisk.h"
#include "platform/TempFiles.h"

namespace {

constexpr size_t kStreamBytes = 64u << 20;
constexpr uint32_t kRoutines = 100;
constexpr uint32_t kRoutineSectors = 16;
constexpr int kStreamRuns = 5;
constexpr int kTableRuns = 15;

// The card image without its barriers: every call but Flush is passed on.
class CNoBarrierDevice final : public CSectorDevice {
public:
    explicit CNoBarrierDevice(CSectorDevice& inner) : m_inner(inner) {}
    uint32_t GetSectorCount() override { return m_inner.GetSectorCount(); }
    std::string GetName() override { return m_inner.GetName(); }
    void readSector(uint32_t first, uint32_t count, uint8_t* buffer) override { m_inner.readSector(first, count, buffer); }
    void writeSector(uint32_t first, uint32_t count, const uint8_t* buffer) override {
        m_inner.writeSector(first, count, buffer);
    }
    void Open(const DeviceEntry& entry) override { m_inner.Open(entry); }
    void Close() override { m_inner.Close(); }
    bool Identify() override { return m_inner.Identify(); }
    void Flush() override {}

private:
    CSectorDevice& m_inner;
};

// Opens the image, runs work on a disk over it (with or without barriers) and closes it.
template <typename Work>
void OnCard(const std::string& image, bool barriers, Work work) {
    CImageFile card;
    card.Open(CImageFile::EntryFor(image));
    CNoBarrierDevice bare(card);
    CVelkDisk disk(barriers ? static_cast<CSectorDevice&>(card) : bare);
    disk.Read();
    work(disk);
    card.Close();
}

void StoreStreamAndTable(const std::string& source, const std::string& image, bool barriers) {
    OnCard(image, barriers, [&](CVelkDisk& disk) {
        std::FILE* file = std::fopen(source.c_str(), "rb");
        const bool stored = disk.WriteStream(file, disk.NextFreeSector(), kStreamBytes, AudioPaddingBlock());
        std::fclose(file);
        if (!stored) throw std::runtime_error("short stream");
        disk.WriteTable();
    });
}

// A card of 100 routines, behind which their table is then rewritten.
void PutRoutines(const std::string& image) {
    OnCard(image, true, [](CVelkDisk& disk) {
        disk.Format();
        for (uint32_t i = 0; i < kRoutines; ++i) {
            TrackEntry t;
            t.SetTitle("Routine " + std::to_string(i));
            t.audioStart = 1 + i * kRoutineSectors;
            t.dataStart = t.audioStart + kRoutineSectors / 2;
            t.endSector = t.audioStart + kRoutineSectors;
            disk.AppendTrack(t);
        }
        disk.WriteTable();
    });
}

void RewriteRoutineTable(const std::string& image, bool barriers) {
    OnCard(image, barriers, [](CVelkDisk& disk) { disk.WriteTable(); });
}

// Medians of ours and the baseline, run in turn so that a change of load hits both alike.
std::pair<double, double> MedianPair(int runs, const std::function<void(bool barriers)>& work) {
    std::vector<double> ours, bare;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(MedianSeconds(1, [&] { work(true); }));
        bare.push_back(MedianSeconds(1, [&] { work(false); }));
    }
    std::sort(ours.begin(), ours.end());
    std::sort(bare.begin(), bare.end());
    return {ours[ours.size() / 2], bare[bare.size() / 2]};
}

}  // namespace

int main() {
    const CTempFile source, image;
    WriteRandomFile(source.Path(), kStreamBytes);
    std::filesystem::remove(image.Path());
    CImageFile::Create(image.Path(), kStreamBytes / 512 + kRoutines * kRoutineSectors + 64);
    OnCard(image.Path(), true, [](CVelkDisk& disk) { disk.Format(); });

    StoreStreamAndTable(source.Path(), image.Path(), true);  // warm-up: page cache and file blocks
    const auto [streamOurs, streamBare] =
        MedianPair(kStreamRuns, [&](bool barriers) { StoreStreamAndTable(source.Path(), image.Path(), barriers); });
    PutRoutines(image.Path());
    const auto [tableOurs, tableBare] =
        MedianPair(kTableRuns, [&](bool barriers) { RewriteRoutineTable(image.Path(), barriers); });
    const double stream = ReportRatio("WriteStream 64 MiB + tables, barriers vs none", streamOurs, streamBare, 1.2);
    const double table = ReportRatio("100-routine table write, barriers vs none", tableOurs, tableBare, 3.0);
    return stream > 0 && table > 0 ? 0 : 1;
}

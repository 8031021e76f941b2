// The cost of reading back what an add wrote: importing a 32 MiB MP3 routine onto a fresh card
// image and closing it, verified against the same add unverified, runs taken in turn.
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "BenchSupport.h"
#include "devices/ImageFile.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "platform/StdioFile.h"
#include "platform/TempFiles.h"

namespace {

constexpr size_t kAudioBytes = 32u << 20;
constexpr uint32_t kDataBytes = 64u << 10;
constexpr uint64_t kCardSectors = (kAudioBytes + kDataBytes) / 512 + 4096;
constexpr size_t kFrameBytes = 417;  // MPEG-1 Layer III, 128 kbit/s, 44100 Hz, unpadded
constexpr int kRuns = 7;
constexpr double kTarget = 1.3;

// A routine whose audio the unit plays as it is: only the card's writes and reads are measured.
void WriteMp3Routine(const std::string& path) {
    std::vector<uint8_t> audio(kAudioBytes / kFrameBytes * kFrameBytes);
    for (size_t at = 0; at < audio.size(); ++at) audio[at] = uint8_t(at * 7 + at / 4096);
    for (size_t at = 0; at < audio.size(); at += kFrameBytes) {
        const uint8_t head[] = {0xFF, 0xFB, 0x90, 0x44};
        std::copy(std::begin(head), std::end(head), audio.begin() + long(at));
    }
    RoutineHeader header;
    header.SetTitle("Verify bench");
    header.audioFormat = RoutineHeader::kMp3Format;
    header.audioBytes = uint32_t(audio.size());
    header.dataBytes = kDataBytes;
    uint8_t encoded[RoutineHeader::kSize];
    header.Encode(encoded);
    const std::vector<uint8_t> data(kDataBytes, 0x5A);
    StdioFile file = OpenStdioFile(path, "wb");
    if (!file || std::fwrite(encoded, sizeof encoded, 1, file.get()) != 1 ||
        std::fwrite(audio.data(), audio.size(), 1, file.get()) != 1 ||
        std::fwrite(data.data(), data.size(), 1, file.get()) != 1)
        throw std::runtime_error("cannot write " + path);
}

double TimedAdd(const std::string& routine, const std::string& image, bool verify) {
    std::filesystem::remove(image);
    CImageFile::Create(image, kCardSectors);
    return MedianSeconds(1, [&] {
        CImageFile card;
        card.Open(CImageFile::EntryFor(image));
        {
            CVelkDisk disk(card);
            disk.SetVerify(verify);
            disk.Read();
            disk.ImportRoutineFile(routine, true);
        }
        card.Close();
    });
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    const CTempFile routine, image;
    WriteMp3Routine(routine.Path());
    TimedAdd(routine.Path(), image.Path(), true);  // warm-up: page cache, file blocks
    std::vector<double> verified, unverified;
    for (int i = 0; i < kRuns; ++i) {
        verified.push_back(TimedAdd(routine.Path(), image.Path(), true));
        unverified.push_back(TimedAdd(routine.Path(), image.Path(), false));
    }
    const double ratio =
        ReportRatio("add of a 32 MiB MP3 routine to a card image, verified vs unverified", Median(verified),
                    Median(unverified), kTarget);
    return ratio > 0 ? 0 : 1;
}

// Storing a 64 MiB stream on a card image with WriteStream, flushed to the disk, against dd
// copying the same bytes in 64 KiB blocks to another file and flushing it.
#include <cstdio>
#include <filesystem>

#include "BenchSupport.h"
#include "devices/ImageFile.h"
#include "disk/VelkDisk.h"
#include "platform/TempFiles.h"

namespace {

constexpr size_t kStreamBytes = 64u << 20;
constexpr int kRuns = 5;

void StoreStream(const std::string& source, const std::string& image) {
    CImageFile card;
    card.Open(CImageFile::EntryFor(image));
    CVelkDisk disk(card);
    std::FILE* file = std::fopen(source.c_str(), "rb");
    if (!disk.WriteStream(file, 1, kStreamBytes, AudioPaddingBlock())) throw std::runtime_error("short stream");
    std::fclose(file);
    card.Close();
}

}  // namespace

int main() {
    const CTempFile source, image, copy;
    WriteRandomFile(source.Path(), kStreamBytes);
    std::filesystem::remove(image.Path());
    CImageFile::Create(image.Path(), kStreamBytes / 512 + 1);
    WriteRandomFile(copy.Path(), kStreamBytes);

    StoreStream(source.Path(), image.Path());  // warm-up: page cache and file blocks
    const double ours = MedianSeconds(kRuns, [&] { StoreStream(source.Path(), image.Path()); });
    const double dd = MedianSeconds(kRuns, [&] {
        TimeProcess({"dd", "if=" + source.Path(), "of=" + copy.Path(), "bs=64k", "conv=notrunc,fdatasync",
                     "status=none"});
    });
    const double ratio = ReportRatio("WriteStream 64 MiB vs dd bs=64k", ours, dd, 1.5);
    return ratio > 0 ? 0 : 1;
}

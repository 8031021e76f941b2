#include "disk/CardImageJudge.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "devices/ImageFile.h"
#include "devices/SectorDevice.h"
#include "disk/VelkDisk.h"
#include "platform/RegularFile.h"

namespace {

constexpr const char* kRoutineSuffix = ".velk";

bool HasRoutineSuffix(const std::string& path) {
    const size_t length = std::strlen(kRoutineSuffix);
    return path.size() >= length && strncasecmp(path.c_str() + path.size() - length, kRoutineSuffix, length) == 0;
}

CardImageJudgement Unreadable(std::string problem) { return {CardImageKind::Unreadable, std::move(problem)}; }


// Where the next data at or after offset starts, and where it ends; a file system that cannot
// tell holes (EINVAL) has data everywhere. false past the last data.
bool NextData(int fd, uint64_t offset, uint64_t size, uint64_t& begin, uint64_t& end) {
    const off_t data = ::lseek(fd, off_t(offset), SEEK_DATA);
    if (data < 0) {
        if (errno != EINVAL) return false;  // ENXIO: only holes from here
        begin = offset;
        end = size;
        return offset < size;
    }
    const off_t hole = ::lseek(fd, data, SEEK_HOLE);
    begin = uint64_t(data);
    end = hole < 0 ? size : std::min(size, uint64_t(hole));
    return begin < end;
}

// Reads the file's data regions for zeros within the budget; false at the first other byte or
// when there is more data than the budget, or a read fails.
bool ZerosAsFarAsChecked(const CFileDescriptor& file, uint64_t size) {
    std::vector<uint8_t> buffer(kSectorSize * 128);
    uint64_t budget = kZeroCheckBytes, offset = 0, begin = 0, end = 0;
    while (NextData(file.Get(), offset, size, begin, end)) {
        for (offset = begin; offset < end; offset += buffer.size()) {
            const size_t length = size_t(std::min<uint64_t>(buffer.size(), end - offset));
            if (length > budget || !file.ReadAt(offset, buffer.data(), length)) return false;
            budget -= length;
            if (std::any_of(buffer.begin(), buffer.begin() + ptrdiff_t(length), [](uint8_t b) { return b != 0; }))
                return false;
        }
        offset = end;
    }
    return true;
}

// What an opened regular file of size bytes holds; Unreadable kinds come with their problem apart.
CardImageKind KindOf(const CFileDescriptor& file, uint64_t size) {
    if (size == 0) return CardImageKind::Blank;
    if (size % kSectorSize != 0) return CardImageKind::NotSectors;
    uint8_t first[kSectorSize];
    if (!file.ReadAt(0, first, kSectorSize)) return CardImageKind::Unreadable;
    if (IsVelkHeader(first)) return CardImageKind::VelkDisk;
    return ZerosAsFarAsChecked(file, size) ? CardImageKind::Blank : CardImageKind::Foreign;
}

}  // namespace

CardImageJudgement JudgeCardImage(const std::string& path, bool followLinks) {
    if (HasRoutineSuffix(path)) return {CardImageKind::Routine, {}};
    // A dropped node may be a pipe or a serial port: looked at before it is opened.
    RegularFileRules rules;
    rules.followLinks = followLinks;
    const OpenedFile opened = OpenRegularFile(path, rules);
    if (!opened.IsOpen()) return Unreadable(opened.problem);
    const CardImageKind kind = KindOf(opened.file, uint64_t(opened.info.st_size));
    if (kind == CardImageKind::Unreadable) return Unreadable(std::strerror(errno ? errno : EIO));
    return {kind, {}, FileIdentity::Of(opened.file.Get())};
}

std::optional<DeviceEntry> RelistImage(const DeviceId& image) {
    const FileIdentity named = FileIdentity::At(image.name, false);
    if (!named.Known()) return std::nullopt;
    DeviceEntry entry = CImageFile::EntryFor(image.name);
    entry.id = image;
    if (named == image.file) return entry;
    const CardImageJudgement judged = JudgeCardImage(image.name, false);
    if (judged.kind != CardImageKind::VelkDisk && judged.kind != CardImageKind::Blank) return std::nullopt;
    entry.id.file = judged.file;
    return entry;
}

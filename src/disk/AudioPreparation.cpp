// The MP3 bytes of a routine: copied when the unit plays them as they are, converted otherwise.
#include <algorithm>
#include <vector>

#include "audio/AudioDecoder.h"
#include "audio/Mp3Encoder.h"
#include "audio/Mp3Frames.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "platform/TempFiles.h"
#include "platform/TextFormat.h"

namespace {

constexpr uint32_t kSamplesPerPass = 1024;
constexpr uint32_t kPassesPerReport = 64;  // about 1.5 s of audio: a stop is honoured within a moment
constexpr uint32_t kCopyPiece = 4096;

void CopyToTempInput(std::FILE* file, uint32_t count, const std::string& path) {
    StdioFile input = OpenStdioFile(path, "w+b");
    if (!input) throw CFileAccessException(StringPrintf("Could not open file %s", path.c_str()));
    std::vector<char> piece(kCopyPiece);
    while (count > 0) {
        const size_t size = std::min(count, kCopyPiece);
        if (std::fread(piece.data(), 1, size, file) != size) throw CFileAccessException("Error reading file");
        if (std::fwrite(piece.data(), 1, size, input.get()) != size) throw CFileAccessException("Unable to write file");
        count -= uint32_t(size);
    }
    if (std::fclose(input.release()) != 0) throw CFileAccessException("Unable to write file");
}

}  // namespace

void CVelkDisk::PrepareAudio(const RoutineHeader& header, std::FILE* file, uint32_t& audioBytes, StdioFile& audioStream) {
    audioBytes = 0;
    audioStream.reset();
    if (header.audioBytes == 0) return;
    if (header.audioFormat == RoutineHeader::kMp3Format) {
        const off_t start = ::ftello(file);
        const bool playable = ReadMp3Frames(file, header.audioBytes, nullptr, nullptr);
        if (::fseeko(file, start, SEEK_SET) != 0) throw CFileAccessException("Error reading file");
        if (playable) {
            const std::string path = CreateTempFile("ylm");
            AddTempFile(path);
            StdioFile copy = OpenStdioFile(path, "r+b");
            if (!copy) throw CFileAccessException(StringPrintf("Could not open mp3 file %s", path.c_str()));
            uint32_t copied = 0;
            if (!ReadMp3Frames(file, header.audioBytes, copy.get(), &copied))
                throw CFileAccessException("Invalid MP3 file format");
            if (std::fflush(copy.get()) != 0) throw CFileAccessException("Unable to write file");
            std::rewind(copy.get());
            audioBytes = copied;
            audioStream = std::move(copy);
            return;
        }
    }
    ConvertAudio(header, file, audioBytes, audioStream);
}

void CVelkDisk::ConvertAudio(const RoutineHeader& header, std::FILE* file, uint32_t& audioBytes,
                             StdioFile& audioStream) {
    const std::string inputPath = CreateTempFile("ylm");
    AddTempFile(inputPath);
    CopyToTempInput(file, header.audioBytes, inputPath);

    CAudioDecoder first, second;
    if (!first.Open(inputPath, header.firstChannel) || !second.Open(inputPath, header.secondChannel))
        throw CFileAccessException("Unable to open temporary input audio file");
    const std::string outputPath = CreateTempFile("ylm");
    AddTempFile(outputPath);
    CMp3Encoder encoder;
    if (!encoder.Create(outputPath)) throw CFileAccessException("Unable to create temporary output audio file");

    m_job->Begin(JobPhase::Converting, ProgressUnit::Samples, first.GetLength());

    std::vector<int32_t> left(kSamplesPerPass), right(kSamplesPerPass);
    std::vector<uint32_t> frames(kSamplesPerPass);
    for (uint64_t pass = 0, samples = 0;; ++pass) {
        const uint32_t m = std::min(first.Read(left.data(), kSamplesPerPass), second.Read(right.data(), kSamplesPerPass));
        for (uint32_t j = 0; j < m; ++j) frames[j] = uint16_t(left[j]) | (uint32_t(uint16_t(right[j])) << 16);
        encoder.Encode(frames.data(), m);
        samples += m;
        if (pass % kPassesPerReport == 0) {
            m_job->ThrowIfStopped();
            m_job->Progress(samples);
        }
        if (m < kSamplesPerPass) break;
    }
    // The encoder has shown what went wrong; a stream with lost chunks or a missing end is not
    // stored as if it were the routine's audio.
    const bool finished = encoder.Close();
    first.Close();
    second.Close();
    if (!finished || encoder.Failed()) throw CFileAccessException("Unable to create temporary output audio file");

    StdioFile converted = OpenStdioFile(outputPath, "rb");
    if (!converted) throw CFileAccessException(StringPrintf("Could not open converted mp3 file %s", outputPath.c_str()));
    ::fseeko(converted.get(), 0, SEEK_END);
    const off_t length = ::ftello(converted.get());
    std::rewind(converted.get());
    if (length < 0 || uint64_t(length) > UINT32_MAX) throw CUsbDeviceException("The card is full");
    audioBytes = uint32_t(length);
    audioStream = std::move(converted);
}

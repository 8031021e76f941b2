// The MP3 bytes of a routine: copied when the unit plays them as they are, converted otherwise.
#include <algorithm>
#include <vector>

#include "audio/AudioDecoder.h"
#include "audio/Mp3Encoder.h"
#include "audio/Mp3Frames.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "platform/Exceptions.h"
#include "platform/Translatable.h"
#include "platform/RegularFile.h"
#include "platform/TempFiles.h"
#include "platform/TextFormat.h"

namespace {

constexpr uint32_t kFramesPerPass = 4096;
constexpr uint32_t kPassesPerReport = 16;  // about 1.5 s of audio: a stop is honoured within a moment
constexpr const char* kCannotDecode = VELK3_TRANSLATE_NOOP("velk3core", "Unable to open temporary input audio file");
constexpr const char* kCannotEncode = VELK3_TRANSLATE_NOOP("velk3core", "Unable to create temporary output audio file");
// Temporary files are this system's own, made a moment before: a link in their place is not followed.
constexpr RegularFileRules kOwnTempFile{O_RDONLY, false};

// The one message of a failed conversion: what could not be done and, below it, why.
[[noreturn]] void ThrowConversionFailure(const char* what, std::string why) {
    while (!why.empty() && why.back() == '\n') why.pop_back();
    throw CFileAccessException(why.empty() ? MessageText(what) : what + MessageText("\n" + why));
}

}  // namespace

void CVelkDisk::PrepareAudio(const RoutineHeader& header, std::FILE* file, uint32_t& audioBytes, StdioFile& audioStream) {
    audioBytes = 0;
    audioStream.reset();
    if (header.audioBytes == 0) return;
    if (header.audioFormat == RoutineHeader::kMp3Format) {
        const off_t start = ::ftello(file);
        const bool playable = ReadMp3Frames(file, header.audioBytes, nullptr, nullptr);
        if (::fseeko(file, start, SEEK_SET) != 0)
            throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Error reading file"));
        if (playable) {
            const std::string path = CreateTempFile("ylm");
            AddTempFile(path);
            std::string problem;
            StdioFile copy = OpenRegularStream(path, "r+b", problem, kOwnTempFile);
            if (!copy)
                throw CFileAccessException(
                    Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open mp3 file %1 (%2)"), path, problem));
            uint32_t copied = 0;
            if (!ReadMp3Frames(file, header.audioBytes, copy.get(), &copied))
                throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Invalid MP3 file format"));
            if (std::fflush(copy.get()) != 0)
                throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Unable to write file"));
            std::rewind(copy.get());
            audioBytes = copied;
            audioStream = std::move(copy);
            return;
        }
    }
    ConvertAudio(header, file, audioBytes, audioStream);
}

// The routine's audio is decoded where it lies in the routine file, both chosen channels in one
// pass, and handed to the encoder as it comes, whose threads encode while the next samples decode.
void CVelkDisk::ConvertAudio(const RoutineHeader& header, std::FILE* file, uint32_t& audioBytes,
                             StdioFile& audioStream) {
    const off_t start = ::ftello(file);
    if (start < 0) throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Error reading file"));
    CAudioDecoder decoder;
    if (!decoder.Open({"", ::fileno(file), uint64_t(start), header.audioBytes}, header.firstChannel, header.secondChannel))
        ThrowConversionFailure(kCannotDecode, decoder.Failure());
    const std::string outputPath = CreateTempFile("ylm");
    AddTempFile(outputPath);
    CMp3Encoder encoder(m_encoderSettings);
    if (!encoder.Create(outputPath)) ThrowConversionFailure(kCannotEncode, encoder.Failure());
    const uint64_t expected = decoder.ExpectedFrames();
    encoder.ExpectFrames(expected);

    m_job->Begin(JobPhase::Converting, ProgressUnit::Samples, expected);
    std::vector<uint32_t> frames(kFramesPerPass);
    for (uint64_t pass = 0, samples = 0;; ++pass) {
        const uint32_t m = decoder.Read(frames.data(), kFramesPerPass);
        encoder.Encode(frames.data(), m);
        samples += m;
        if (pass % kPassesPerReport == 0) {
            m_job->ThrowIfStopped();
            m_job->Progress(expected ? std::min(samples, expected) : samples);
        }
        if (m < kFramesPerPass) break;
    }
    if (decoder.Failed()) ThrowConversionFailure(kCannotDecode, decoder.Failure());
    decoder.Close();
    // A stream with lost chunks or a missing end is not stored as if it were the routine's audio.
    if (!encoder.Close() || encoder.Failed()) ThrowConversionFailure(kCannotEncode, encoder.Failure());
    if (::fseeko(file, start + off_t(header.audioBytes), SEEK_SET) != 0)
        throw CFileAccessException(VELK3_TRANSLATE_NOOP("velk3core", "Error reading file"));

    std::string problem;
    StdioFile converted = OpenRegularStream(outputPath, "rb", problem, kOwnTempFile);
    if (!converted)
        throw CFileAccessException(
            Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open converted mp3 file %1 (%2)"), outputPath, problem));
    ::fseeko(converted.get(), 0, SEEK_END);
    const off_t length = ::ftello(converted.get());
    std::rewind(converted.get());
    if (length < 0 || uint64_t(length) > UINT32_MAX)
        throw CUsbDeviceException(VELK3_TRANSLATE_NOOP("velk3core", "The card is full"));
    audioBytes = uint32_t(length);
    audioStream = std::move(converted);
}

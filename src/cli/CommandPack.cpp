// velk3 pack OUT.velk: writes a version-3 routine file from an audio file and servo data, the
// way users and tests make routine files on Linux. Audio the unit plays as it is (MPEG-1 Layer III,
// 128 kbit/s, 44100 Hz, tags allowed) is stored as MP3; anything else FFmpeg reads is stored as it
// is and converted when the routine is added to a card.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>

#include "audio/MediaUtils.h"
#include "audio/Mp3Frames.h"
#include "cli/CliContext.h"
#include "disk/RoutineFile.h"
#include "disk/TrackEntry.h"
#include "platform/Exceptions.h"
#include "platform/RegularFile.h"
#include "platform/StdioFile.h"

namespace {

constexpr size_t kMaxTitle = RoutineHeader::kTitleSize - 1;
constexpr size_t kSettingsBytes = RoutineHeader::kProtocolSize - 1;
constexpr size_t kCopyPiece = 1 << 16;

struct PackRequest {
    std::string output;
    std::string title;
    std::string audio;
    std::string data;
    int frameMs = 0;
    std::string baud;
    int protocol = 0;
    std::string settings;
    std::string channels;
};

int ParseNumber(const std::string& text, const char* option) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw CUsageError(std::string(option) + " takes a whole number: " + text);
    return value;
}

uint8_t ParseBaud(const std::string& text) {
    if (const std::optional<uint8_t> code = BaudCodeOf(text)) return *code;
    throw CUsageError("--baud takes a code 0 to 7 or one of the rates 2400, 4800, 9600, 19200, 38400, 57600, "
                      "115200, 250000 (DMX): " + text);
}

std::array<uint8_t, kSettingsBytes> ParseSettings(const std::string& text) {
    std::array<uint8_t, kSettingsBytes> bytes{};
    if (text.size() % 2 != 0 || text.size() / 2 > kSettingsBytes)
        throw CUsageError("--settings takes up to 31 bytes as pairs of hexadecimal digits: " + text);
    for (size_t i = 0; i < text.size() / 2; ++i) {
        const auto [end, error] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, bytes[i], 16);
        if (error != std::errc() || end != text.data() + 2 * i + 2)
            throw CUsageError("--settings takes pairs of hexadecimal digits: " + text);
    }
    return bytes;
}

std::optional<std::pair<uint32_t, uint32_t>> ParseChannels(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const size_t comma = text.find(',');
    if (comma == std::string::npos) throw CUsageError("--channels takes two source channels, LEFT,RIGHT: " + text);
    const int left = ParseNumber(text.substr(0, comma), "--channels");
    const int right = ParseNumber(text.substr(comma + 1), "--channels");
    if (left < 0 || right < 0) throw CUsageError("--channels takes channel numbers from 0: " + text);
    return std::make_pair(uint32_t(left), uint32_t(right));
}

uint32_t FileBytes(std::FILE* file, const std::string& path) {
    struct stat st {};
    if (::fstat(::fileno(file), &st) != 0) throw CFileAccessException("Error reading file " + path);
    if (uint64_t(st.st_size) > UINT32_MAX - RoutineHeader::kSize)
        throw CFileAccessException(path + " is too large for a routine file (4 GiB at most)");
    return uint32_t(st.st_size);
}

StdioFile OpenInput(const std::string& path) {
    std::string problem;
    StdioFile file = OpenRegularStream(path, "rb", problem);
    if (!file) throw CDriveAccessException("Could not open file " + path + " (" + problem + ")");
    return file;
}

bool PlayableMp3(std::FILE* file, uint32_t size) {
    bool playable = false;
    try {
        playable = ReadMp3Frames(file, size, nullptr, nullptr);
    } catch (const CFileAccessException&) {
        playable = false;  // ends inside a frame or tag: not something to store as it is
    }
    std::rewind(file);
    return playable;
}

// Converted audio: FFmpeg must find an audio stream, and the channels must exist in it. The file
// already opened is the one probed.
void ChooseChannels(const PackRequest& request, std::FILE* audio, RoutineHeader& header) {
    AudioStreamInfo info;
    std::string failure;
    AudioSource source;
    source.path = request.audio;
    source.fd = ::fileno(audio);
    if (!CMediaUtils::ProbeAudioFile(source, info, failure))
        throw CFileAccessException("Cannot read the audio of " + request.audio + (failure.empty() ? "" : " (" + failure + ")"));
    if (info.streamIndex < 0 || !info.decodable)
        throw CFileAccessException(request.audio + " holds no audio that can be decoded");
    const auto channels = ParseChannels(request.channels);
    header.firstChannel = channels ? channels->first : 0;
    header.secondChannel = channels ? channels->second : (info.channels > 1 ? 1 : 0);
    const uint32_t count = uint32_t(info.channels);
    if (header.firstChannel >= count || header.secondChannel >= count)
        throw CUsageError("--channels: " + request.audio + " has " + std::to_string(count) + " channel(s), numbered from 0");
}

void Append(std::FILE* from, uint32_t count, std::FILE* to, const std::string& path) {
    std::vector<char> piece(kCopyPiece);
    while (count > 0) {
        const size_t size = std::min<size_t>(count, kCopyPiece);
        if (std::fread(piece.data(), 1, size, from) != size) throw CFileAccessException("Error reading file " + path);
        if (std::fwrite(piece.data(), 1, size, to) != size) throw CFileAccessException("Unable to write file");
        count -= uint32_t(size);
    }
}

void WriteRoutine(const std::string& path, const RoutineHeader& header, std::FILE* audio, std::FILE* data) {
    // Written beside the target and renamed into place, so a failure leaves no half routine file.
    const std::string partial = path + ".part";
    // Made afresh, never through a link or into a file that exists, so that the write reaches no
    // other file; a partial file left by an interrupted pack (or a link put in its place) goes first.
    ::unlink(partial.c_str());
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) throw CFileAccessException("Could not create " + partial + " (" + std::strerror(errno) + ")");
    StdioFile out(::fdopen(fd, "wb"));
    if (!out) {
        ::close(fd);
        std::remove(partial.c_str());
        throw CFileAccessException("Could not create " + partial);
    }
    std::setvbuf(out.get(), nullptr, _IOFBF, kStdioBufferSize);
    try {
        uint8_t bytes[RoutineHeader::kSize];
        header.Encode(bytes);
        if (std::fwrite(bytes, sizeof bytes, 1, out.get()) != 1) throw CFileAccessException("Unable to write file");
        if (audio) Append(audio, header.audioBytes, out.get(), "audio");
        if (data) Append(data, header.dataBytes, out.get(), "data");
        if (std::fclose(out.release()) != 0) throw CFileAccessException("Unable to write file " + partial);
        if (std::rename(partial.c_str(), path.c_str()) != 0) throw CFileAccessException("Could not create " + path);
    } catch (...) {
        out.reset();
        std::remove(partial.c_str());
        throw;
    }
}

int Pack(const PackRequest& request) {
    if (request.title.size() > kMaxTitle) throw CUsageError("--title holds at most 15 characters: " + request.title);
    if (request.frameMs < 1 || request.frameMs > 255) throw CUsageError("--frame-ms takes 1 to 255");
    if (request.protocol < 0 || request.protocol > 255) throw CUsageError("--protocol takes a code 0 to 255");
    RoutineHeader header;
    header.SetTitle(request.title);
    header.frameMs = uint8_t(request.frameMs);
    header.baudCode = ParseBaud(request.baud);
    header.protocol[0] = uint8_t(request.protocol);
    const auto settings = ParseSettings(request.settings);
    std::copy(settings.begin(), settings.end(), header.protocol.begin() + 1);

    StdioFile audio = OpenInput(request.audio);
    header.audioBytes = FileBytes(audio.get(), request.audio);
    StdioFile data;
    if (!request.data.empty()) {
        data = OpenInput(request.data);
        header.dataBytes = FileBytes(data.get(), request.data);
    }
    if (header.FileSize() > UINT32_MAX) throw CFileAccessException("Audio and data are too large for a routine file");
    const bool mp3 = PlayableMp3(audio.get(), header.audioBytes);
    header.audioFormat = mp3 ? RoutineHeader::kMp3Format : RoutineHeader::kOtherFormat;
    if (!mp3 && header.audioBytes > 0) ChooseChannels(request, audio.get(), header);
    else if (const auto channels = ParseChannels(request.channels)) {
        header.firstChannel = channels->first;
        header.secondChannel = channels->second;
    }

    WriteRoutine(request.output, header, audio.get(), data.get());
    std::cout << request.output << ": \"" << header.Title() << "\", audio " << header.audioBytes << " bytes ("
              << (mp3 ? "MP3, stored as it is" : "converted to MP3 when added") << "), data " << header.dataBytes
              << " bytes\n";
    return 0;
}

}  // namespace

void RegisterPackCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("pack", "Write a .velk routine file from an audio file and servo data");
    auto r = std::make_shared<PackRequest>();
    command->add_option("OUT", r->output, "The routine file to write (.velk)")->required();
    command->add_option("--title", r->title, "Title shown in the routine list (at most 15 characters)")->required();
    command->add_option("--audio", r->audio, "Audio file: MP3 or anything FFmpeg reads")->required();
    command->add_option("--data", r->data, "Servo data bytes, sent one frame per frame period (default: none)");
    command->add_option("--frame-ms", r->frameMs, "Frame period in milliseconds (1 to 255)")->required();
    command->add_option("--baud", r->baud, "Baud rate (2400 … 115200, 250000 or DMX) or its code 0 to 7")->required();
    command->add_option("--protocol", r->protocol, "Protocol code of the servo controller family")->required();
    command->add_option("--settings", r->settings, "Up to 31 protocol setting bytes in hexadecimal");
    command->add_option("--channels", r->channels,
                        "Source channels for the left and right channel, LEFT,RIGHT (default 0,1; 0,0 for mono)");
    command->callback([&context, r] { context.run = [r] { return Pack(*r); }; });
}

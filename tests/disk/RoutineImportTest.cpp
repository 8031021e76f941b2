#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "AudioFixtures.h"
#include "audio/AudioDecoder.h"
#include "audio/Mp3Encoder.h"
#include "audio/Mp3Frames.h"
#include "disk/DiskLayout.h"
#include "disk/RoutineFile.h"
#include "disk/RoutineFixture.h"
#include "disk/VelkDisk.h"
#include "platform/ByteOrder.h"
#include "platform/Exceptions.h"
#include "support/MemoryDevice.h"
#include "support/RecordingPrompt.h"

namespace {

Bytes Id3v2(uint8_t s2, uint8_t s3) {
    Bytes tag = {'I', 'D', '3', 3, 0, 0, 0, 0, s2, s3};
    tag.resize(10 + s2 * 128u + s3, 0xEE);
    return tag;
}

Bytes Id3v1() {
    Bytes tag(128, ' ');
    std::memcpy(tag.data(), "TAG", 3);
    return tag;
}

Bytes Encoded(const TrackEntry& entry) {
    Bytes bytes(disk_layout::kTrackEntrySize);
    entry.Encode(bytes.data());
    return bytes;
}

uint32_t HeaderTableStart(CMemoryDevice& card) { return LoadLe32(card.Sector(0) + disk_layout::header::kTrackTableStart); }

}  // namespace

TEST_F(RoutineImport, StoresPlayableMp3ByteExactWithoutTagsPaddedByTheSilentFrame) {
    CMemoryDevice card(256);
    FormatCard(card);
    Routine r = Mp3Routine(5, 1000);
    const Bytes frames = r.audio;  // 417 + 418 + 417 + 418 + 417 = 2087 bytes
    r.audio = Id3v2(2, 1);
    r.audio.insert(r.audio.end(), frames.begin(), frames.end());
    const Bytes tail = Id3v1();
    r.audio.insert(r.audio.end(), tail.begin(), tail.end());
    r.header.SetTitle("Hello");
    r.header.frameMs = 25;
    r.header.baudCode = 7;
    for (size_t i = 0; i < r.header.protocol.size(); ++i) r.header.protocol[i] = uint8_t(16 + i);
    const std::string path = Write("tagged.velk", r);

    CRecordingProgress progress;
    {
        CJobControl job(&prompt, &progress);
        CVelkDisk disk(card, &job);
        disk.Read();
        progress.calls.clear();
        disk.ImportRoutineFile(path, true);
        EXPECT_GT(temp.TempFileCount(), 0) << "the frame copy lives as long as the disk";
    }
    EXPECT_EQ(temp.TempFileCount(), 0);

    CVelkDisk reread(card);
    reread.Read();
    ASSERT_TRUE(reread.IsVelkDisk());
    ASSERT_EQ(reread.GetTracks().size(), 1u);
    const TrackEntry& t = reread.GetTracks()[0];
    EXPECT_EQ(t.Title(), "Hello");
    EXPECT_EQ(t.audioStart, 1u);
    EXPECT_EQ(t.dataStart, 1u + 5);  // ceil(2087 / 512): tags are not stored
    EXPECT_EQ(t.endSector, 6u + 2);
    EXPECT_EQ(t.frameMs, 25);
    EXPECT_EQ(t.baudCode, 7);
    EXPECT_EQ(t.protocolCode, 16);
    for (size_t i = 0; i < t.settings.size(); ++i) EXPECT_EQ(t.settings[i], 17 + i);
    EXPECT_EQ(HeaderTableStart(card), t.endSector) << "tables directly behind the last track";

    const Bytes audio = Sectors(card, t.audioStart, t.dataStart);
    EXPECT_EQ(Bytes(audio.begin(), audio.begin() + 2087), frames);
    EXPECT_EQ(Bytes(audio.begin() + 2087, audio.end()), Bytes(AudioPaddingBlock(), AudioPaddingBlock() + 5 * 512 - 2087));
    const Bytes data = Sectors(card, t.dataStart, t.endSector);
    EXPECT_EQ(Bytes(data.begin(), data.begin() + 1000), r.data);
    EXPECT_EQ(Bytes(data.begin() + 1000, data.end()), Bytes(24, 0));

    // The track is read back before the tables follow unannounced; the tables are read back
    // before the header, and the header after it.
    const std::vector<std::string> want = {
        "Writing MP3 0/5",  "Writing MP3 0/5",  "Writing MP3 4/5",  "Writing MP3 5/5", "Writing Data 0/2",
        "Writing Data 0/2", "Writing Data 1/2", "Writing Data 2/2", "Verifying 0/7",   "Verifying 7/7",
        "- 0/1",            "- 1/1",            "Verifying 0/1",    "Verifying 1/1",   "Verifying 0/1",
        "Verifying 1/1",    "Ready 1/1"};
    EXPECT_EQ(progress.calls, want);
    EXPECT_TRUE(prompt.messages.empty());
}

// Audio the unit cannot play as it is goes through the decoders and the encoder: the card then
// holds frames the unit plays, carrying the selected source channels.
TEST_F(RoutineImport, ConvertsOtherAudioWithTheSelectedChannels) {
    struct Case {
        const char* name;
        bool mp3;
        uint32_t audioFormat, first, second;
    };
    const Case cases[] = {
        {"MP3 at 192 kbit/s", true, RoutineHeader::kMp3Format, 0, 1},
        {"WAV with its channels swapped", false, RoutineHeader::kOtherFormat, 1, 0},
    };
    const PcmAudio source = MakeTones(44100, 2, 1.0);
    for (const Case& c : cases) {
        CMemoryDevice card(2048);
        FormatCard(card);
        Routine r;
        r.header.audioFormat = c.audioFormat;
        r.header.firstChannel = c.first;
        r.header.secondChannel = c.second;
        const std::string audioPath = temp.File("source");
        if (c.mp3) WriteMp3(audioPath, source, 192);
        else WriteWav(audioPath, source);
        r.audio = ReadAll(audioPath);
        r.data = Pattern(300, 9);
        const std::string path = Write("converted.velk", r);

        CRecordingProgress progress;
        const uint64_t passes = CAudioDecoder::PassesStarted();
        {
            CJobControl job(&prompt, &progress);
            CVelkDisk disk(card, &job);
            disk.Read();
            progress.reports.clear();
            disk.ImportRoutineFile(path, true);
        }
        EXPECT_EQ(CAudioDecoder::PassesStarted(), passes + 1) << c.name << ": both channels from one decoding";
        EXPECT_EQ(temp.TempFileCount(), 0) << c.name;
        // The conversion counts the samples of the chosen channel, about 1 s of them (an MP3 source
        // decodes to a little more: its encoder's delay).
        ASSERT_FALSE(progress.reports.empty()) << c.name;
        EXPECT_EQ(progress.reports.front().phase, JobPhase::Converting) << c.name;
        EXPECT_EQ(progress.reports.front().unit, ProgressUnit::Samples) << c.name;
        EXPECT_NEAR(double(progress.reports.front().total), 44100.0, 2400.0) << c.name;
        EXPECT_EQ(progress.Texts(), (std::vector<std::string>{"Converting Audio", "Writing MP3", "Writing Data", "Verifying", "Ready"}))
            << c.name;

        CVelkDisk reread(card);
        reread.Read();
        ASSERT_EQ(reread.GetTracks().size(), 1u) << c.name;
        const TrackEntry& t = reread.GetTracks()[0];
        const Bytes audio = Sectors(card, t.audioStart, t.dataStart);
        // About 1 s at 128 kbit/s: 16 kB, never the 24 kB of the source's rate.
        EXPECT_NEAR(double(audio.size()), 16000.0, 2500.0) << c.name;
        for (size_t at = 0; at + 4 <= audio.size();) {
            ASSERT_TRUE(IsAcceptedMp3Frame(&audio[at])) << c.name << " at " << at;
            at += (audio[at + 2] & 0x02) ? 418 : 417;
        }
        EXPECT_EQ(Sectors(card, t.dataStart, t.dataStart + 1)[0], r.data[0]) << c.name;
        WriteAll(temp.File("stored.mp3"), audio);
        const PcmAudio stored = DecodeFile(temp.File("stored.mp3"));
        ASSERT_EQ(stored.channels, 2) << c.name;
        EXPECT_GE(SnrAfterDelay(source.Channel(int(c.first)), stored.Channel(0), 4000), 15.0) << c.name;
        EXPECT_GE(SnrAfterDelay(source.Channel(int(c.second)), stored.Channel(1), 4000), 15.0) << c.name;
    }
}

// A conversion that fails (the encoder of one segment of a routine cut into several; a channel the
// audio lacks) fails the import with one message and no box of its own, and leaves neither a
// temporary file nor a change on the card.
TEST_F(RoutineImport, AFailingConversionFailsTheImportWithOneMessageAndCleanly) {
    struct Case {
        const char* name;
        int failingSegment;
        uint32_t firstChannel;
        const char* message;
    };
    const Case cases[] = {
        {"a segment's encoder fails", 1, 0, "Unable to create temporary output audio file\nbeEncodeChunk() failed"},
        {"a channel the audio lacks", -1, 2, "Unable to open temporary input audio file\nInvalid channel selection"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemoryDevice card(2048);
        FormatCard(card);
        {
            CVelkDisk disk(card);
            disk.Read();
            disk.ImportRoutineFile(Write("first.velk", Mp3Routine(4, 700)), true);
        }
        Routine r;
        r.header.audioFormat = RoutineHeader::kOtherFormat;
        r.header.firstChannel = c.firstChannel;
        WriteWav(temp.File("source.wav"), MakeTones(44100, 2, 5.0));
        r.audio = ReadAll(temp.File("source.wav"));
        r.data = Pattern(300, 9);
        const std::string path = Write("segments.velk", r);
        const Bytes before = card.Bytes();
        prompt.messages.clear();
        {
            const CJobControl job(&prompt, nullptr);
            CVelkDisk disk(card, &job);
            disk.SetEncoderSettings({2, mp3_segment::kPaddingPeriod, c.failingSegment});
            disk.Read();
            try {
                disk.ImportRoutineFile(path, true);
                ADD_FAILURE() << "the import went through";
            } catch (const CFileAccessException& e) {
                EXPECT_STREQ(e.what(), c.message);
            }
        }
        EXPECT_TRUE(prompt.messages.empty()) << "the face shows the one message";
        EXPECT_EQ(temp.TempFileCount(), 0);
        EXPECT_TRUE(card.Bytes() == before) << "the card changed";
    }
}

TEST_F(RoutineImport, LaysOutEmptyAudioEmptyDataAndLongTitlesAsTheCardExpects) {
    struct Case {
        const char* name;
        int frames;
        size_t data;
        const char* title;  // 16 characters fill the field with no NUL
        uint32_t audioSectors, dataSectors;
        const char* wantTitle;
    };
    const Case cases[] = {
        {"no audio", 0, 1000, "Data only", 0, 2, "Data only"},
        {"no data", 3, 0, "Audio only", 3, 0, "Audio only"},
        {"neither", 0, 0, "Empty", 0, 0, "Empty"},
        {"title without NUL", 1, 512, "ABCDEFGHIJKLMNOP", 1, 1, "ABCDEFGHIJKLMNO"},
    };
    CMemoryDevice card(512);
    FormatCard(card);
    uint32_t next = 1;
    for (const Case& c : cases) {
        Routine r = Mp3Routine(c.frames, c.data);
        r.header.title.fill('\0');
        std::memcpy(r.header.title.data(), c.title, std::min<size_t>(std::strlen(c.title), 16));
        const std::string path = Write("r.velk", r);
        {
            CVelkDisk disk(card);
            disk.Read();
            disk.ImportRoutineFile(path, true);
        }
        CVelkDisk reread(card);
        reread.Read();
        ASSERT_TRUE(reread.IsVelkDisk()) << c.name;
        const TrackEntry& t = reread.GetTracks().back();
        EXPECT_EQ(t.audioStart, next) << c.name;
        EXPECT_EQ(t.dataStart, next + c.audioSectors) << c.name;
        EXPECT_EQ(t.endSector, next + c.audioSectors + c.dataSectors) << c.name;
        EXPECT_EQ(t.Title(), c.wantTitle) << c.name;
        EXPECT_EQ(HeaderTableStart(card), t.endSector) << c.name;
        next = t.endSector;
    }
}

TEST_F(RoutineImport, AcceptsThe65533rdRoutineAndRefusesTheNextBeforeOpeningIt) {
    CMemoryDevice card(17000);  // two copies of 8192 table sectors fit while the tables move
    {
        CVelkDisk disk(card);
        disk.Read();
        TrackEntry empty;
        empty.audioStart = empty.dataStart = empty.endSector = 1;
        for (int i = 0; i < disk_layout::kMaxTracks - 1; ++i) disk.AppendTrack(empty);
        disk.WriteTable();
    }
    const std::string path = Write("last.velk", Mp3Routine(0, 10));
    CVelkDisk disk(card);
    disk.Read();
    ASSERT_EQ(disk.GetTracks().size(), size_t(disk_layout::kMaxTracks - 1));
    disk.ImportRoutineFile(path, true);
    EXPECT_EQ(disk.GetTracks().size(), size_t(disk_layout::kMaxTracks));
    try {
        disk.ImportRoutineFile(temp.File("does-not-exist.velk"), true);
        ADD_FAILURE() << "the 65534th routine was accepted";
    } catch (const CFileAccessException& e) {
        EXPECT_STREQ(e.Message(), "Maximum number of files reached");
    }
    CVelkDisk reread(card);
    reread.Read();
    EXPECT_EQ(reread.GetTracks().size(), size_t(disk_layout::kMaxTracks));
}

// Whatever is wrong with a routine file or too big for the card is found before the first write:
// the card keeps every byte and the temporary files go with the disk.
TEST_F(RoutineImport, RefusesBadRoutineFilesWithoutTouchingTheCard) {
    CMemoryDevice card(200);
    FormatCard(card);
    {
        CVelkDisk disk(card);
        disk.Read();
        disk.ImportRoutineFile(Write("first.velk", Mp3Routine(4, 700)), true);
    }
    WriteAll(temp.File("short-header.velk"), Bytes(75, 3));
    Routine version2 = Mp3Routine(1, 10);
    version2.header.version = 2;
    Routine promisesMore = Mp3Routine(4, 100);
    promisesMore.header.audioBytes = 4 * 418;
    promisesMore.header.dataBytes = 100;
    Routine tooBig = Mp3Routine(1, 200 * 512);
    Routine notAudio;
    notAudio.header.audioFormat = RoutineHeader::kOtherFormat;
    notAudio.audio = Pattern(5000, 1);
    // Beside the temporary input, so a list naming it would reach it: someone else's audio.
    WriteWav(temp.File("victim.wav"), MakeTones(44100, 2, 0.5));
    Routine concatList;
    concatList.header.audioFormat = RoutineHeader::kOtherFormat;
    const std::string list = "ffconcat version 1.0\nfile victim.wav\n";
    concatList.audio.assign(list.begin(), list.end());

    struct Case {
        const char* name;
        std::string path;
        std::string message;  // a prefix of the message
        enum { File, Drive, Device } kind;
    };
    const Case cases[] = {
        {"missing file", temp.File("missing.velk"), "Could not open file " + temp.File("missing.velk") + " (no such file)",
         Case::Drive},
        {"shorter than a header", temp.File("short-header.velk"), "Error reading file", Case::File},
        {"version 2", Write("v2.velk", version2), "Unsupported file version", Case::File},
        {"shorter than its header says", Write("cut.velk", promisesMore, true), "The routine file is shorter than its header says",
         Case::File},
        {"larger than the card", Write("big.velk", tooBig), "The card is full", Case::Device},
        {"audio nothing can decode", Write("noise.velk", notAudio), "Unable to open temporary input audio file", Case::File},
        {"audio that is a list of other files", Write("list.velk", concatList), "Unable to open temporary input audio file",
         Case::File},
    };
    for (const Case& c : cases) {
        const Bytes before = card.Bytes();
        const int writes = card.writes();
        {
            CVelkDisk disk(card);
            disk.Read();
            try {
                disk.ImportRoutineFile(c.path, true);
                ADD_FAILURE() << c.name << ": imported";
            } catch (const CFileAccessException& e) {
                EXPECT_EQ(c.kind, Case::File) << c.name;
                EXPECT_EQ(std::string(e.Message()).rfind(c.message, 0), 0u) << c.name << ": " << e.Message();
            } catch (const CDriveAccessException& e) {
                EXPECT_EQ(c.kind, Case::Drive) << c.name;
                EXPECT_EQ(e.Message(), c.message) << c.name;
            } catch (const CUsbDeviceException& e) {
                EXPECT_EQ(c.kind, Case::Device) << c.name;
                EXPECT_EQ(e.Message(), c.message) << c.name;
            }
            EXPECT_EQ(disk.GetTracks().size(), 1u) << c.name;
        }
        EXPECT_EQ(card.writes(), writes) << c.name;
        EXPECT_TRUE(card.Bytes() == before) << c.name;
        EXPECT_EQ(temp.TempFileCount(), 0) << c.name;
    }
}

// The card is pulled (every transfer fails) at each write of an import in turn. Afterwards it must
// read as a VELK disk holding everything it held before, and no temporary file may be left.
TEST_F(RoutineImport, AFailureAtAnyWriteLeavesEveryEarlierRoutineReadable) {
    CMemoryDevice card(1024);
    FormatCard(card);
    std::vector<Bytes> before;
    std::vector<ScheduleEntry> schedules;
    {
        CVelkDisk disk(card);
        disk.Read();
        disk.ImportRoutineFile(Write("one.velk", Mp3Routine(7, 3000, "One")), true);
        disk.ImportRoutineFile(Write("two.velk", Mp3Routine(0, 1500, "Two")), true);
        ScheduleEntry schedule;
        schedule.trackIndex = 1;
        schedule.minutes = {5, 35};
        disk.SetSchedules({schedule});
        disk.WriteTable();
        for (const TrackEntry& t : disk.GetTracks()) before.push_back(Encoded(t));
        schedules = disk.GetSchedules();
    }
    const Bytes baseline = card.Bytes();
    // Big enough that its audio takes several 64 kB writes over the old tables.
    const std::string third = Write("three.velk", Mp3Routine(400, 70000, "Three"));

    int failures = 0;
    for (int n = 1;; ++n) {
        card.Bytes() = baseline;
        card.Heal();
        bool done = false;
        {
            CVelkDisk disk(card);
            disk.Read();
            card.FailFromWrite(n);
            try {
                disk.ImportRoutineFile(third, true);
                done = true;
            } catch (const CUsbDeviceException&) {
                ++failures;
            }
        }
        card.Heal();
        EXPECT_EQ(temp.TempFileCount(), 0) << "write " << n;
        CVelkDisk reread(card);
        reread.Read();
        ASSERT_TRUE(reread.IsVelkDisk()) << "write " << n;
        const auto& tracks = reread.GetTracks();
        ASSERT_EQ(tracks.size(), done ? 3u : 2u) << "write " << n;
        for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(Encoded(tracks[i]), before[i]) << "write " << n;
        EXPECT_EQ(reread.GetSchedules(), schedules) << "write " << n;
        if (done) {
            EXPECT_EQ(HeaderTableStart(card), tracks.back().endSector);
            break;
        }
        ASSERT_LT(n, 100) << "the import never succeeded";
    }
    EXPECT_GE(failures, 5);  // relocation, audio blocks, data blocks, tables, header
}

// A card that is not a VELK disk (the user agreed to lose its contents) gets an empty disk's header
// before the routine is written, so a failure leaves a card that reads.
TEST_F(RoutineImport, AFailureOnAForeignCardLeavesItUnchangedOrAnEmptyVelkDisk) {
    CMemoryDevice card(256);
    std::fill(card.Bytes().begin(), card.Bytes().end(), 0x5C);
    const Bytes baseline = card.Bytes();
    const std::string path = Write("one.velk", Mp3Routine(3, 600));
    for (int n = 1;; ++n) {
        card.Bytes() = baseline;
        card.Heal();
        bool done = false;
        {
            CVelkDisk disk(card);
            disk.Read();
            ASSERT_FALSE(disk.IsVelkDisk());
            card.FailFromWrite(n);
            try {
                disk.ImportRoutineFile(path, true);
                done = true;
            } catch (const CUsbDeviceException&) {
            }
        }
        card.Heal();
        CVelkDisk reread(card);
        reread.Read();
        if (n == 1) {
            EXPECT_TRUE(card.Bytes() == baseline) << "the first write is the header; it failed";
            continue;
        }
        ASSERT_TRUE(reread.IsVelkDisk()) << "write " << n;
        EXPECT_EQ(reread.GetTracks().size(), done ? 1u : 0u) << "write " << n;
        if (done) break;
        ASSERT_LT(n, 50);
    }
}

// Imports without writing the table (a batch) keep the card readable between them, naming only
// routines that are complete, and end in the plain layout once the table is written.
TEST_F(RoutineImport, ImportsInARowWithoutTablesKeepTheCardReadable) {
    CMemoryDevice card(512);
    FormatCard(card);
    card.HideSize();  // some devices cannot tell their size
    CVelkDisk disk(card);
    disk.Read();
    for (int i = 0; i < 3; ++i) {
        disk.ImportRoutineFile(Write("r" + std::to_string(i) + ".velk", Mp3Routine(2 + i, 100 * i)), false);
        CVelkDisk between(card);
        between.Read();
        ASSERT_TRUE(between.IsVelkDisk()) << i;
        EXPECT_LE(between.GetTracks().size(), size_t(i)) << i;
    }
    disk.WriteTable();
    CVelkDisk reread(card);
    reread.Read();
    ASSERT_EQ(reread.GetTracks().size(), 3u);
    EXPECT_EQ(HeaderTableStart(card), reread.GetTracks().back().endSector);
}

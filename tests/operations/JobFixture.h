#pragma once
// The jobs as a face runs them: on card image files in a private $TMPDIR, with recorded questions
// and a progress sink that can pull the stop at a chosen report, as a Cancel button or a signal does.
#include <stop_token>

#include "devices/ImageFile.h"
#include "disk/RoutineFixture.h"
#include "operations/CardJobs.h"

// Records every report; pulls stop at the nth report of phase (1: the phase's first).
class CStoppingProgress final : public IProgressSink {
public:
    void StopAt(JobPhase phase, int nth) { m_phase = phase, m_nth = nth; }
    void Report(const ProgressReport& report) override {
        reports.push_back(report);
        if (report.phase == m_phase && ++m_seen == m_nth) stop.request_stop();
    }

    std::vector<ProgressReport> reports;
    std::stop_source stop;

private:
    JobPhase m_phase = JobPhase::Ready;
    int m_nth = 0;
    int m_seen = 0;
};

class JobTest : public RoutineImport {
protected:
    JobContext Context(const std::string& device) {
        return JobContext{DeviceId::Named(device), &prompt, &progress, progress.stop.get_token()};
    }
    // Reads the card with nobody to ask or tell.
    static CardListing Listed(const std::string& device) { return job::ListCard(JobContext{DeviceId::Named(device)}); }

    // A VELK disk image of the given routines, each of `sectors` patterned sectors, and a schedule.
    std::string MakeCard(const std::string& name, int routines, uint32_t sectors = 300, uint32_t cardSectors = 16384) {
        const std::string path = temp.File(name);
        CImageFile::Create(path, cardSectors);
        CImageFile image;
        image.Open(CImageFile::EntryFor(path));
        {
            CVelkDisk disk(image);
            disk.Read();
            const Bytes run = Pattern(size_t(sectors) * kSectorSize, uint8_t(routines));
            for (int i = 0; i < routines; ++i) {
                TrackEntry track;
                track.SetTitle(name + " " + std::to_string(i));
                track.audioStart = disk.NextFreeSector();
                track.dataStart = track.audioStart + sectors / 2;
                track.endSector = track.audioStart + sectors;
                image.writeSector(track.audioStart, sectors, run.data());
                disk.AppendTrack(track);
            }
            disk.SetSchedules(std::vector<ScheduleEntry>(routines > 0 ? 1 : 0));
            disk.WriteTable();
        }
        image.Close();
        return path;
    }
    std::string MakeForeignCard(const std::string& name) {
        WriteAll(temp.File(name), Bytes(4096 * kSectorSize, 0x33));
        return temp.File(name);
    }
    // A routine whose audio is converted: seconds of stereo WAV.
    std::string WavRoutine(const std::string& name, double seconds) {
        Routine r;
        r.header.SetTitle(name);
        r.header.audioFormat = RoutineHeader::kOtherFormat;
        WriteWav(temp.File(name + ".wav"), MakeTones(44100, 2, seconds));
        r.audio = ReadAll(temp.File(name + ".wav"));
        r.data = Pattern(300 * kSectorSize, 5);
        return Write(name + ".velk", r);
    }

    CStoppingProgress progress;
};

// What a card lists: its routines and schedules, compared whole.
inline bool SameCard(const CardListing& a, const CardListing& b) {
    return a.velkDisk == b.velkDisk && a.tracks == b.tracks && a.schedules == b.schedules;
}

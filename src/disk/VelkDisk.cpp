#include "disk/VelkDisk.h"

#include <unistd.h>

#include "disk/DiskLayout.h"

CVelkDisk::CVelkDisk(CSectorDevice& device, const CJobControl* job) : m_device(device), m_job(job ? job : &m_silentJob) {}

CVelkDisk::~CVelkDisk() {
    for (const std::string& path : m_tempFiles) ::unlink(path.c_str());
}

uint32_t CVelkDisk::NextFreeSector() const {
    return m_tracks.empty() ? disk_layout::kFirstTrackSector : m_tracks.back().endSector;
}

size_t CVelkDisk::AppendTrack(const TrackEntry& entry) {
    m_tracks.push_back(entry);
    return m_tracks.size() - 1;
}

CVelkDisk::SectorRange CVelkDisk::TrackArea() const {
    const uint32_t first = m_tracks.empty() ? disk_layout::kFirstTrackSector : m_tracks.front().audioStart;
    return {first, NextFreeSector() - first};
}

bool CVelkDisk::SectorRange::Overlaps(const SectorRange& other) const {
    if (count == 0 || other.count == 0) return false;
    return first < other.End() && other.first < End();
}

void CVelkDisk::ShowReady() { m_job->Ready(); }

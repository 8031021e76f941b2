#include "cli/CardReport.h"

#include <algorithm>

#include "schedule/ScheduleText.h"

void PrintTable(std::ostream& out, const std::vector<std::string>& headings,
                const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& heading : headings) widths.push_back(heading.size());
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (size_t c = 0; c < cells.size(); ++c) {
            text += cells[c];
            if (c + 1 < cells.size()) text += std::string(widths[c] - cells[c].size() + 2, ' ');
        }
        out << text << "\n";
    };
    line(headings);
    for (const auto& row : rows) line(row);
}

void PrintRoutineList(std::ostream& out, const CVelkDisk& disk) {
    std::vector<std::vector<std::string>> rows;
    const auto& tracks = disk.GetTracks();
    for (size_t i = 0; i < tracks.size(); ++i)
        rows.push_back({std::to_string(i), tracks[i].Title(), TrackSizeMbText(tracks[i]),
                        BaudRateText(tracks[i].baudCode), std::to_string(tracks[i].frameMs),
                        ProtocolText(tracks[i].protocolCode)});
    PrintTable(out, {"Track", "Title", "Size (MB)", "Baud Rate (bps)", "Frame Rate (ms)", "Protocol"}, rows);
}

void PrintSchedules(std::ostream& out, const CVelkDisk& disk) {
    std::vector<std::vector<std::string>> rows;
    const auto& schedules = disk.GetSchedules();
    for (size_t i = 0; i < schedules.size(); ++i) {
        std::vector<std::string> row{std::to_string(i), std::to_string(schedules[i].trackIndex)};
        for (const auto& field : kScheduleFields) row.push_back(FormatField(schedules[i].*field.member));
        rows.push_back(std::move(row));
    }
    std::vector<std::string> headings{"Schedule", "Track"};
    for (const auto& field : kScheduleFields) headings.push_back(field.name);
    PrintTable(out, headings, rows);
}

void PrintCard(std::ostream& out, const std::string& device, const CVelkDisk& disk) {
    if (!disk.IsVelkDisk()) {
        out << device << " does not hold a VELK disk (velk3 format makes one).\n";
        return;
    }
    PrintRoutineList(out, disk);
    out << "\nSchedules\n";
    PrintSchedules(out, disk);
}

nlohmann::json CardJson(const std::string& device, const CVelkDisk& disk) {
    nlohmann::json tracks = nlohmann::json::array();
    const auto& list = disk.GetTracks();
    for (size_t i = 0; i < list.size(); ++i) {
        const TrackEntry& t = list[i];
        tracks.push_back({{"track", i},
                          {"title", t.Title()},
                          {"size_mb", TrackSizeMbText(t)},
                          {"baud", BaudRateText(t.baudCode)},
                          {"frame_ms", t.frameMs},
                          {"protocol", ProtocolText(t.protocolCode)},
                          {"baud_code", t.baudCode},
                          {"protocol_code", t.protocolCode},
                          {"audio_start", t.audioStart},
                          {"data_start", t.dataStart},
                          {"end_sector", t.endSector}});
    }
    nlohmann::json schedules = nlohmann::json::array();
    for (const ScheduleEntry& s : disk.GetSchedules())
        schedules.push_back({{"track", s.trackIndex},
                             {"minutes", FormatField(s.minutes)},
                             {"hours", FormatField(s.hours)},
                             {"weekdays", FormatField(s.weekdays)},
                             {"days_of_month", FormatField(s.daysOfMonth)},
                             {"months", FormatField(s.months)}});
    return {{"device", device}, {"velk", disk.IsVelkDisk()}, {"mode", disk.GetMode()},
            {"tracks", tracks},   {"schedules", schedules}};
}

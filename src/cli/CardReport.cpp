#include "cli/CardReport.h"

#include <algorithm>
#include <functional>

#include <nlohmann/json.hpp>

#include "schedule/ScheduleText.h"

namespace {

// Each row is made twice, once for the column widths and once to print it, so that a card's
// million schedules are never all held as text at once.
void PrintRows(std::ostream& out, const std::vector<std::string>& headings, size_t count,
               const std::function<std::vector<std::string>(size_t)>& rowAt) {
    std::vector<size_t> widths;
    for (const auto& heading : headings) widths.push_back(heading.size());
    for (size_t i = 0; i < count; ++i) {
        const std::vector<std::string> row = rowAt(i);
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (size_t c = 0; c < cells.size(); ++c) {
            text += cells[c];
            if (c + 1 < cells.size()) text += std::string(widths[c] - cells[c].size() + 2, ' ');
        }
        out << text << "\n";
    };
    line(headings);
    for (size_t i = 0; i < count; ++i) line(rowAt(i));
}

}  // namespace

void PrintRoutineList(std::ostream& out, const CardListing& card) {
    const auto& tracks = card.tracks;
    PrintRows(out, {kRoutineHeadings.begin(), kRoutineHeadings.end()}, tracks.size(),
              [&tracks](size_t i) { return RoutineRow(i, tracks[i]); });
}

void PrintSchedules(std::ostream& out, const CardListing& card) {
    const auto& schedules = card.schedules;
    std::vector<std::string> headings{"Schedule", "Track"};
    for (const auto& field : kScheduleFields) headings.push_back(field.name);
    PrintRows(out, headings, schedules.size(), [&schedules](size_t i) {
        std::vector<std::string> row{std::to_string(i), std::to_string(schedules[i].trackIndex)};
        for (const auto& field : kScheduleFields) row.push_back(FormatField(schedules[i].*field.member));
        return row;
    });
}

void PrintCard(std::ostream& out, const std::string& device, const CardListing& card) {
    if (!card.velkDisk) {
        out << device << " does not hold a VELK disk (velk3 format makes one).\n";
        return;
    }
    PrintRoutineList(out, card);
    out << "\nSchedules\n";
    PrintSchedules(out, card);
}

namespace {

// A JSON string exactly as the library writes it, invalid UTF-8 replaced.
std::string Quoted(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Writes the members of one object, one a line at the given indent; each value is JSON already.
class CObjectWriter {
public:
    CObjectWriter(std::ostream& out, const char* indent) : m_out(out), m_indent(indent) { m_out << "{"; }
    template <typename Value>
    CObjectWriter& Member(const char* key, const Value& value) {
        m_out << (m_first ? "\n" : ",\n") << m_indent << "  \"" << key << "\": " << value;
        m_first = false;
        return *this;
    }
    void End() { m_out << "\n" << m_indent << "}"; }

private:
    std::ostream& m_out;
    const char* m_indent;
    bool m_first = true;
};

constexpr const char* kElementIndent = "    ";  // an object inside an array inside the document

void WriteTrack(std::ostream& out, size_t index, const TrackEntry& t) {
    CObjectWriter(out, kElementIndent)
        .Member("audio_start", t.audioStart)
        .Member("baud", Quoted(BaudRateText(t.baudCode)))
        .Member("baud_code", unsigned(t.baudCode))
        .Member("data_start", t.dataStart)
        .Member("end_sector", t.endSector)
        .Member("frame_ms", unsigned(t.frameMs))
        .Member("protocol", Quoted(ProtocolText(t.protocolCode)))
        .Member("protocol_code", unsigned(t.protocolCode))
        .Member("size_mb", Quoted(TrackSizeMbText(t)))
        .Member("title", Quoted(t.Title()))
        .Member("track", index)
        .End();
}

void WriteSchedule(std::ostream& out, const ScheduleEntry& s) {
    CObjectWriter(out, kElementIndent)
        .Member("days_of_month", Quoted(FormatField(s.daysOfMonth)))
        .Member("hours", Quoted(FormatField(s.hours)))
        .Member("minutes", Quoted(FormatField(s.minutes)))
        .Member("months", Quoted(FormatField(s.months)))
        .Member("track", s.trackIndex)
        .Member("weekdays", Quoted(FormatField(s.weekdays)))
        .End();
}

// "[]" when empty, else one element a line.
template <typename List, typename WriteElement>
void WriteArray(std::ostream& out, const List& list, WriteElement writeElement) {
    if (list.empty()) {
        out << "[]";
        return;
    }
    out << "[";
    for (size_t i = 0; i < list.size(); ++i) {
        out << (i ? ",\n" : "\n") << kElementIndent;
        writeElement(i, list[i]);
    }
    out << "\n  ]";
}

}  // namespace

void WriteCardJson(std::ostream& out, const std::string& device, const CardListing& card) {
    out << "{\n  \"device\": " << Quoted(device) << ",\n  \"mode\": " << card.mode << ",\n  \"schedules\": ";
    WriteArray(out, card.schedules, [&out](size_t, const ScheduleEntry& s) { WriteSchedule(out, s); });
    out << ",\n  \"tracks\": ";
    WriteArray(out, card.tracks, [&out](size_t i, const TrackEntry& t) { WriteTrack(out, i, t); });
    out << ",\n  \"velk\": " << (card.velkDisk ? "true" : "false") << "\n}";
}

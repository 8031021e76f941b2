#include "cli/CardReport.h"

#include <algorithm>
#include <functional>

#include "cli/JsonWriter.h"
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
        text.erase(text.find_last_not_of(' ') + 1);  // an empty last cell leaves no blanks behind
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

void PrintSchedules(std::ostream& out, const CardListing& card, const std::vector<ScheduleNote>* notes) {
    const auto& schedules = card.schedules;
    std::vector<std::string> headings{"Schedule", "Track"};
    for (const auto& field : kScheduleFields) headings.push_back(field.name);
    if (notes) headings.push_back("Notes");
    PrintRows(out, headings, schedules.size(), [&schedules, notes](size_t i) {
        std::vector<std::string> row{std::to_string(i), std::to_string(schedules[i].trackIndex)};
        for (const auto& field : kScheduleFields) row.push_back(FormatField(schedules[i].*field.member));
        if (notes) row.push_back(NoteText((*notes)[i]));
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

std::string IndexList(const std::vector<size_t>& indexes) {
    std::string text = "[";
    for (size_t i : indexes) text += (text.size() > 1 ? ", " : "") + std::to_string(i);
    return text + "]";
}

// With a note, its fields join the schedule's, in the same alphabetical order.
void WriteSchedule(std::ostream& out, const ScheduleEntry& s, const ScheduleNote* note = nullptr) {
    CObjectWriter object(out, kElementIndent);
    object.Member("days_of_month", Quoted(FormatField(s.daysOfMonth)))
        .Member("hours", Quoted(FormatField(s.hours)))
        .Member("minutes", Quoted(FormatField(s.minutes)))
        .Member("months", Quoted(FormatField(s.months)));
    if (note)
        object.Member("never_plays", JsonBool(note->neverPlays))
            .Member("no_such_routine", JsonBool(note->noSuchRoutine))
            .Member("same_minute", IndexList(note->sameMinute))
            .Member("same_minute_count", note->sameMinuteCount);
    object.Member("track", s.trackIndex).Member("weekdays", Quoted(FormatField(s.weekdays))).End();
}

}  // namespace

void WriteCardJson(std::ostream& to, const std::string& device, const CardListing& card) {
    CChunkedOutput chunks(to);
    std::ostream& out = chunks.Stream();
    out << "{\n  \"device\": " << Quoted(device) << ",\n  \"mode\": " << card.mode << ",\n  \"schedules\": ";
    WriteArray(out, card.schedules, [&](size_t, const ScheduleEntry& s) {
        WriteSchedule(out, s);
        chunks.FlushWhenFull();
    });
    out << ",\n  \"tracks\": ";
    WriteArray(out, card.tracks, [&](size_t i, const TrackEntry& t) {
        WriteTrack(out, i, t);
        chunks.FlushWhenFull();
    });
    out << ",\n  \"velk\": " << JsonBool(card.velkDisk) << "\n}";
}

void WriteSchedulesJson(std::ostream& out, const std::vector<ScheduleEntry>& schedules,
                        const std::vector<ScheduleNote>& notes) {
    out << "{\n  \"schedules\": ";
    WriteArray(out, schedules, [&out, &notes](size_t i, const ScheduleEntry& s) { WriteSchedule(out, s, &notes[i]); });
    out << "\n}";
}

#include "cli/PlaysReport.h"

#include "cli/JsonWriter.h"

void PrintPlays(std::ostream& out, const std::vector<SchedulePlay>& plays) {
    for (const SchedulePlay& play : plays)
        out << FormatLocalMinute(play.time) << "  track " << play.track << "  " << play.title << "  (schedule "
            << play.schedule << ")\n";
}

void WritePlaysJson(std::ostream& out, const std::vector<SchedulePlay>& plays) {
    out << "{\n  \"plays\": ";
    WriteArray(out, plays, [&out](size_t, const SchedulePlay& play) {
        CObjectWriter(out, kElementIndent)
            .Member("time", Quoted(FormatLocalMinute(play.time, 'T')))
            .Member("track", play.track)
            .Member("title", Quoted(play.title))
            .Member("schedule", play.schedule)
            .End();
    });
    out << "\n}";
}

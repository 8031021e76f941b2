#include "schedule/ScheduleNotes.h"

#include <algorithm>
#include <map>

#include "platform/Translatable.h"
#include "schedule/ScheduleMatch.h"

namespace note_text {
inline constexpr const char* kNeverPlays = VELK3_TRANSLATE_NOOP("velk3core", "never plays");
inline constexpr const char* kNoSuchRoutine = VELK3_TRANSLATE_NOOP("velk3core", "no such routine");
inline constexpr const char* kSameMinuteOne = VELK3_TRANSLATE_NOOP("velk3core", "same minute as schedule %1");
inline constexpr const char* kSameMinuteMany = VELK3_TRANSLATE_NOOP("velk3core", "same minute as schedules %1");
inline constexpr const char* kSameMinuteMore =
    VELK3_TRANSLATE_NOOP("velk3core", "same minute as schedules %1 and %2 more");
inline constexpr const char* kSeparator = "; ";
}  // namespace note_text

namespace {

// Schedules with the same masks: one comparison stands for all of their pairs.
struct MaskGroup {
    ScheduleMasks masks;
    std::vector<size_t> members;  // ascending
    bool playsSoon = false;       // within the horizon
    std::vector<size_t> sharing;  // the other groups it shares a minute with
};

std::vector<MaskGroup> GroupPlayable(const std::vector<ScheduleEntry>& schedules, size_t trackCount,
                                     std::vector<ScheduleNote>& notes) {
    std::vector<MaskGroup> groups;
    std::map<ScheduleMasks, size_t> groupOf;
    for (size_t i = 0; i < schedules.size(); ++i) {
        const ScheduleMasks masks = ScheduleMasks::Of(schedules[i]);
        notes[i].neverPlays = !masks.CanEverPlay();
        notes[i].noSuchRoutine = schedules[i].trackIndex >= trackCount;
        if (notes[i].neverPlays || notes[i].noSuchRoutine) continue;
        const auto [at, added] = groupOf.try_emplace(masks, groups.size());
        if (added) groups.push_back({masks, {}, false, {}});
        groups[at->second].members.push_back(i);
    }
    return groups;
}

void FindSharing(std::vector<MaskGroup>& groups, LocalMinute from, LocalMinute before) {
    for (MaskGroup& group : groups) group.playsSoon = FirstPlay(group.masks, from, before).has_value();
    for (size_t a = 0; a < groups.size(); ++a) {
        if (!groups[a].playsSoon) continue;
        for (size_t b = a + 1; b < groups.size(); ++b) {
            if (!groups[b].playsSoon || !FirstPlay(groups[a].masks & groups[b].masks, from, before)) continue;
            groups[a].sharing.push_back(b);
            groups[b].sharing.push_back(a);
        }
    }
}

// The group's members and those of the groups it shares with: how many, and the first ones.
void NoteGroup(const std::vector<MaskGroup>& groups, const MaskGroup& group, std::vector<ScheduleNote>& notes) {
    const size_t wanted = ScheduleNote::kNamedSameMinute + 1;  // one more: a member skips itself
    std::vector<size_t> first;
    size_t total = 0;
    auto take = [&](const MaskGroup& from) {
        total += from.members.size();
        first.insert(first.end(), from.members.begin(), from.members.begin() + long(std::min(wanted, from.members.size())));
    };
    take(group);
    for (size_t other : group.sharing) take(groups[other]);
    std::sort(first.begin(), first.end());
    if (first.size() > wanted) first.resize(wanted);
    for (size_t member : group.members) {
        ScheduleNote& note = notes[member];
        note.sameMinuteCount = total - 1;
        for (size_t other : first)
            if (other != member && note.sameMinute.size() < ScheduleNote::kNamedSameMinute) note.sameMinute.push_back(other);
    }
}

std::string Filled(std::string text, const std::string& first, const std::string& second = {}) {
    for (const auto& [mark, value] : {std::pair<const char*, const std::string&>{"%1", first}, {"%2", second}})
        if (const size_t at = text.find(mark); at != std::string::npos) text.replace(at, 2, value);
    return text;
}

std::string SameMinuteText(const ScheduleNote& note, const NoteTranslator& translate) {
    std::string named;
    for (size_t other : note.sameMinute) named += (named.empty() ? "" : ", ") + std::to_string(other);
    if (note.sameMinuteCount == 1) return Filled(translate(note_text::kSameMinuteOne), named);
    if (note.sameMinuteCount == note.sameMinute.size()) return Filled(translate(note_text::kSameMinuteMany), named);
    return Filled(translate(note_text::kSameMinuteMore), named, std::to_string(note.sameMinuteCount - note.sameMinute.size()));
}

}  // namespace

std::vector<ScheduleNote> ScheduleNotes(const std::vector<ScheduleEntry>& schedules, size_t trackCount,
                                        LocalMinute from) {
    std::vector<ScheduleNote> notes(schedules.size());
    std::vector<MaskGroup> groups = GroupPlayable(schedules, trackCount, notes);
    FindSharing(groups, from, from + std::chrono::duration_cast<std::chrono::minutes>(kSameMinuteHorizon));
    for (const MaskGroup& group : groups)
        if (group.playsSoon) NoteGroup(groups, group, notes);
    return notes;
}

std::string NoteText(const ScheduleNote& note, const NoteTranslator& translate) {
    const NoteTranslator asIs = [](const char* text) { return std::string(text); };
    const NoteTranslator& tr = translate ? translate : asIs;
    std::vector<std::string> parts;
    if (note.neverPlays) parts.push_back(tr(note_text::kNeverPlays));
    if (note.noSuchRoutine) parts.push_back(tr(note_text::kNoSuchRoutine));
    if (note.sameMinuteCount > 0) parts.push_back(SameMinuteText(note, tr));
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : note_text::kSeparator) + part;
    return text;
}

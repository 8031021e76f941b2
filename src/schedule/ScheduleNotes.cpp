#include "schedule/ScheduleNotes.h"

#include <algorithm>
#include <array>
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

// The days from the horizon's first to its last as bits: the days a schedule plays on. Two
// schedules whose hours and minutes meet share a minute on every day both play on, except that the
// horizon covers its first and last day only in part: a meeting on those alone is checked exactly.
class CHorizonDays {
public:
    static constexpr size_t kWords = 6;
    using Days = std::array<uint64_t, kWords>;
    enum class Overlap { None, WholeDay, EdgeDay };

    CHorizonDays(LocalMinute from, LocalMinute before) {
        using namespace std::chrono;
        const local_days first = floor<days>(from), last = floor<days>(before - minutes(1));
        for (local_days day = first; day <= last && m_days.size() < kWords * 64; day += days(1)) {
            const year_month_day date(day);
            m_days.push_back({uint8_t(unsigned(date.month())), uint8_t(unsigned(date.day())),
                              uint8_t(weekday(day).c_encoding() + 1)});
        }
    }

    Days Of(const ScheduleMasks& masks) const {
        Days bits{};
        for (size_t d = 0; d < m_days.size(); ++d) {
            const DayFacts& day = m_days[d];
            if ((masks.months >> day.month & 1) && (masks.days >> day.day & 1) && (masks.weekdays >> day.weekday & 1))
                bits[d / 64] |= uint64_t(1) << (d % 64);
        }
        return bits;
    }

    Overlap Common(const Days& a, const Days& b) const {
        const size_t last = m_days.size() - 1;
        bool edge = false, whole = false;
        for (size_t w = 0; w < kWords; ++w) {
            uint64_t both = a[w] & b[w];
            for (size_t d : {size_t(0), last})
                if (d / 64 == w && (both >> (d % 64) & 1)) {
                    edge = true;
                    both &= ~(uint64_t(1) << (d % 64));
                }
            whole = whole || both != 0;
        }
        return whole ? Overlap::WholeDay : edge ? Overlap::EdgeDay : Overlap::None;
    }

private:
    struct DayFacts {
        uint8_t month, day, weekday;
    };
    std::vector<DayFacts> m_days;
};
static_assert(std::chrono::days(CHorizonDays::kWords * 64 - 2) >= kSameMinuteHorizon, "a year and its two part days");

// Schedules with the same masks: one comparison stands for all of their pairs.
struct MaskGroup {
    ScheduleMasks masks;
    std::vector<size_t> members;  // ascending
    bool playsSoon = false;       // within the horizon
    CHorizonDays::Days days{};
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
        if (added) groups.push_back({masks, {}, false, {}, {}});
        groups[at->second].members.push_back(i);
    }
    return groups;
}

bool ShareAMinute(const MaskGroup& a, const MaskGroup& b, const CHorizonDays& horizon, LocalMinute from,
                  LocalMinute before) {
    if (!(a.masks.minutes & b.masks.minutes) || !(a.masks.hours & b.masks.hours)) return false;
    switch (horizon.Common(a.days, b.days)) {
        case CHorizonDays::Overlap::WholeDay: return true;
        case CHorizonDays::Overlap::EdgeDay: return FirstPlay(a.masks & b.masks, from, before).has_value();
        case CHorizonDays::Overlap::None: break;
    }
    return false;
}

void FindSharing(std::vector<MaskGroup>& groups, LocalMinute from, LocalMinute before) {
    const CHorizonDays horizon(from, before);
    for (MaskGroup& group : groups) {
        group.playsSoon = FirstPlay(group.masks, from, before).has_value();
        group.days = horizon.Of(group.masks);
    }
    for (size_t a = 0; a < groups.size(); ++a) {
        if (!groups[a].playsSoon) continue;
        for (size_t b = a + 1; b < groups.size(); ++b) {
            if (!groups[b].playsSoon || !ShareAMinute(groups[a], groups[b], horizon, from, before)) continue;
            groups[a].sharing.push_back(b);
            groups[b].sharing.push_back(a);
        }
    }
}

// The group's members and those of the groups it shares with: how many, and the first ones.
void NoteGroup(const std::vector<MaskGroup>& groups, const MaskGroup& group, std::vector<ScheduleNote>& notes) {
    const size_t wanted = ScheduleNote::kNamedSameMinute + 1;  // one more: a member skips itself
    std::vector<size_t> first;                                 // ascending, at most `wanted`
    size_t total = 0;
    auto take = [&](const MaskGroup& from) {
        total += from.members.size();
        for (size_t member : from.members) {
            if (first.size() == wanted && member > first.back()) break;  // members ascend
            first.insert(std::upper_bound(first.begin(), first.end(), member), member);
            if (first.size() > wanted) first.pop_back();
        }
    };
    take(group);
    for (size_t other : group.sharing) take(groups[other]);
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

// velk3 schedules DEVICE [add | set INDEX | remove INDEX | next]: the schedule editor without a
// window, and what the schedules will play. Every change is written with WriteTable, as the window
// does after its schedule dialog.
#include <iostream>
#include <optional>

#include "cli/CardReport.h"
#include "cli/CliContext.h"
#include "cli/PlaysReport.h"
#include "platform/Exceptions.h"
#include "schedule/ScheduleText.h"

namespace {

enum class ScheduleAction { List, Add, Set, Remove, Next };

constexpr size_t kDefaultPlays = 10;
// A play costs a few dozen bytes until it is printed; a million stays well within memory.
constexpr size_t kMostPlays = 1000000;

struct ScheduleEdit {
    std::string device;
    ScheduleAction action = ScheduleAction::List;
    int index = 0;
    std::optional<int> track;
    // Field texts in the order of kScheduleFields; unset fields keep their value.
    std::optional<std::string> fields[std::size(kScheduleFields)];
    bool json = false;
    // next: the texts of --from and --count, checked before the card is opened.
    std::optional<std::string> from;
    std::optional<std::string> count;
};

void ApplyFields(const ScheduleEdit& edit, ScheduleEntry& entry, size_t trackCount) {
    if (edit.track) entry.trackIndex = ClampTrackIndex(*edit.track, trackCount);
    for (size_t f = 0; f < std::size(kScheduleFields); ++f)
        if (edit.fields[f])
            ParseField(entry.*kScheduleFields[f].member, *edit.fields[f], kScheduleFields[f].minimum,
                       kScheduleFields[f].maximum);
}

size_t CheckIndex(int index, const std::vector<ScheduleEntry>& schedules) {
    if (index < 0 || size_t(index) >= schedules.size())
        throw CUsageError("There is no schedule " + std::to_string(index) + " (the card has " +
                          std::to_string(schedules.size()) + ")");
    return size_t(index);
}

// The schedules after the edit; none for a listing, which writes nothing.
std::optional<std::vector<ScheduleEntry>> Edited(const ScheduleEdit& edit, std::vector<ScheduleEntry> schedules,
                                                 size_t trackCount) {
    if (edit.action == ScheduleAction::List || edit.action == ScheduleAction::Next) return std::nullopt;
    if (edit.action == ScheduleAction::Remove) {
        schedules.erase(schedules.begin() + long(CheckIndex(edit.index, schedules)));
        return schedules;
    }
    if (edit.action == ScheduleAction::Add) schedules.emplace_back();
    ScheduleEntry& entry =
        edit.action == ScheduleAction::Add ? schedules.back() : schedules[CheckIndex(edit.index, schedules)];
    ApplyFields(edit, entry, trackCount);
    return schedules;
}

LocalMinute Now() { return ToLocalMinute(SystemLocalTime()); }

std::optional<LocalMinute> PlaysFrom(const ScheduleEdit& edit) {
    if (!edit.from) return std::nullopt;
    if (const auto minute = ParseLocalMinute(*edit.from)) return minute;
    throw CUsageError("--from wants a local date and time as \"YYYY-MM-DD HH:MM\", not \"" + *edit.from + "\"");
}

size_t PlaysCount(const ScheduleEdit& edit) {
    if (!edit.count) return kDefaultPlays;
    const std::string& text = *edit.count;
    size_t count = 0;
    bool digits = !text.empty() && text.size() <= 7;
    for (char c : text) digits = digits && c >= '0' && c <= '9';
    if (digits) count = std::stoul(text);
    if (count < 1 || count > kMostPlays)
        throw CUsageError("--count wants a whole number from 1 to " + std::to_string(kMostPlays) + ", not \"" + text + "\"");
    return count;
}

void ShowSchedules(const ScheduleEdit& edit, const CardListing& card) {
    const std::vector<ScheduleNote> notes = ScheduleNotes(card.schedules, card.tracks.size(), Now());
    if (edit.json) {
        WriteSchedulesJson(std::cout, card.schedules, notes);
        std::cout << "\n";
    } else {
        PrintSchedules(std::cout, card, &notes);
    }
}

int ShowNextPlays(const ScheduleEdit& edit, const CliContext& context) {
    const std::optional<LocalMinute> from = PlaysFrom(edit);
    const size_t count = PlaysCount(edit);
    const CardListing card = job::EditSchedules(context.Job(edit.device), [](const auto&, const auto&) {
        return std::optional<std::vector<ScheduleEntry>>();
    }, DeviceAccess::Read);
    const std::vector<SchedulePlay> plays = NextPlays(card.schedules, card.tracks, from.value_or(Now()), count);
    if (edit.json) {
        WritePlaysJson(std::cout, plays);
        std::cout << "\n";
    } else {
        PrintPlays(std::cout, plays);
        if (plays.empty()) std::cerr << "No schedule plays in the next " << kPlayHorizon.count() << " years.\n";
    }
    return 0;
}

int EditSchedules(const ScheduleEdit& edit, const CliContext& context) {
    if (edit.action == ScheduleAction::Next) return ShowNextPlays(edit, context);
    const auto editor = [&edit](const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks) {
        return Edited(edit, schedules, tracks.size());
    };
    const DeviceAccess access = edit.action == ScheduleAction::List ? DeviceAccess::Read : DeviceAccess::ReadWrite;
    ShowSchedules(edit, job::EditSchedules(context.Job(edit.device), editor, access));
    return 0;
}

void AddFieldOptions(CLI::App& command, ScheduleEdit& edit) {
    command.add_option("--track", edit.track, "Track index (pulled into the card's range)");
    const char* names[] = {"--minutes", "--hours", "--weekdays", "--days", "--months"};
    static_assert(std::size(names) == std::size(kScheduleFields));
    for (size_t f = 0; f < std::size(kScheduleFields); ++f)
        command.add_option(names[f], edit.fields[f],
                           std::string(kScheduleFields[f].name) + ": values separated by commas, * for every value");
}

}  // namespace

void RegisterSchedulesCommand(CLI::App& app, CliContext& context) {
    auto edit = std::make_shared<ScheduleEdit>();
    auto* command = app.add_subcommand("schedules", "Show or edit the schedules on a card");
    AddDeviceArgument(*command, edit->device);
    command->add_flag("--json", edit->json, "Print JSON");

    auto* add = command->add_subcommand("add", "Add a schedule (track 0, every value, unless given)");
    AddFieldOptions(*add, *edit);
    add->callback([edit] { edit->action = ScheduleAction::Add; });

    auto* set = command->add_subcommand("set", "Change fields of a schedule");
    set->add_option("INDEX", edit->index, "Schedule number as listed")->required();
    AddFieldOptions(*set, *edit);
    set->callback([edit] { edit->action = ScheduleAction::Set; });

    auto* remove = command->add_subcommand("remove", "Remove a schedule");
    remove->add_option("INDEX", edit->index, "Schedule number as listed")->required();
    remove->callback([edit] { edit->action = ScheduleAction::Remove; });

    auto* next = command->add_subcommand("next", "Show the coming plays of the schedules");
    next->add_option("--from", edit->from, "Local date and time to start from, \"YYYY-MM-DD HH:MM\" (default: now)");
    next->add_option("--count", edit->count, "How many plays (default: 10)");
    next->add_flag("--json", edit->json, "Print JSON");
    next->callback([edit] { edit->action = ScheduleAction::Next; });

    command->final_callback([&context, edit] { context.run = [&context, edit] { return EditSchedules(*edit, context); }; });
}

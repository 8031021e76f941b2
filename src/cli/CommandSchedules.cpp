// velk3 schedules DEVICE [add | set INDEX | remove INDEX]: the schedule editor without a window.
// Every change is written with WriteTable, as the window does after its schedule dialog.
#include <iostream>
#include <optional>

#include "cli/CardReport.h"
#include "cli/CliContext.h"
#include "platform/Exceptions.h"
#include "schedule/ScheduleText.h"

namespace {

enum class ScheduleAction { List, Add, Set, Remove };

struct ScheduleEdit {
    std::string device;
    ScheduleAction action = ScheduleAction::List;
    int index = 0;
    std::optional<int> track;
    // Field texts in the order of kScheduleFields; unset fields keep their value.
    std::optional<std::string> fields[std::size(kScheduleFields)];
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
    if (edit.action == ScheduleAction::List) return std::nullopt;
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

int EditSchedules(const ScheduleEdit& edit, const CliContext& context) {
    const auto editor = [&edit](const std::vector<ScheduleEntry>& schedules, size_t trackCount) {
        return Edited(edit, schedules, trackCount);
    };
    const DeviceAccess access = edit.action == ScheduleAction::List ? DeviceAccess::Read : DeviceAccess::ReadWrite;
    PrintSchedules(std::cout, job::EditSchedules(context.Job(edit.device), editor, access));
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

    command->final_callback([&context, edit] { context.run = [&context, edit] { return EditSchedules(*edit, context); }; });
}

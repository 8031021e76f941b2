// velk3 remove, move, replace, rename and export: the routines of a card edited one at a time, as
// the window's routine list does, with its questions; and a routine saved back as a routine file.
#include <iostream>

#include "cli/CardReport.h"
#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "operations/EditJobs.h"
#include "operations/ExportJob.h"

namespace {

struct EditArguments {
    std::string device;
    size_t track = 0;  // TRACK or FROM
    size_t to = 0;
    std::string text;  // FILE, TITLE or OUT
    bool noVerify = false;
};

using EditAction = std::optional<EditedCard> (*)(const JobContext&, const EditArguments&);

int RunEdit(const EditArguments& arguments, const CliContext& context, EditAction action) {
    EditedCard edited;
    {
        CTerminalProgress progress;
        JobContext job = context.Job(arguments.device, &progress);
        job.verifyWrites = !arguments.noVerify;
        edited = RequireDone(action(job, arguments));
    }
    PrintCard(std::cout, arguments.device, edited.card);
    return 0;
}

int Export(const EditArguments& arguments, const CliContext& context) {
    RoutineHeader header;
    {
        CTerminalProgress progress;
        header = RequireDone(job::ExportRoutine(context.Job(arguments.device, &progress), arguments.track, arguments.text));
    }
    std::cout << arguments.text << ": \"" << header.Title() << "\", audio " << header.audioBytes << " bytes (MP3), data "
              << header.dataBytes << " bytes\n";
    return 0;
}

constexpr const char* kTrackHelp = "The routine's track number, as velk3 list shows it";

// A track number as the list shows it: digits only (a size_t would take "-1" as a huge number), and
// few enough of them to stay a number (a card holds at most 65533 routines).
constexpr size_t kMaxTrackDigits = 9;
const CLI::Validator kTrackNumber(
    [](std::string& text) {
        const bool digits = !text.empty() && text.size() <= kMaxTrackDigits &&
                            text.find_first_not_of("0123456789") == std::string::npos;
        return digits ? std::string() : "a track number is 0, 1, 2 and so on, as velk3 list shows them: " + text;
    },
    "NUMBER");

// The argument an edit takes after its track number.
enum class Second { None, Place, File, Title };

struct EditCommand {
    const char* name;
    const char* help;
    const char* track;  // the name of its track argument
    Second second;
    EditAction action;
};

const EditCommand kEditCommands[] = {
    {"remove", "Remove a routine and its schedules; later routines move down", "TRACK", Second::None,
     [](const JobContext& c, const EditArguments& a) { return job::RemoveRoutine(c, a.track); }},
    {"move", "Put routine FROM at place TO; its schedules follow it", "FROM", Second::Place,
     [](const JobContext& c, const EditArguments& a) { return job::MoveRoutine(c, a.track, a.to); }},
    {"replace", "Replace a routine by a .velk routine file, keeping its schedules", "TRACK", Second::File,
     [](const JobContext& c, const EditArguments& a) { return job::ReplaceRoutine(c, a.track, a.text); }},
    {"rename", "Give a routine a new title (only the tables are written)", "TRACK", Second::Title,
     [](const JobContext& c, const EditArguments& a) { return job::RenameRoutine(c, a.track, a.text); }},
};

void AddSecond(CLI::App& command, Second second, EditArguments& arguments) {
    switch (second) {
        case Second::None: break;
        case Second::Place:
            command.add_option("TO", arguments.to, "The place it goes to, numbered as the tracks are")
                ->required()
                ->check(kTrackNumber);
            break;
        case Second::File:
            command.add_option("FILE", arguments.text, "Routine file (.velk, version 3)")->required()->check(CLI::ExistingFile);
            break;
        case Second::Title: command.add_option("TITLE", arguments.text, "The new title, at most 15 bytes")->required(); break;
    }
}

void AddEditCommand(CLI::App& app, CliContext& context, const EditCommand& edit) {
    auto arguments = std::make_shared<EditArguments>();
    auto* command = app.add_subcommand(edit.name, edit.help);
    AddDeviceArgument(*command, arguments->device);
    command->add_option(edit.track, arguments->track, kTrackHelp)->required()->check(kTrackNumber);
    AddSecond(*command, edit.second, *arguments);
    command->add_flag("--no-verify", arguments->noVerify,
                      "Do not read back what was written (faster; a card that loses writes goes unnoticed)");
    const EditAction action = edit.action;
    command->callback([&context, arguments, action] {
        context.run = [&context, arguments, action] { return RunEdit(*arguments, context, action); };
    });
}

}  // namespace

void RegisterEditCommands(CLI::App& app, CliContext& context) {
    for (const EditCommand& edit : kEditCommands) AddEditCommand(app, context, edit);

    auto exported = std::make_shared<EditArguments>();
    auto* exportCommand = app.add_subcommand("export", "Save a routine of a card as a .velk routine file");
    AddDeviceArgument(*exportCommand, exported->device);
    exportCommand->add_option("TRACK", exported->track, kTrackHelp)->required()->check(kTrackNumber);
    exportCommand->add_option("OUT", exported->text, "The routine file to write (.velk)")->required();
    exportCommand->callback([&context, exported] { context.run = [&context, exported] { return Export(*exported, context); }; });
}

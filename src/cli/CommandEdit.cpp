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

using EditAction = JobOutcome (*)(const JobContext&, const EditArguments&, EditedCard&);

int RunEdit(const EditArguments& arguments, const CliContext& context, EditAction action) {
    EditedCard edited;
    {
        CTerminalProgress progress;
        JobContext job = context.Job(arguments.device, &progress);
        job.verifyWrites = !arguments.noVerify;
        RequireDone(action(job, arguments, edited));
    }
    PrintCard(std::cout, arguments.device, edited.card);
    return 0;
}

int Export(const EditArguments& arguments, const CliContext& context) {
    RoutineHeader header;
    {
        CTerminalProgress progress;
        RequireDone(job::ExportRoutine(context.Job(arguments.device, &progress), arguments.track, arguments.text, &header));
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

CLI::App* AddEditCommand(CLI::App& app, CliContext& context, const char* name, const char* help, EditAction action,
                         const std::shared_ptr<EditArguments>& arguments, const char* track = "TRACK") {
    auto* command = app.add_subcommand(name, help);
    AddDeviceArgument(*command, arguments->device);
    command->add_option(track, arguments->track, kTrackHelp)->required()->check(kTrackNumber);
    command->callback([&context, arguments, action] {
        context.run = [&context, arguments, action] { return RunEdit(*arguments, context, action); };
    });
    return command;
}

void AddNoVerify(CLI::App& command, EditArguments& arguments) {
    command.add_flag("--no-verify", arguments.noVerify,
                     "Do not read back what was written (faster; a card that loses writes goes unnoticed)");
}

}  // namespace

void RegisterEditCommands(CLI::App& app, CliContext& context) {
    auto removed = std::make_shared<EditArguments>();
    AddNoVerify(*AddEditCommand(app, context, "remove", "Remove a routine and its schedules; later routines move down",
                                [](const JobContext& c, const EditArguments& a, EditedCard& e) {
                                    return job::RemoveRoutine(c, a.track, &e);
                                },
                                removed),
                *removed);

    auto moved = std::make_shared<EditArguments>();
    auto* move = AddEditCommand(app, context, "move", "Put routine FROM at place TO; its schedules follow it",
                                [](const JobContext& c, const EditArguments& a, EditedCard& e) {
                                    return job::MoveRoutine(c, a.track, a.to, &e);
                                },
                                moved, "FROM");
    move->add_option("TO", moved->to, "The place it goes to, numbered as the tracks are")
        ->required()
        ->check(kTrackNumber);
    AddNoVerify(*move, *moved);

    auto replaced = std::make_shared<EditArguments>();
    auto* replace = AddEditCommand(app, context, "replace", "Replace a routine by a .velk routine file, keeping its schedules",
                                   [](const JobContext& c, const EditArguments& a, EditedCard& e) {
                                       return job::ReplaceRoutine(c, a.track, a.text, &e);
                                   },
                                   replaced);
    replace->add_option("FILE", replaced->text, "Routine file (.velk, version 3)")->required()->check(CLI::ExistingFile);
    AddNoVerify(*replace, *replaced);

    auto renamed = std::make_shared<EditArguments>();
    auto* rename = AddEditCommand(app, context, "rename", "Give a routine a new title (only the tables are written)",
                                  [](const JobContext& c, const EditArguments& a, EditedCard& e) {
                                      return job::RenameRoutine(c, a.track, a.text, &e);
                                  },
                                  renamed);
    rename->add_option("TITLE", renamed->text, "The new title, at most 15 bytes")->required();
    AddNoVerify(*rename, *renamed);

    auto exported = std::make_shared<EditArguments>();
    auto* exportCommand = app.add_subcommand("export", "Save a routine of a card as a .velk routine file");
    AddDeviceArgument(*exportCommand, exported->device);
    exportCommand->add_option("TRACK", exported->track, kTrackHelp)->required()->check(kTrackNumber);
    exportCommand->add_option("OUT", exported->text, "The routine file to write (.velk)")->required();
    exportCommand->callback([&context, exported] { context.run = [&context, exported] { return Export(*exported, context); }; });
}

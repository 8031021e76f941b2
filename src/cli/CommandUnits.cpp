// velk3 units: a client of velk3-manager's listing mode. Creates the list rendezvous, starts the
// listing and prints the labels of the attached units, one a line.
#include <cstring>
#include <iostream>
#include <tuple>

#include "cli/CliContext.h"
#include "cli/ManagerProcess.h"
#include "platform/NamedObjects.h"
#include "platform/TextFormat.h"
#include "server/RelayProtocol.h"

namespace {

using std::chrono::milliseconds;

// Room for the 1024 bytes of labels, the label that passes them and the final zero byte.
constexpr size_t kListAreaSize = 4096;

std::vector<std::string> ReadLabels(const uint8_t* area, size_t size) {
    std::vector<std::string> labels;
    size_t position = 0;
    while (position < size && area[position] != 0) {
        const void* end = std::memchr(area + position, 0, size - position);
        if (!end) break;  // an unterminated label is not trusted
        const size_t length = size_t(static_cast<const uint8_t*>(end) - (area + position));
        labels.emplace_back(reinterpret_cast<const char*>(area + position), length);
        position += length + 1;
    }
    return labels;
}

// The objects are removed and the listing stopped on SIGINT, SIGTERM and SIGHUP as well.
int RunUnits(int timeoutMs, const std::stop_token& stop) {
    if (timeoutMs <= 0) throw CUsageError("--timeout-ms must be positive");
    CNamedEvent start, done;
    CFileMapping area;
    for (auto [ok, object, error] :
         {std::tuple{start.Create(list_objects::kStartEvent), list_objects::kStartEvent, start.LastError()},
          std::tuple{done.Create(list_objects::kDoneEvent), list_objects::kDoneEvent, done.LastError()},
          std::tuple{area.Create(list_objects::kSharedMem, kListAreaSize) && area.Map(), list_objects::kSharedMem,
                     area.LastError()}}) {
        if (!ok)
            throw std::runtime_error(StringPrintf("Could not create %s in %s (%s)%s", object,
                                                  named_objects::ObjectDirectory().c_str(), named_objects::ErrorText(error).c_str(),
                                                  error == EEXIST ? ": is another listing running?" : ""));
    }
    CManagerProcess manager;
    manager.Start({"-listdevices"});
    const EventWait result = WaitWhileRunning(done, manager, milliseconds(timeoutMs), stop);
    if (result == EventWait::Interrupted) {
        manager.Stop(milliseconds(timeoutMs));
        std::cerr << "Interrupted: the listing was stopped.\n";
        return 1;
    }
    if (result != EventWait::Set) {
        const bool started = start.IsSet();
        const std::optional<int> status = manager.Finish(milliseconds(result == EventWait::ProcessEnded ? 1000 : 0));
        std::cerr << (result == EventWait::ProcessEnded
                          ? (started ? "velk3-manager ended before it finished the list ("
                                     : "velk3-manager did not list the units (")
                          : "The listing did not finish in time (")
                  << DescribeStatus(status) << ").\n";
        return 1;
    }
    const auto labels = ReadLabels(area.View(), area.Size());
    for (const auto& label : labels) std::cout << label << "\n";
    if (labels.empty()) std::cerr << "No unit was found.\n";
    const std::optional<int> status = manager.Finish(milliseconds(timeoutMs));
    if (status != 0) {
        std::cerr << "velk3-manager did not end in order (" << DescribeStatus(status) << ").\n";
        return 1;
    }
    return 0;
}

}  // namespace

void RegisterUnitsCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("units", "List the attached units through velk3-manager's listing mode");
    auto timeoutMs = std::make_shared<int>(30000);
    command->add_option("--timeout-ms", *timeoutMs, "Longest wait for the list (default 30000)");
    command->callback([&context, timeoutMs] { context.run = [&context, timeoutMs] { return RunUnits(*timeoutMs, context.stop); }; });
}

// velk3 relay NAME BAUD --data FILE: a client of velk3-manager's server mode. Creates the
// rendezvous, starts the relay, hands the file over block by block, then signals quit and reports
// the blocks sent and the round-trip latency of each handshake.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <iostream>
#include <optional>
#include <thread>

#include "cli/CliContext.h"
#include "cli/ManagerProcess.h"
#include "platform/ByteOrder.h"
#include "platform/NamedObjects.h"
#include "platform/RegularFile.h"
#include "platform/TextFormat.h"
#include "server/RelayProtocol.h"

namespace {

using std::chrono::milliseconds;

constexpr size_t kMostDataBytes = size_t(1) << 30;  // the data file is held in memory whole

struct RelayOptions {
    std::string name;
    std::string baud;  // passed on as typed: the relay judges it
    std::string dataPath;
    int blockBytes = 64;
    int periodMs = 0;
    int timeoutMs = 10000;
    std::stop_token stop;  // SIGINT, SIGTERM, SIGHUP
};

struct RelayRendezvous {
    CFileMapping sharedMem;
    CNamedEvent dataReady, dataDone, ready, quit;
};

std::vector<uint8_t> ReadDataFile(const std::string& path) {
    std::vector<uint8_t> data;
    std::string problem;
    if (!ReadRegularFile(path, kMostDataBytes, data, problem))
        throw CUsageError("cannot read the data file " + path + " (" + problem + ")");
    return data;
}

void CreateRendezvous(RelayRendezvous& objects, const std::string& name, size_t areaSize) {
    using namespace relay_objects;
    auto fail = [&](const std::string& object, int error) {
        throw std::runtime_error(StringPrintf("Could not create %s in %s (%s)%s", object.c_str(),
                                              named_objects::ObjectDirectory().c_str(), named_objects::ErrorText(error).c_str(),
                                              error == EEXIST ? ": is another relay client using this unit?" : ""));
    };
    if (!objects.sharedMem.Create(name + kSharedMem, areaSize) || !objects.sharedMem.Map())
        fail(name + kSharedMem, objects.sharedMem.LastError());
    const std::pair<CNamedEvent*, const char*> events[] = {{&objects.dataReady, kDataReadyEvent},
                                                           {&objects.dataDone, kDataDoneEvent},
                                                           {&objects.ready, kReadyEvent},
                                                           {&objects.quit, kQuitEvent}};
    for (const auto& [event, suffix] : events)
        if (!event->Create(name + suffix)) fail(name + suffix, event->LastError());
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::max(1.0, std::ceil(fraction * double(values.size()))));
    return values[std::min(rank, values.size()) - 1];
}

// Ends the relay in order and gives its exit status (nothing when it had to be killed).
std::optional<int> StopRelay(RelayRendezvous& objects, CManagerProcess& manager, milliseconds timeout) {
    objects.quit.Set();
    return manager.Finish(timeout);
}

void CheckOptions(const RelayOptions& options) {
    if (options.blockBytes < 0 || options.blockBytes > relay_block::kMaxDataLength)
        throw CUsageError(StringPrintf("--block-bytes must lie between 0 and %i", relay_block::kMaxDataLength));
    if (options.periodMs < 0 || options.timeoutMs <= 0) throw CUsageError("--period-ms and --timeout-ms cannot be negative");
}

std::string UnitName(const RelayOptions& options) {
    std::string name = options.name;
    for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
    if (!named_objects::IsValidName(name)) throw CUsageError("NAME cannot hold '/' or be empty");
    return name;
}

// The area holds the largest block, padded to whole pieces as the relay sends it.
size_t AreaSize(const RelayOptions& options) {
    const size_t used = size_t(options.blockBytes) + relay_block::kLengthFieldSize;
    return (used + relay_block::kPieceSize - 1) / relay_block::kPieceSize * relay_block::kPieceSize;
}

// True once the relay is ready; otherwise says why not and leaves the relay stopped.
bool WaitUntilReady(RelayRendezvous& objects, CManagerProcess& manager, milliseconds timeout, const std::stop_token& stop) {
    switch (WaitWhileRunning(objects.ready, manager, timeout, stop)) {
    case EventWait::Set:
        return true;
    case EventWait::ProcessEnded:
        std::cerr << "velk3-manager ended before the relay was ready (" << DescribeStatus(manager.Poll()) << ").\n";
        return false;
    case EventWait::Interrupted:
        std::cerr << "Interrupted: the relay was stopped.\n";
        break;
    default:
        std::cerr << "The relay did not become ready within " << timeout.count() << " ms.\n";
        break;
    }
    StopRelay(objects, manager, timeout);
    return false;
}

// Hands over one block and waits for its acknowledgement; the round trip in microseconds.
EventWait SendBlock(RelayRendezvous& objects, CManagerProcess& manager, const uint8_t* data, size_t length,
                    milliseconds timeout, const std::stop_token& stop, double& roundTrip) {
    objects.dataDone.Reset();
    StoreLe16(objects.sharedMem.View(), uint16_t(length));
    std::memcpy(objects.sharedMem.View() + relay_block::kLengthFieldSize, data, length);
    const auto start = std::chrono::steady_clock::now();
    objects.dataReady.Set();
    const EventWait done = WaitWhileRunning(objects.dataDone, manager, timeout, stop);
    roundTrip = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    return done;
}

void ReportUnacknowledged(EventWait done, size_t block, size_t blocks, CManagerProcess& manager) {
    if (done == EventWait::Interrupted) {
        std::cerr << "Interrupted before block " << block << " of " << blocks << ": the relay was stopped.\n";
        return;
    }
    std::cerr << "Block " << block << " of " << blocks << " was not acknowledged: velk3-manager "
              << (done == EventWait::ProcessEnded ? DescribeStatus(manager.Poll()) : "did not answer in time") << ".\n";
}

// Sends the data block by block; the round trips of the blocks sent, or nothing after a failure.
std::optional<std::vector<double>> SendData(RelayRendezvous& objects, CManagerProcess& manager,
                                            const std::vector<uint8_t>& data, const RelayOptions& options) {
    const milliseconds timeout(options.timeoutMs);
    const size_t blockBytes = size_t(options.blockBytes);
    const size_t blocks = blockBytes == 0 ? 0 : (data.size() + blockBytes - 1) / blockBytes;
    std::vector<double> roundTrips;
    for (size_t sent = 0; sent < blocks; ++sent) {
        const size_t offset = sent * blockBytes;
        double roundTrip = 0;
        const EventWait done = SendBlock(objects, manager, data.data() + offset,
                                         std::min(blockBytes, data.size() - offset), timeout, options.stop, roundTrip);
        if (done != EventWait::Set) {
            ReportUnacknowledged(done, sent + 1, blocks, manager);
            if (done != EventWait::ProcessEnded) StopRelay(objects, manager, timeout);
            std::cout << "Blocks sent: " << sent << "\n";
            return std::nullopt;
        }
        roundTrips.push_back(roundTrip);
        if (options.periodMs > 0) std::this_thread::sleep_for(milliseconds(options.periodMs));
    }
    return roundTrips;
}

// The objects are removed and the relay stopped on SIGINT, SIGTERM and SIGHUP as well.
int RunRelay(const RelayOptions& options) {
    CheckOptions(options);
    const std::string name = UnitName(options);
    const std::vector<uint8_t> data = ReadDataFile(options.dataPath);
    RelayRendezvous objects;
    CreateRendezvous(objects, name, AreaSize(options));
    CManagerProcess manager;
    manager.Start({"-server", name, options.baud});
    const milliseconds timeout(options.timeoutMs);
    if (!WaitUntilReady(objects, manager, timeout, options.stop)) return 1;
    const std::optional<std::vector<double>> roundTrips = SendData(objects, manager, data, options);
    if (!roundTrips) return 1;

    const std::optional<int> status = StopRelay(objects, manager, timeout);
    std::cout << "Blocks sent: " << roundTrips->size() << "\n";
    if (!roundTrips->empty())
        std::cout << StringPrintf("Round trip: median %.1f us, 99th percentile %.1f us\n", Percentile(*roundTrips, 0.5),
                                  Percentile(*roundTrips, 0.99));
    if (status != 0) {
        std::cerr << "velk3-manager did not end in order (" << DescribeStatus(status) << ").\n";
        return 1;
    }
    return 0;
}

}  // namespace

void RegisterRelayCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("relay", "Send servo data to a unit through velk3-manager's relay");
    auto options = std::make_shared<RelayOptions>();
    command->add_option("NAME", options->name, "The unit's label, as velk3 units lists it (VELK3)")->required();
    command->add_option("BAUD", options->baud, "Baud rate: 2400, 4800, 9600, 19200, 38400, 57600, 115200 or 250000")
        ->required();
    command->add_option("--data", options->dataPath, "File of servo data to send")->required();
    command->add_option("--block-bytes", options->blockBytes, "Data bytes per block (default 64)");
    command->add_option("--period-ms", options->periodMs, "Pause between blocks, in milliseconds (default 0)");
    command->add_option("--timeout-ms", options->timeoutMs, "Longest wait for the relay's answers (default 10000)");
    command->callback([&context, options] {
        context.run = [&context, options] {
            options->stop = context.stop;
            return RunRelay(*options);
        };
    });
}

#include "support/PrivateBus.h"

#include <chrono>
#include <cstdint>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <unistd.h>

#include "support/ChildProcess.h"

namespace fs = std::filesystem;

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr int kStopTimeoutMs = 5000;

const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=@SOCKET@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
)";

void Stop(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    if (WaitChild(pid, kStopTimeoutMs) < 0) ::kill(pid, SIGKILL);
}

}  // namespace

bool WaitFor(const std::function<bool()>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void AppendLine(const std::string& file, const std::string& line) { std::ofstream(file, std::ios::app) << line << "\n"; }

sd_bus* ConnectStandIn(const std::string& address) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return nullptr;
    if (sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return nullptr;
    }
    return bus;
}

CPrivateBus::CPrivateBus() {
    std::string pattern = fs::temp_directory_path().string() + "/ylmbus-XXXXXX";
    m_dir = ::mkdtemp(pattern.data());
    fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    const std::string socket = m_dir + "/bus";
    std::string config = kBusConfig;
    config.replace(config.find("@SOCKET@"), std::strlen("@SOCKET@"), socket);
    std::ofstream(m_dir + "/bus.conf") << config;
    const std::string addressFile = m_dir + "/address";
    m_pid = StartProgram("dbus-daemon", {"--config-file=" + m_dir + "/bus.conf", "--nofork", "--print-address=1"}, {},
                         addressFile, m_dir + "/errors");
    const bool started = WaitFor([&] { return !ReadWholeFile(addressFile).empty() || !ChildRunning(m_pid); });
    if (!started || !ChildRunning(m_pid) || !fs::exists(socket)) {
        m_error = "dbus-daemon did not start (is the dbus-daemon package installed?) " + ReadWholeFile(m_dir + "/errors");
        return;
    }
    ::chmod(socket.c_str(), 0777);  // the unprivileged user of the tests connects too
    m_address = "unix:path=" + socket;
}

CPrivateBus::~CPrivateBus() {
    Stop(m_pid);
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

CBusStandIn::CBusStandIn(const Serve& serve) {
    static int serial = 0;
    m_log = fs::temp_directory_path().string() + "/ylmstandin-" + std::to_string(::getpid()) + "-" +
            std::to_string(++serial) + ".log";
    const std::string ready = m_log + ".ready";
    fs::remove(ready);
    std::ofstream(m_log).close();
    m_pid = ForkChild([&] { return serve(m_log, ready); });
    m_ready = WaitFor([&] { return fs::exists(ready) || !ChildRunning(m_pid); }) && fs::exists(ready);
    fs::remove(ready);
}

CBusStandIn::~CBusStandIn() {
    Stop(m_pid);
    fs::remove(m_log);
}

std::vector<std::string> CBusStandIn::Calls() const {
    std::vector<std::string> lines;
    std::ifstream in(m_log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

CScopedEnvironment::CScopedEnvironment(const std::string& name, const std::string& value) : m_name(name) {
    if (const char* previous = std::getenv(name.c_str())) {
        m_had = true;
        m_previous = previous;
    }
    ::setenv(name.c_str(), value.c_str(), 1);
}

CScopedEnvironment::~CScopedEnvironment() {
    if (m_had)
        ::setenv(m_name.c_str(), m_previous.c_str(), 1);
    else
        ::unsetenv(m_name.c_str());
}

int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

CSilentBus::CSilentBus() {
    constexpr int kBacklog = 16;
    m_dir = fs::temp_directory_path().string() + "/ylmsilent-" + std::to_string(::getpid()) + "-" +
            std::to_string(reinterpret_cast<uintptr_t>(this));
    fs::create_directories(m_dir);
    const std::string path = m_dir + "/bus";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return;
    path.copy(address.sun_path, path.size());
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(m_socket, kBacklog) == 0) {
        ::chmod(path.c_str(), 0777);
        m_address = "unix:path=" + path;
    }
}

CSilentBus::~CSilentBus() {
    if (m_socket >= 0) ::close(m_socket);
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
}

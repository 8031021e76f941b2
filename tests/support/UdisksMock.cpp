#include "support/UdisksMock.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <unistd.h>

#include "support/ChildProcess.h"

namespace fs = std::filesystem;

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);
constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr int kStopTimeoutMs = 5000;
constexpr const char* kBlockPrefix = "/org/freedesktop/UDisks2/block_devices";

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

template <class Ready>
bool WaitFor(Ready&& ready) {
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    if (WaitChild(pid, kStopTimeoutMs) < 0) ::kill(pid, SIGKILL);
}

// --- the stand-in, run in a child process ---

struct Service {
    UdisksMockSetup setup;
    std::string log;
};
Service* g_service = nullptr;

void Log(const std::string& line) { std::ofstream(g_service->log, std::ios::app) << line << "\n"; }

std::string NodeName(const std::string& path) { return fs::path(path).filename().string(); }

const UdisksMockDisk* FindDisk(const std::string& node) {
    for (const auto& disk : g_service->setup.disks)
        if (NodeName(disk.devicePath) == node) return &disk;
    return nullptr;
}

// Reads an a{sv}: the string value of stringKey and the int value of intKey, when present.
int ReadOptions(sd_bus_message* m, const char* stringKey, std::string& text, const char* intKey, int& number) {
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    while (r >= 0 && (r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* key = nullptr;
        sd_bus_message_read(m, "s", &key);
        const char* value = nullptr;
        if (stringKey && std::strcmp(key, stringKey) == 0 && sd_bus_message_read(m, "v", "s", &value) >= 0)
            text = value;
        else if (intKey && std::strcmp(key, intKey) == 0)
            sd_bus_message_read(m, "v", "i", &number);
        else
            sd_bus_message_skip(m, "v");
        sd_bus_message_exit_container(m);
    }
    return r < 0 ? r : sd_bus_message_exit_container(m);
}

int ResolveDevice(sd_bus_message* m, void*, sd_bus_error*) {
    std::string path;
    int unused = 0;
    ReadOptions(m, "path", path, nullptr, unused);
    Log("ResolveDevice " + path);
    sd_bus_message* reply = nullptr;
    sd_bus_message_new_method_return(m, &reply);
    sd_bus_message_open_container(reply, 'a', "o");
    if (FindDisk(NodeName(path))) sd_bus_message_append(reply, "o", (std::string(kBlockPrefix) + "/" + NodeName(path)).c_str());
    sd_bus_message_close_container(reply);
    const int r = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return r;
}

int OpenDevice(sd_bus_message* m, void*, sd_bus_error* error) {
    const char* mode = "";
    sd_bus_message_read(m, "s", &mode);
    std::string unused;
    int flags = 0;
    ReadOptions(m, nullptr, unused, "flags", flags);
    const std::string node = NodeName(sd_bus_message_get_path(m));
    char hex[16];
    std::snprintf(hex, sizeof hex, "%#x", unsigned(flags));
    Log("OpenDevice " + node + " " + mode + " flags=" + hex +
        " interactive=" + std::to_string(sd_bus_message_get_allow_interactive_authorization(m)));
    if (g_service->setup.silentOpen) return 1;  // handled, never answered
    if (g_service->setup.refuseOpen)
        return sd_bus_error_set(error, "org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain", "Not authorized to perform operation");
    const UdisksMockDisk* disk = FindDisk(node);
    const int fd = disk ? ::open(disk->file.c_str(), (std::strcmp(mode, "rw") == 0 ? O_RDWR : O_RDONLY) | O_CLOEXEC) : -1;
    if (fd < 0) return sd_bus_error_set_errno(error, disk ? errno : ENOENT);
    const int r = sd_bus_reply_method_return(m, "h", fd);
    ::close(fd);  // the reply holds its own copy
    return r;
}

int Unmount(sd_bus_message* m, void*, sd_bus_error* error) {
    const std::string node = NodeName(sd_bus_message_get_path(m));
    Log("Unmount " + node + " interactive=" + std::to_string(sd_bus_message_get_allow_interactive_authorization(m)));
    if (g_service->setup.refuseUnmount)
        return sd_bus_error_set(error, "org.freedesktop.UDisks2.Error.DeviceBusy", "Error unmounting: target is busy");
    const UdisksMockDisk* disk = FindDisk(node);
    if (disk && !disk->mountPoint.empty() && ::umount2(disk->mountPoint.c_str(), 0) != 0)
        return sd_bus_error_set_errno(error, errno);
    return sd_bus_reply_method_return(m, "");
}

const sd_bus_vtable kManagerVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("ResolveDevice", "a{sv}a{sv}", "ao", ResolveDevice, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};
const sd_bus_vtable kBlockVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("OpenDevice", "sa{sv}", "h", OpenDevice, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};
const sd_bus_vtable kFilesystemVtable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Unmount", "a{sv}", "", Unmount, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

int Serve(const std::string& address, const std::string& readyFile) {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0 || sd_bus_set_address(bus, address.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 ||
        sd_bus_start(bus) < 0)
        return 1;
    sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/UDisks2/Manager", "org.freedesktop.UDisks2.Manager",
                             kManagerVtable, nullptr);
    sd_bus_add_fallback_vtable(bus, nullptr, kBlockPrefix, "org.freedesktop.UDisks2.Block", kBlockVtable, nullptr, nullptr);
    sd_bus_add_fallback_vtable(bus, nullptr, kBlockPrefix, "org.freedesktop.UDisks2.Filesystem", kFilesystemVtable,
                               nullptr, nullptr);
    if (sd_bus_request_name(bus, "org.freedesktop.UDisks2", 0) < 0) return 2;
    std::ofstream(readyFile) << "ready\n";
    for (;;) {
        const int r = sd_bus_process(bus, nullptr);
        if (r < 0) return 0;  // the bus went away
        if (r == 0 && sd_bus_wait(bus, UINT64_MAX) < 0) return 0;
    }
}

}  // namespace

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

CUdisksMock::CUdisksMock(const std::string& busAddress, const UdisksMockSetup& setup) {
    const std::string pattern = fs::temp_directory_path().string() + "/ylmudisks-" + std::to_string(::getpid()) + "-";
    static int serial = 0;
    m_log = pattern + std::to_string(++serial) + ".log";
    const std::string ready = m_log + ".ready";
    fs::remove(ready);
    std::ofstream(m_log).close();
    m_pid = ForkChild([&] {
        Service service{setup, m_log};
        g_service = &service;
        return Serve(busAddress, ready);
    });
    m_ready = WaitFor([&] { return fs::exists(ready) || !ChildRunning(m_pid); }) && fs::exists(ready);
    fs::remove(ready);
}

CUdisksMock::~CUdisksMock() {
    Stop(m_pid);
    fs::remove(m_log);
}

std::vector<std::string> CUdisksMock::Calls() const {
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

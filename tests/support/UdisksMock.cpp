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

constexpr const char* kBlockPrefix = "/org/freedesktop/UDisks2/block_devices";

// --- the stand-in, run in a child process ---

struct Service {
    UdisksMockSetup setup;
    std::string log;
};
Service* g_service = nullptr;

void Log(const std::string& line) { AppendLine(g_service->log, line); }

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
    sd_bus* bus = ConnectStandIn(address);
    if (!bus) return 1;
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

CUdisksMock::CUdisksMock(const std::string& busAddress, const UdisksMockSetup& setup)
    : m_service([&](const std::string& log, const std::string& ready) {
          Service service{setup, log};
          g_service = &service;
          return Serve(busAddress, ready);
      }) {}

CUdisksMock::~CUdisksMock() = default;

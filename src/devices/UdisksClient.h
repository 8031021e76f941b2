#pragma once
// udisks2 on the system bus: how a desktop user reaches a card reader that the system keeps for root
// and the disk group. polkit decides and the desktop's agent asks the user, so a call may wait for
// a person typing a password; every call still ends within its time-out.
#include <chrono>
#include <memory>
#include <stdexcept>
#include <stop_token>
#include <string>

#include "devices/DeviceAccess.h"
#include "platform/FileDescriptor.h"

enum class UdisksFailure {
    Unavailable,    // no system bus, or no udisks2 on it
    NotAuthorized,  // polkit (or the user at its question) said no
    Failed,         // anything else: the text says what
};

class CUdisksError : public std::runtime_error {
public:
    CUdisksError(UdisksFailure kind, const std::string& detail) : std::runtime_error(detail), m_kind(kind) {}
    UdisksFailure Kind() const { return m_kind; }

private:
    UdisksFailure m_kind;
};

// The two requests the raw drive needs; tests put a fake behind it.
class IUdisksClient {
public:
    virtual ~IUdisksClient() = default;
    // devicePath opened by udisks2: read-write and exclusive for ReadWrite, shared read-only for Read.
    virtual CFileDescriptor OpenDevice(const std::string& devicePath, DeviceAccess access) = 0;
    // Unmounts the file system on devicePath (a partition, or a disk without partitions).
    virtual void Unmount(const std::string& devicePath) = 0;
};

struct UdisksTimeouts {
    std::chrono::milliseconds lookup{25000};        // no person involved
    std::chrono::milliseconds interactive{120000};  // long enough to type a password
};

// A stop requested on stop ends a call waiting for its answer (CJobStopped).
class CUdisksClient final : public IUdisksClient {
public:
    explicit CUdisksClient(UdisksTimeouts timeouts = {}, std::stop_token stop = {});
    ~CUdisksClient() override;
    CUdisksClient(const CUdisksClient&) = delete;
    CUdisksClient& operator=(const CUdisksClient&) = delete;

    CFileDescriptor OpenDevice(const std::string& devicePath, DeviceAccess access) override;
    void Unmount(const std::string& devicePath) override;

private:
    struct Bus;
    std::string ResolveDevice(const std::string& devicePath);
    Bus& Connect();

    UdisksTimeouts m_timeouts;
    std::stop_token m_stop;
    std::unique_ptr<Bus> m_bus;
};

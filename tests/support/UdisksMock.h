#pragma once
// A private D-Bus daemon and a stand-in for udisks2 on it, both started and stopped by the test
// that owns them. The stand-in serves Manager.ResolveDevice, Block.OpenDevice and
// Filesystem.Unmount for the disks it is given, and logs every call it gets, one a line:
//   ResolveDevice /dev/sdz
//   OpenDevice sdz rw flags=0x80080 interactive=1
//   Unmount sdz1 interactive=1
#include <string>
#include <sys/types.h>
#include <vector>

class CPrivateBus {
public:
    CPrivateBus();
    ~CPrivateBus();
    CPrivateBus(const CPrivateBus&) = delete;
    CPrivateBus& operator=(const CPrivateBus&) = delete;

    // "unix:path=…", reachable by every user; empty when the daemon did not start (see Error).
    const std::string& Address() const { return m_address; }
    const std::string& Error() const { return m_error; }

private:
    std::string m_dir;
    std::string m_address;
    std::string m_error;
    pid_t m_pid = -1;
};

struct UdisksMockDisk {
    std::string devicePath;  // what ResolveDevice is asked for: /dev/sdz
    std::string file;        // what OpenDevice opens for it (as the test's user)
    std::string mountPoint;  // when set, Unmount really unmounts it
};

struct UdisksMockSetup {
    std::vector<UdisksMockDisk> disks;
    bool refuseOpen = false;     // OpenDevice answers NotAuthorized
    bool refuseUnmount = false;  // Unmount fails as on a busy file system
    bool silentOpen = false;     // OpenDevice never answers, as a forgotten password question
};

class CUdisksMock {
public:
    CUdisksMock(const std::string& busAddress, const UdisksMockSetup& setup);
    ~CUdisksMock();
    CUdisksMock(const CUdisksMock&) = delete;
    CUdisksMock& operator=(const CUdisksMock&) = delete;

    // True once the stand-in owns the udisks2 name on the bus.
    bool Ready() const { return m_ready; }
    std::vector<std::string> Calls() const;

private:
    std::string m_log;
    pid_t m_pid = -1;
    bool m_ready = false;
};

// Sets an environment variable for the life of the object.
class CScopedEnvironment {
public:
    CScopedEnvironment(const std::string& name, const std::string& value);
    ~CScopedEnvironment();
    CScopedEnvironment(const CScopedEnvironment&) = delete;
    CScopedEnvironment& operator=(const CScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_had = false;
};

// Descriptors open in this process, to show that none is left behind.
int OpenDescriptorCount();

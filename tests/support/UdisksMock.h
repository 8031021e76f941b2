#pragma once
// A stand-in for udisks2 on a private bus (support/PrivateBus.h). It serves Manager.ResolveDevice,
// Block.OpenDevice and Filesystem.Unmount for the disks it is given, and logs every call it gets,
// one a line:
//   ResolveDevice /dev/sdz
//   OpenDevice sdz rw flags=0x80080 interactive=1
//   Unmount sdz1 interactive=1
#include <string>
#include <vector>

#include "support/PrivateBus.h"

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
    bool Ready() const { return m_service.Ready(); }
    std::vector<std::string> Calls() const { return m_service.Calls(); }

private:
    CBusStandIn m_service;
};

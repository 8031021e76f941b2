#pragma once
// Opens a card reader's disk node for one command. The system keeps disks for root and the disk
// group, so when it refuses this user the descriptor comes from udisks2 instead (polkit asks the
// user). A mounted card is unmounted for writing only after the user agrees in the Confirm box; a
// command that only reads opens it shared and read-only and leaves it mounted.
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "devices/DeviceAccess.h"
#include "devices/DriveList.h"
#include "platform/FileDescriptor.h"
#include "devices/UdisksClient.h"
#include "platform/UserPrompt.h"

class CRawDiskOpener {
public:
    // udisks: the client to ask; nullptr means the system's, connected only when needed.
    // questions: asked before a mounted card is unmounted; nullptr: it stays mounted. stop ends a
    // wait for the system's udisks2 (polkit's question may stay open for minutes).
    CRawDiskOpener(std::string devRoot, IUdisksClient* udisks, IUserPrompt* questions = nullptr, std::stop_token stop = {});

    // The opened node of drive; throws CUsbDeviceException with the message for the user.
    CFileDescriptor Open(const PhysicalDriveInfo& drive, DeviceAccess access);

private:
    void UnmountAfterAsking(const PhysicalDriveInfo& drive);
    void UnmountNode(const std::string& node, const std::vector<std::string>& points);
    CFileDescriptor OpenThroughUdisks(const std::string& path, DeviceAccess access, int error);
    IUdisksClient& Udisks();

    std::string m_devRoot;
    IUdisksClient* m_udisks;
    IUserPrompt* m_questions;
    std::stop_token m_stop;
    std::unique_ptr<IUdisksClient> m_ownUdisks;
};

// "Could not open drive (/dev/sdb is not the disk sdb that was listed)": the node changed since.
MessageText NotTheListedDiskMessage(const std::string& path, const std::string& name);

// "The card is mounted at /media/anna/CARD, /media/anna/DATA.\n\nUnmount it and continue?"
MessageText UnmountQuestion(const std::vector<std::string>& mountPoints);

#include "devices/RawDiskOpener.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include "platform/Exceptions.h"
#include "platform/RegularFile.h"
#include "platform/TextFormat.h"
#include "platform/Translatable.h"
#include "platform/UserPrompt.h"

namespace {

MessageText OpenFailureMessage(int error) {
    MessageText message = Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open drive (%1)"), std::strerror(error));
    if (error == EACCES || error == EPERM)
        message += VELK3_TRANSLATE_NOOP(
            "velk3core", "\nPlease run VELK3 Manager as root, or join the \"disk\" group, to use this card reader.");
    else if (error == EBUSY)
        message += VELK3_TRANSLATE_NOOP("velk3core", "\nThe card is in use (mounted?). Please unmount the card first.");
    return message;
}

// The line that says why udisks2 could not stand in for the refused open, and what to do.
MessageText UdisksLine(const CUdisksError& e) {
    switch (e.Kind()) {
        case UdisksFailure::NotAuthorized:
            return VELK3_TRANSLATE_NOOP(
                "velk3core",
                "udisks2 did not allow access (not authorised): accept the password question of the desktop, "
                "or ask the administrator to allow this user to open disks.");
        case UdisksFailure::Unavailable:
            return VELK3_TRANSLATE_NOOP(
                "velk3core",
                "udisks2 could not be asked for access (no udisks2 on the system bus): install and start udisks2 "
                "to use card readers without root.");
        case UdisksFailure::Failed: break;
    }
    return Fill(VELK3_TRANSLATE_NOOP("velk3core", "udisks2 could not open it either (%1)."), e.what());
}

MessageText UnmountFailureMessage(const std::string& point, const MessageText& reason) {
    return Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not unmount %1 ("), point) + reason +
           VELK3_TRANSLATE_NOOP("velk3core", ").\nNothing was written to the card.");
}

bool IsRefusal(int error) { return error == EACCES || error == EPERM; }

}  // namespace

MessageText NotTheListedDiskMessage(const std::string& path, const std::string& name) {
    return Fill(VELK3_TRANSLATE_NOOP("velk3core", "Could not open drive (%1 is not the disk %2 that was listed)"), path,
                name);
}

MessageText UnmountQuestion(const std::vector<std::string>& mountPoints) {
    std::string joined;
    for (const std::string& point : mountPoints) joined += (joined.empty() ? "" : ", ") + point;
    return Fill(question_text::kUnmount, joined);
}

CRawDiskOpener::CRawDiskOpener(std::string devRoot, IUdisksClient* udisks, IUserPrompt* questions, std::stop_token stop)
    : m_devRoot(std::move(devRoot)), m_udisks(udisks), m_questions(questions), m_stop(std::move(stop)) {}

IUdisksClient& CRawDiskOpener::Udisks() {
    if (m_udisks) return *m_udisks;
    if (!m_ownUdisks) m_ownUdisks = std::make_unique<CUdisksClient>(UdisksTimeouts{}, m_stop);
    return *m_ownUdisks;
}

CFileDescriptor CRawDiskOpener::Open(const PhysicalDriveInfo& drive, DeviceAccess access) {
    if (access == DeviceAccess::ReadWrite && !drive.mounts.empty()) UnmountAfterAsking(drive);
    const std::string path = m_devRoot + "/" + drive.name;
    RegularFileRules rules;
    rules.access = access == DeviceAccess::ReadWrite ? O_RDWR | O_EXCL : O_RDONLY;
    rules.blockDevice = true;
    OpenedFile opened = OpenRegularFile(path, rules);
    if (opened.IsOpen()) return std::move(opened.file);
    if (opened.error == 0) throw CUsbDeviceException(NotTheListedDiskMessage(path, drive.name));  // not a disk at all
    if (!IsRefusal(opened.error)) throw CUsbDeviceException(OpenFailureMessage(opened.error));
    return OpenThroughUdisks(path, access, opened.error);
}

CFileDescriptor CRawDiskOpener::OpenThroughUdisks(const std::string& path, DeviceAccess access, int error) {
    try {
        return Udisks().OpenDevice(path, access);
    } catch (const CUdisksError& e) {
        throw CUsbDeviceException(OpenFailureMessage(error) + "\n" + UdisksLine(e));
    }
}

void CRawDiskOpener::UnmountAfterAsking(const PhysicalDriveInfo& drive) {
    if (!m_questions || !m_questions->AskYesNo(UnmountQuestion(drive.mountPoints), kConfirmCaption))
        throw CUsbDeviceException(
            VELK3_TRANSLATE_NOOP("velk3core", "The card stays mounted; nothing was written to it."));
    // Partitions in order, each once, with all the places it is mounted at.
    std::vector<std::pair<std::string, std::vector<std::string>>> nodes;
    for (const DriveMount& mount : drive.mounts) {
        if (nodes.empty() || nodes.back().first != mount.node) nodes.push_back({mount.node, {}});
        nodes.back().second.push_back(mount.point);
    }
    for (const auto& [node, points] : nodes) UnmountNode(node, points);
}

// udisks2 unmounts as the desktop does (and tidies its mount directory); root without udisks2
// unmounts itself.
void CRawDiskOpener::UnmountNode(const std::string& node, const std::vector<std::string>& points) {
    try {
        Udisks().Unmount(m_devRoot + "/" + node);
        return;
    } catch (const CUdisksError& e) {
        if (e.Kind() != UdisksFailure::Unavailable || ::geteuid() != 0)
            throw CUsbDeviceException(UnmountFailureMessage(
                points.front(), e.Kind() == UdisksFailure::Unavailable
                                    ? MessageText(VELK3_TRANSLATE_NOOP("velk3core", "no udisks2 on the system bus"))
                                    : MessageText(e.what())));
    }
    // Nested mounts go first. A link put where a mount point was is not followed to another mount.
    for (auto point = points.rbegin(); point != points.rend(); ++point)
        if (::umount2(point->c_str(), UMOUNT_NOFOLLOW) != 0) throw CUsbDeviceException(UnmountFailureMessage(*point, std::strerror(errno)));
}

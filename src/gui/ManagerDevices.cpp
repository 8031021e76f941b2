// The device box and the routine list of the main window: both are filled from jobs on the worker.
#include <algorithm>

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "disk/CardImageJudge.h"
#include "gui/DeviceWorker.h"
#include "gui/ManagerDialog.h"
#include "gui/QtUserPrompt.h"
#include "gui/WidgetProgress.h"
#include "operations/CardJobs.h"
#include "operations/DeviceJobs.h"

bool CManagerDialog::RunTold(const std::function<void()>& body) const {
    try {
        body();
        return true;
    } catch (const CJobStopped& e) {
        m_prompt->ShowMessage(e.Message(), kApplicationName, MessageIcon::Information);
    } catch (const CVelkException& e) {
        m_prompt->ShowMessage(e.Message(), kApplicationName, MessageIcon::None);
    } catch (const std::exception& e) {
        // Not one of the reported kinds (memory, a library's own); still the user's to know.
        m_prompt->ShowMessage(e.what(), kApplicationName, MessageIcon::None);
    }
    return false;
}

bool CManagerDialog::IsIdle() const { return m_worker->Idle(); }

JobContext CManagerDialog::ContextFor(const DeviceId& device, std::stop_token stop) const {
    JobContext context;
    context.device = device;
    context.questions = m_prompt;
    context.progress = m_progress.get();
    context.stop = std::move(stop);
    context.paths = m_paths;
    return context;
}

void CManagerDialog::RefreshDevices() {
    if (m_bBusy) {
        m_refreshWhenIdle = true;
        return;
    }
    m_refreshWhenIdle = false;
    const unsigned serial = ++m_devicesSerial;
    struct Listed {
        DeviceBoxContents box;
        std::vector<DeviceId> bootloaders;
    };
    auto listed = std::make_shared<Listed>();
    const DeviceId remembered = m_selectNext.Empty() ? CurrentDevice() : m_selectNext;
    m_selectNext = {};
    const std::vector<DeviceId> images = m_images;
    m_worker->Post(
        [this, listed, remembered, images](std::stop_token stop) {
            RunTold([&] {
                const DeviceListing listing = job::ListDevices(ContextFor({}, stop));
                DeviceList imageEntries;
                for (const DeviceId& image : images)
                    if (const auto entry = RelistImage(image)) imageEntries.push_back(*entry);
                listed->box = ArrangeDeviceBox(listing.drives, listing.units, imageEntries, remembered);
                listed->bootloaders = listing.bootloaders;
            });
        },
        [this, listed, serial] {
            if (serial == m_devicesSerial) ApplyDeviceList(listed->box, listed->bootloaders);
        });
}

void CManagerDialog::ApplyDeviceList(const DeviceBoxContents& box, const std::vector<DeviceId>& bootloaders) {
    FillDeviceBox(box);
    RefreshRoutineList();
    AnnounceNewBootloaders(bootloaders);
}

void CManagerDialog::AnnounceNewBootloaders(const std::vector<DeviceId>& bootloaders) {
    // Each one once while it stays: one that leaves and comes back is new again.
    bool arrived = false;
    for (const DeviceId& id : bootloaders)
        arrived = arrived || std::find(m_bootloaders.begin(), m_bootloaders.end(), id) == m_bootloaders.end();
    m_bootloaders = bootloaders;
    if (!arrived || m_bBusy) return;
    QMessageBox box(QMessageBox::Question, tr("Firmware Update"),
                    tr("A VELK is waiting in its boot mode, as after an interrupted firmware update.\n\n"
                       "Load firmware now?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    if (box.exec() == QMessageBox::Yes) OnLoadFirmware();
}

DeviceId CManagerDialog::CurrentDevice() const {
    const int index = m_deviceBox->currentIndex();
    if (index < 0 || index >= int(m_boxItems.size())) return {};
    return m_boxItems[size_t(index)].id;
}

void CManagerDialog::RefreshRoutineList() {
    const unsigned serial = ++m_listingSerial;
    const DeviceId device = CurrentDevice();
    auto tracks = std::make_shared<std::vector<TrackEntry>>();
    m_worker->Post(
        [this, device, tracks](std::stop_token stop) {
            if (device.Empty()) return;
            RunTold([&] { *tracks = job::ListCard(ContextFor(device, stop)).tracks; });
        },
        [this, tracks, serial] {
            if (serial != m_listingSerial) return;  // a newer listing is on its way
            ApplyRoutines(*tracks);
        });
}

void CManagerDialog::ApplyRoutines(const std::vector<TrackEntry>& tracks) {
    // All rows in one change: screen readers would otherwise hear of each row on its own.
    std::vector<QStringList> rows(tracks.size());
    for (size_t row = 0; row < tracks.size(); ++row)
        for (const std::string& cell : RoutineRow(row, tracks[row])) rows[row] << QString::fromStdString(cell);
    m_routineList->SetRows(std::move(rows));
    // The enabled state follows every listing, so Edit schedules is there as soon as a card with
    // routines is shown.
    if (!m_bBusy) {
        if (!CurrentDevice().Empty())
            EnableCommands();
        else
            DisableCommands();
    }
    emit routinesListed();
}

void CManagerDialog::EnableCommands() {
    for (QWidget* control : {static_cast<QWidget*>(m_routineList), static_cast<QWidget*>(m_addButton),
                             static_cast<QWidget*>(m_removeButton), static_cast<QWidget*>(m_formatButton)})
        control->setEnabled(true);
    m_schedulesButton->setEnabled(m_routineList->GetRowCount() > 0);
}

void CManagerDialog::DisableCommands() {
    for (QWidget* control : {static_cast<QWidget*>(m_routineList), static_cast<QWidget*>(m_addButton),
                             static_cast<QWidget*>(m_removeButton), static_cast<QWidget*>(m_formatButton),
                             static_cast<QWidget*>(m_schedulesButton)})
        control->setEnabled(false);
}

// The device box and the routine list of the main window: both are filled from jobs on the worker.
#include <algorithm>

#include <QComboBox>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "disk/CardImageJudge.h"
#include "gui/ManagerDialog.h"
#include "gui/WidgetProgress.h"
#include "operations/CardJobs.h"
#include "operations/DeviceJobs.h"

namespace {

// What a listing of the devices gives the device box.
struct ListedDevices {
    DeviceBoxContents box;
    std::vector<DeviceId> bootloaders;
};

}  // namespace

void CManagerDialog::RefreshDevices() {
    // While a command runs the list it works on stays: one listing follows its end.
    m_runner->WhenNoCommand([this] { ListDevices(); });
}

void CManagerDialog::ListDevices() {
    const unsigned serial = ++m_devicesSerial;
    const DeviceId remembered = m_selectNext.Empty() ? CurrentDevice() : m_selectNext;
    m_selectNext = {};
    m_runner->Post<ListedDevices>(
        {},
        [images = m_images, remembered](const JobContext& context) {
            const DeviceListing listing = job::ListDevices(context);
            DeviceList imageEntries;
            for (const DeviceId& image : images)
                if (const auto entry = RelistImage(image)) imageEntries.push_back(*entry);
            return ListedDevices{ArrangeDeviceBox(listing.drives, listing.units, imageEntries, remembered),
                                 listing.bootloaders};
        },
        [this, serial](ListedDevices listed) {
            if (serial != m_devicesSerial) return;  // a newer listing is on its way
            FillDeviceBox(listed.box);
            RefreshRoutineList();
            AnnounceNewBootloaders(listed.bootloaders);
        });
}

void CManagerDialog::AnnounceNewBootloaders(const std::vector<DeviceId>& bootloaders) {
    // Each one once while it stays: one that leaves and comes back is new again.
    bool arrived = false;
    for (const DeviceId& id : bootloaders)
        arrived = arrived || std::find(m_bootloaders.begin(), m_bootloaders.end(), id) == m_bootloaders.end();
    m_bootloaders = bootloaders;
    if (!arrived || IsBusy()) return;
    m_runner->Ask(QMessageBox::Question, tr("Firmware Update"),
                  tr("A VELK is waiting in its boot mode, as after an interrupted firmware update.\n\n"
                     "Load firmware now?"),
                  [this](bool yes) {
                      if (yes) OnLoadFirmware();
                  });
}

DeviceId CManagerDialog::CurrentDevice() const {
    const int index = m_ui.deviceBox->currentIndex();
    if (index < 0 || index >= int(m_boxItems.size())) return {};
    return m_boxItems[size_t(index)].id;
}

void CManagerDialog::RefreshRoutineList() {
    const unsigned serial = ++m_listingSerial;
    const DeviceId device = CurrentDevice();
    m_runner->Post<std::vector<TrackEntry>>(
        device,
        [](const JobContext& context) {
            return context.device.Empty() ? std::vector<TrackEntry>() : job::ListCard(context).tracks;
        },
        [this, serial](std::vector<TrackEntry> tracks) {
            if (serial == m_listingSerial) ApplyRoutines(tracks);  // else a newer listing is on its way
        });
}

void CManagerDialog::ApplyRoutines(const std::vector<TrackEntry>& tracks) {
    // All rows in one change: screen readers would otherwise hear of each row on its own.
    std::vector<QStringList> rows(tracks.size());
    for (size_t row = 0; row < tracks.size(); ++row)
        for (const std::string& cell : RoutineRow(row, tracks[row])) rows[row] << QString::fromStdString(cell);
    m_ui.routineList->SetRows(std::move(rows));
    // The enabled state follows every listing, so Edit schedules is there as soon as a card with
    // routines is shown.
    UpdateCommands();
    emit routinesListed();
}

void CManagerDialog::UpdateCommands() {
    const bool enabled = !IsBusy() && !CurrentDevice().Empty();
    for (QWidget* control : {static_cast<QWidget*>(m_ui.routineList), static_cast<QWidget*>(m_ui.addButton),
                             static_cast<QWidget*>(m_ui.removeButton), static_cast<QWidget*>(m_ui.formatButton)})
        control->setEnabled(enabled);
    m_ui.schedulesButton->setEnabled(enabled && m_ui.routineList->GetRowCount() > 0);
    m_editing->SetAvailable(enabled);
}

void CManagerDialog::OnBusyChanged(bool busy, bool cancellable) {
    UpdateCommands();
    for (QWidget* control : {static_cast<QWidget*>(m_ui.firmwareButton), static_cast<QWidget*>(m_ui.deviceBox),
                             static_cast<QWidget*>(m_ui.refreshButton), static_cast<QWidget*>(m_ui.exitButton)})
        control->setEnabled(!busy);
    const QString exitText = cancellable ? tr("Cancel") : tr("Exit");
    m_ui.exitButton->setText(exitText);
    m_ui.exitButton->setAccessibleName(exitText);
    if (cancellable) m_ui.exitButton->setEnabled(true);
    // Over the window only: a box the job opens shows the normal pointer.
    if (busy) {
        setCursor(Qt::WaitCursor);
    } else {
        unsetCursor();
        m_progress->ResetBar();
    }
}

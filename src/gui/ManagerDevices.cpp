// The device box and the routine list of the main window.
#include <algorithm>

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "devices/ImageFile.h"
#include "gui/ManagerDialog.h"
#include "gui/WidgetProgress.h"
#include "platform/UserPrompt.h"

CManagerDialog::CCommandScope::CCommandScope(CManagerDialog& window) : m_window(window) { ++m_window.m_commandDepth; }

CManagerDialog::CCommandScope::~CCommandScope() {
    if (--m_window.m_commandDepth > 0 || !m_window.m_refreshWhenIdle) return;
    CManagerDialog* window = &m_window;
    QTimer::singleShot(0, window, [window] {
        if (window->m_refreshWhenIdle) window->RefreshDevices();
    });
}

void CManagerDialog::RefreshDevices() {
    if (m_bBusy || m_commandDepth > 0) {
        m_refreshWhenIdle = true;
        return;
    }
    m_refreshWhenIdle = false;
    const CCommandScope scope(*this);
    DeviceList drives, units, images;
    ListDrivesAndUnits(m_paths, drives, units);
    for (const std::string& path : m_images) images.push_back(CImageFile::EntryFor(path));
    const std::string remembered = m_selectNext.empty() ? m_deviceBox->currentText().toStdString() : m_selectNext;
    m_selectNext.clear();
    const DeviceBoxContents box = ArrangeDeviceBox(drives, units, images, remembered);

    {
        const QSignalBlocker quiet(m_deviceBox);
        m_deviceBox->clear();
        for (const DeviceBoxItem& item : box.items) m_deviceBox->addItem(QString::fromStdString(item.text));
        m_deviceBox->setCurrentIndex(box.selected);
    }
    m_boxItems = box.items;
    RefreshRoutineList();
    if (m_deviceBox->count() > 0)
        EnableCommands();
    else
        DisableCommands();
}

CardTarget CManagerDialog::CurrentTarget() const {
    const int index = m_deviceBox->currentIndex();
    if (index < 0 || index >= int(m_boxItems.size())) return {{}, m_paths};
    return {m_boxItems[size_t(index)].name, m_paths};
}

void CManagerDialog::RefreshRoutineList() {
    const CCommandScope scope(*this);
    const std::vector<TrackEntry> tracks = ReadRoutines(CurrentTarget(), m_progress.get());
    // All rows in one change: screen readers would otherwise hear of each row on its own.
    std::vector<QStringList> rows(tracks.size());
    for (size_t row = 0; row < tracks.size(); ++row)
        for (const std::string& cell : RoutineRow(int(row), tracks[row])) rows[row] << QString::fromStdString(cell);
    m_routineList->SetRows(std::move(rows));
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

bool CManagerDialog::ListImage(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile()) {
        AppMessageBox("Could not open card image " + path.toStdString() + " (no such file)");
        return false;
    }
    const std::string absolute = file.absoluteFilePath().toStdString();
    if (std::find(m_images.begin(), m_images.end(), absolute) == m_images.end()) m_images.push_back(absolute);
    // The image just opened becomes the current device.
    m_selectNext = CImageFile::EntryFor(absolute).description;
    return true;
}

bool CManagerDialog::AddImage(const QString& path) {
    if (m_bBusy || !ListImage(path)) return false;
    RefreshDevices();
    return true;
}

void CManagerDialog::OnDevicesChanged() { RefreshDevices(); }

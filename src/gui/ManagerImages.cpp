// Card images that reach the window through the Open dialog or a drop. Each file is judged on the
// worker before it is listed: a file listed as a card can be formatted, so one that is not plainly
// a card or blank is listed only when the user says so, and a routine file never becomes a card.
#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

#include "devices/ImageFile.h"
#include "gui/DeviceWorker.h"
#include "gui/ManagerDialog.h"
#include "gui/QtUserPrompt.h"
#include "gui/Translations.h"
#include "operations/DeviceJobs.h"

namespace {

constexpr const char* kRoutineRefused = QT_TRANSLATE_NOOP(
    "CManagerDialog", "\"%1\" is a routine file, not a card image.\n\nUse Add routine... to put it on a card.");
constexpr const char* kNotAnImage = QT_TRANSLATE_NOOP(
    "CManagerDialog",
    "\"%1\" is not a card image: its size is not a whole number of 512-byte sectors.\n\n"
    "\"velk3 image\" makes an empty card image.");
constexpr const char* kForeignQuestion = QT_TRANSLATE_NOOP(
    "CManagerDialog",
    "\"%1\" holds data and no VELK disk.\n\nFormatting it or adding a routine to it will overwrite it. "
    "Open it as a card image anyway?");
constexpr const char* kUnreadable = QT_TRANSLATE_NOOP("CManagerDialog", "Could not open card image %1 (%2)");
constexpr const char* kNoCard = QT_TRANSLATE_NOOP(
    "CManagerDialog", "There is no card to add \"%1\" to.\n\nInsert a card, attach a VELK or open a card image first.");

QString Shown(const QString& path) { return QDir::toNativeSeparators(path); }

}  // namespace

void CManagerDialog::FillDeviceBox(const DeviceBoxContents& box) {
    const QSignalBlocker quiet(m_deviceBox);
    m_boxItems = box.items;
    m_deviceBox->clear();
    m_deviceBox->setPlaceholderText(CoreText(device_text::kNoDevices));
    for (const DeviceBoxItem& item : box.items) m_deviceBox->addItem(QString::fromStdString(item.text));
    if (!box.items.empty()) m_deviceBox->insertSeparator(m_deviceBox->count());
    m_deviceBox->addItem(tr(kOpenImageText));
    m_deviceBox->setCurrentIndex(box.selected);
    m_deviceIndex = box.selected;
}

bool CManagerDialog::IsOpenImageEntry(int index) const { return index >= 0 && index == m_deviceBox->count() - 1; }

void CManagerDialog::OnDeviceChosen(int index) {
    if (!IsOpenImageEntry(index)) {
        m_deviceIndex = index;
        RefreshRoutineList();
        return;
    }
    // The entry is a command, not a device: the device chosen before stays, also when the dialog
    // is cancelled. The dialog opens once the box has closed its list.
    {
        const QSignalBlocker quiet(m_deviceBox);
        m_deviceBox->setCurrentIndex(m_deviceIndex);
    }
    QTimer::singleShot(0, this, &CManagerDialog::OpenImageFromDialog);
}

void CManagerDialog::OpenImageFromDialog() {
    if (m_bBusy) return;
    const QString path = ChooseFile(tr("Open card image"), tr(kCardImageFilter));
    if (!path.isEmpty()) OpenCardImages({path}, ImageOrigin::Chosen);
}

void CManagerDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (m_bBusy || !event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
}

void CManagerDialog::dropEvent(QDropEvent* event) {
    if (m_bBusy) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    if (!paths.isEmpty()) OpenCardImages(paths, ImageOrigin::Dropped);
}

void CManagerDialog::OpenCardImages(const QStringList& paths, ImageOrigin origin) {
    std::vector<std::string> files;
    for (const QString& path : paths) files.push_back(path.toStdString());
    auto judged = std::make_shared<std::vector<CardImageJudgement>>(files.size());
    // Reading a file can block (a network share, a disk spinning up): not on the window's thread.
    m_worker->Post(
        [files, judged](std::stop_token) {
            for (size_t i = 0; i < files.size(); ++i) (*judged)[i] = JudgeCardImage(files[i]);
        },
        [this, paths, judged, origin] { ActOnJudgements(paths, *judged, origin); });
}

void CManagerDialog::ActOnJudgements(const QStringList& paths, const std::vector<CardImageJudgement>& judged,
                                     ImageOrigin origin) {
    QStringList routines;
    bool listed = false;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString& path = paths[i];
        switch (judged[size_t(i)].kind) {
            case CardImageKind::Routine:
                if (origin == ImageOrigin::Dropped)
                    routines << path;
                else
                    RefuseFile(tr(kRoutineRefused).arg(Shown(path)));
                break;
            case CardImageKind::VelkDisk:
            case CardImageKind::Blank:
                RememberImage(path);
                listed = true;
                break;
            case CardImageKind::Foreign:
                if (AskToListForeign(path)) {
                    RememberImage(path);
                    listed = true;
                }
                break;
            case CardImageKind::NotSectors: RefuseFile(tr(kNotAnImage).arg(Shown(path))); break;
            case CardImageKind::Unreadable:
                RefuseFile(tr(kUnreadable).arg(Shown(path), QString::fromStdString(judged[size_t(i)].problem)));
                break;
        }
    }
    // Routines go onto the card that was current when they were dropped; images dropped with
    // them are listed when the add has ended (a refresh waits for the command).
    if (!routines.isEmpty()) AddDroppedRoutines(routines);
    if (listed) RefreshDevices();
}

bool CManagerDialog::AskToListForeign(const QString& path) {
    QMessageBox box(QMessageBox::Warning, tr("VELK3 Manager"), tr(kForeignQuestion).arg(Shown(path)),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void CManagerDialog::RefuseFile(const QString& text) {
    m_prompt->ShowMessage(text.toStdString(), kApplicationName, MessageIcon::Warning);
}

void CManagerDialog::AddDroppedRoutines(const QStringList& routines) {
    if (CurrentDevice().Empty()) {
        RefuseFile(tr(kNoCard).arg(Shown(routines.join(QStringLiteral("\", \"")))));
        return;
    }
    std::vector<std::string> paths;
    for (const QString& routine : routines) paths.push_back(routine.toStdString());
    AddRoutineFiles(paths);
}

bool CManagerDialog::ListImage(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        RefuseFile(tr(kUnreadable).arg(Shown(path), tr("no such file")));
        return false;
    }
    RememberImage(path);
    return true;
}

void CManagerDialog::RememberImage(const QString& path) {
    const std::string absolute = QFileInfo(path).absoluteFilePath().toStdString();
    if (std::find(m_images.begin(), m_images.end(), absolute) == m_images.end()) m_images.push_back(absolute);
    // The image just opened becomes the current device.
    m_selectNext = CImageFile::EntryFor(absolute).id;
}

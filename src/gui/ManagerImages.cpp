// Card images that reach the window through the Open dialog or a drop. Each file is judged on the
// worker before it is listed: a file listed as a card can be formatted, so one that is not plainly
// a card or blank is listed only when the user says so, and a routine file never becomes a card.
#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>

#include <utility>

#include "devices/ImageFile.h"
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
    const QSignalBlocker quiet(m_ui.deviceBox);
    m_boxItems = box.items;
    m_ui.deviceBox->clear();
    m_ui.deviceBox->setPlaceholderText(CoreText(device_text::kNoDevices));
    for (const DeviceBoxItem& item : box.items) m_ui.deviceBox->addItem(QString::fromStdString(item.text));
    if (!box.items.empty()) m_ui.deviceBox->insertSeparator(m_ui.deviceBox->count());
    m_ui.deviceBox->addItem(tr(kOpenImageText));
    m_ui.deviceBox->setCurrentIndex(box.selected);
    m_deviceIndex = box.selected;
}

void CManagerDialog::OnDeviceChosen(int index) {
    if (index < 0 || index != m_ui.deviceBox->count() - 1) {  // not "Open card image..."
        m_deviceIndex = index;
        RefreshRoutineList();
        return;
    }
    // The entry is a command, not a device: the device chosen before stays, also when the dialog
    // is cancelled. The dialog opens once the box has closed its list.
    {
        const QSignalBlocker quiet(m_ui.deviceBox);
        m_ui.deviceBox->setCurrentIndex(m_deviceIndex);
    }
    QTimer::singleShot(0, this, &CManagerDialog::OpenImageFromDialog);
}

void CManagerDialog::OpenImageFromDialog() {
    if (IsBusy()) return;
    const QString path = ChooseFile(tr("Open card image"), tr(kCardImageFilter));
    if (!path.isEmpty()) OpenCardImages({path}, ImageOrigin::Chosen);
}

void CManagerDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (IsBusy() || !event->mimeData()->hasUrls()) return;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
}

void CManagerDialog::dropEvent(QDropEvent* event) {
    if (IsBusy()) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    if (!paths.isEmpty()) OpenCardImages(paths, ImageOrigin::Dropped);
}

void CManagerDialog::OpenCardImages(const QStringList& paths, ImageOrigin origin) {
    using Judged = std::vector<std::pair<QString, CardImageJudgement>>;
    // Routines go onto the card that was current when they were dropped, whatever is current once
    // they have been judged.
    const DeviceId dropOnto = CurrentDevice();
    // Reading a file can block (a network share, a disk spinning up): not on the window's thread.
    m_runner->Post<Judged>(
        {},
        [paths](const JobContext&) {
            Judged judged;
            for (const QString& path : paths) judged.emplace_back(path, JudgeCardImage(path.toStdString()));
            return judged;
        },
        [this, origin, dropOnto](Judged judged) {
            QStringList routines;
            bool listed = false;
            for (const auto& [path, judgement] : judged) listed |= ActOnJudgement(path, judgement, origin, routines);
            // Images dropped with routines are listed when the add has ended (a refresh waits for
            // the command).
            if (!routines.isEmpty()) {
                std::vector<std::string> files;
                for (const QString& routine : routines) files.push_back(routine.toStdString());
                if (dropOnto.Empty())
                    RefuseFile(tr(kNoCard).arg(Shown(routines.join(QStringLiteral("\", \"")))));
                else
                    AddRoutineFiles(dropOnto, files);
            }
            if (listed) RefreshDevices();
        });
}

bool CManagerDialog::ActOnJudgement(const QString& path, const CardImageJudgement& judged, ImageOrigin origin,
                                    QStringList& routines) {
    switch (judged.kind) {
        case CardImageKind::Routine:
            if (origin == ImageOrigin::Dropped)
                routines << path;
            else
                RefuseFile(tr(kRoutineRefused).arg(Shown(path)));
            break;
        case CardImageKind::VelkDisk:
        case CardImageKind::Blank: RememberImage(path, judged.file); return true;
        case CardImageKind::Foreign:
            m_runner->Ask(QMessageBox::Warning, tr("VELK3 Manager"), tr(kForeignQuestion).arg(Shown(path)),
                          [this, path, file = judged.file](bool yes) {
                              if (!yes) return;
                              RememberImage(path, file);
                              RefreshDevices();
                          },
                          QMessageBox::No);
            break;
        case CardImageKind::NotSectors: RefuseFile(tr(kNotAnImage).arg(Shown(path))); break;
        case CardImageKind::Unreadable:
            RefuseFile(tr(kUnreadable).arg(Shown(path), QString::fromStdString(judged.problem)));
            break;
    }
    return false;
}

void CManagerDialog::RefuseFile(const QString& text) {
    m_runner->Tell(text.toStdString(), kApplicationName, MessageIcon::Warning);
}

void CManagerDialog::ListStartImage(const QString& path) {
    // Named on the command line: taken as the file there now.
    if (QFileInfo(path).isFile())
        RememberImage(path, CImageFile::EntryFor(QFileInfo(path).canonicalFilePath().toStdString()).id.file);
    else
        RefuseFile(tr(kUnreadable).arg(Shown(path), tr("no such file")));
}

// Kept by the path the links led to when it was judged: the name is never followed again.
void CManagerDialog::RememberImage(const QString& path, const FileIdentity& judged) {
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    DeviceId image = DeviceId::Of(DeviceKind::Image, (canonical.isEmpty() ? file.absoluteFilePath() : canonical).toStdString());
    image.file = judged;
    const auto same = std::find_if(m_images.begin(), m_images.end(), [&](const DeviceId& kept) { return kept.name == image.name; });
    if (same == m_images.end())
        m_images.push_back(image);
    else
        *same = image;
    // The image just opened becomes the current device.
    m_selectNext = image;
}

#include "gui/ManagerDialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

#include "controls/BitmapResource.h"
#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "gui/AboutDialog.h"
#include "gui/DeviceMonitor.h"
#include "gui/QtUserPrompt.h"
#include "gui/WidgetProgress.h"

namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("CManagerDialog", "Varnholt Software - VELK3 Manager");
constexpr const char* kBackUpText = QT_TRANSLATE_NOOP("CManagerDialog", "Back up card...");
constexpr const char* kRestoreText = QT_TRANSLATE_NOOP("CManagerDialog", "Restore card...");
constexpr const char* kAboutText = QT_TRANSLATE_NOOP("CManagerDialog", "&About VELK3 Manager...");
}  // namespace

CManagerDialog::CManagerDialog(ManagerOptions options, QWidget* parent) : QDialog(parent) {
    InitGuiResources();
    if (!options.prompt) m_ownPrompt = std::make_unique<CQtUserPrompt>();
    m_prompt = options.prompt ? options.prompt : m_ownPrompt.get();
    m_prompt->SetOwner(this);
    setWindowTitle(tr(kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    m_ui.Setup(*this);
    m_progress = std::make_unique<CWidgetProgress>(m_ui.statusBox, m_ui.progressBar);
    m_runner = std::make_unique<CCommandRunner>(*this, *m_prompt, *m_progress, std::move(options.paths));
    m_editing = new CRoutineListEditing(
        *m_ui.routineList,
        {[this] { return CurrentDevice(); },
         [this](const QString& caption, const QString& filter, bool save) { return ChooseFile(caption, filter, save); },
         [this](const std::function<void()>& dialog) { m_runner->Hold(dialog); },
         [this](const RoutineEdit& edit) { StartRoutineEdit(edit); }});
    ConnectCommands();
    m_ui.schedulesButton->setVisible(options.showSchedules);
    m_chooseFile = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(this, caption, QString(), filter);
    };
    m_chooseSaveFile = [this](const QString& caption, const QString& filter) {
        // The job says what becomes of a file that exists (Save as Routine File asks, a backup
        // refuses it): a question here as well would ask twice, or promise what the job refuses.
        return QFileDialog::getSaveFileName(this, caption, QString(), filter, nullptr, QFileDialog::DontConfirmOverwrite);
    };
    for (const std::string& image : options.images) ListStartImage(QString::fromStdString(image));
    UpdateCommands();  // off until the first listing has come back
    RefreshDevices();
    if (options.deviceEvents) {
        m_monitor = new CDeviceMonitor(std::move(options.deviceEvents), CDeviceMonitor::kQuietInterval, this);
        connect(m_monitor, &CDeviceMonitor::devicesChanged, this, &CManagerDialog::RefreshDevices);
    }
}

CManagerDialog::~CManagerDialog() {
    // No device event may start a job any more; a job still running asks nobody, and its end is
    // dropped.
    delete m_monitor;
    m_monitor = nullptr;
    m_prompt->Close();
    m_runner->Shutdown();
}

void CManagerDialog::ConnectCommands() {
    connect(m_ui.deviceBox, &QComboBox::currentIndexChanged, this, &CManagerDialog::OnDeviceChosen);
    connect(m_ui.deviceBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        AddCardMenuItems(menu);
        menu.exec(m_ui.deviceBox->mapToGlobal(at));
    });
    connect(m_ui.refreshButton, &QPushButton::clicked, this, &CManagerDialog::RefreshDevices);
    connect(m_ui.addButton, &QPushButton::clicked, this, &CManagerDialog::OnAddRoutine);
    connect(m_ui.removeButton, &QPushButton::clicked, this, &CManagerDialog::OnRemoveLast);
    connect(m_ui.formatButton, &QPushButton::clicked, this, &CManagerDialog::OnFormat);
    connect(m_ui.schedulesButton, &QPushButton::clicked, this, &CManagerDialog::OnEditSchedules);
    connect(m_ui.firmwareButton, &QPushButton::clicked, this, &CManagerDialog::OnLoadFirmware);
    connect(m_ui.exitButton, &QPushButton::clicked, this, &CManagerDialog::OnExitOrCancel);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &CManagerDialog::ShowAbout);
    connect(m_runner.get(), &CCommandRunner::commandStarted, this, [this](bool cancellable) { OnBusyChanged(true, cancellable); });
    connect(m_runner.get(), &CCommandRunner::commandEnded, this, [this] { OnBusyChanged(false, false); });
    connect(m_runner.get(), &CCommandRunner::commandFinished, this, &CManagerDialog::workFinished);
    connect(m_runner.get(), &CCommandRunner::closeNow, this, [this] { done(QDialog::Rejected); });
}

void CManagerDialog::ShowAbout() {
    CAboutDialog about(this);
    about.exec();
}

void CManagerDialog::contextMenuEvent(QContextMenuEvent* event) {
    // Linux window managers carry no application items in the window menu: the window's own
    // context menu holds them.
    QMenu menu(this);
    AddCardMenuItems(menu);
    menu.addSeparator();
    menu.addAction(tr(kAboutText), this, &CManagerDialog::ShowAbout);
    menu.exec(event->globalPos());
}

void CManagerDialog::AddCardMenuItems(QMenu& menu) {
    menu.addAction(tr(kOpenImageText), this, &CManagerDialog::OpenImageFromDialog)->setEnabled(!IsBusy());
    const bool card = !IsBusy() && !CurrentDevice().Empty();
    menu.addAction(tr(kBackUpText), this, &CManagerDialog::OnBackUp)->setEnabled(card);
    menu.addAction(tr(kRestoreText), this, &CManagerDialog::OnRestore)->setEnabled(card);
}

QString CManagerDialog::ChooseFile(const QString& caption, const QString& filter, bool save) {
    const FileChooser& choose = save ? m_chooseSaveFile : m_chooseFile;
    QString chosen;
    // A job that ends meanwhile is shown once the dialog has closed, not under it.
    if (choose) m_runner->Hold([&] { chosen = choose(caption, filter); });
    return chosen;
}

void CManagerDialog::OnExitOrCancel() {
    if (m_runner->Cancellable()) {
        m_runner->Cancel();
        m_ui.exitButton->setEnabled(false);  // pressed once is enough; the job ends at its next step
        return;
    }
    if (!IsBusy()) accept();
}

void CManagerDialog::reject() {
    // Escape ends here (the close box goes through closeEvent). During work that can be cancelled
    // Escape is the Cancel button.
    if (!IsBusy())
        QDialog::reject();
    else if (m_runner->Cancellable())
        OnExitOrCancel();
    else
        m_runner->AskToCloseWhenDone();
}

void CManagerDialog::CloseSoon() {
    // A signal to the process: no question, cancel what can be cancelled, close when it has ended.
    if (IsBusy())
        m_runner->CloseWhenDone();
    else
        close();
}

void CManagerDialog::closeEvent(QCloseEvent* event) {
    if (!IsBusy()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    m_runner->AskToCloseWhenDone();
}

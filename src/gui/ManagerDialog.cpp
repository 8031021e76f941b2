#include "gui/ManagerDialog.h"

#include <algorithm>

#include <QCloseEvent>
#include <QComboBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "controls/BitmapResource.h"
#include "controls/ControlList.h"
#include "controls/DialogUnits.h"
#include "controls/ImageButton.h"
#include "gui/AboutDialog.h"
#include "gui/DeviceMonitor.h"
#include "gui/DeviceWorker.h"
#include "gui/QtUserPrompt.h"
#include "gui/Translations.h"
#include "gui/WidgetProgress.h"
#include "operations/CardJobs.h"

namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("CManagerDialog", "Varnholt Software - VELK3 Manager");
constexpr const char* kBackUpText = QT_TRANSLATE_NOOP("CManagerDialog", "Back up card...");
constexpr const char* kRestoreText = QT_TRANSLATE_NOOP("CManagerDialog", "Restore card...");
constexpr const char* kAboutText = QT_TRANSLATE_NOOP("CManagerDialog", "&About VELK3 Manager...");
const QColor kTransparent(0xFF, 0xFF, 0xFF);

// The resource's dialog units: window size, margins, control sizes and gaps.
namespace du {
constexpr int kWidth = 418, kHeight = 269;
constexpr int kLeft = 18, kTop = 12, kRight = 16, kBottom = 17;
constexpr int kLabelWidth = 54, kStatusWidth = 78, kRefreshWidth = 36, kRowHeight = 12;
constexpr int kButtonWidth = 78, kButtonHeight = 36;
constexpr int kButtonGapX = 24, kButtonGapY = 6, kRowGap = 12, kSmallGap = 6;
constexpr int kButtonIndent = 54;  // the command buttons start at x 72, the list at x 18
}  // namespace du

// The widths were chosen for the Windows dialog font; a wider desktop font must not cut a title.
constexpr int kHeaderTitlePadding = 16;

QList<int> TitleFittingWidths(const QStringList& titles, QList<int> widths) {
    const QFontMetrics metrics(QApplication::font("QHeaderView"));
    for (int column = 0; column < titles.size() && column < widths.size(); ++column)
        widths[column] = std::max(widths[column], metrics.horizontalAdvance(titles[column]) + kHeaderTitlePadding);
    return widths;
}
}  // namespace

CManagerDialog::CManagerDialog(ManagerOptions options, QWidget* parent)
    : QDialog(parent), m_paths(std::move(options.paths)), m_worker(std::make_unique<CDeviceWorker>()) {
    InitGuiResources();
    if (!options.prompt) m_ownPrompt = std::make_unique<CQtUserPrompt>();
    m_prompt = options.prompt ? options.prompt : m_ownPrompt.get();
    m_prompt->SetOwner(this);
    setWindowTitle(tr(kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    setSizeGripEnabled(true);
    setAcceptDrops(true);
    BuildControls();
    BuildLayout();
    SetTabOrder();
    ConnectCommands();
    m_schedulesButton->setVisible(options.showSchedules);
    m_chooseFile = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(this, caption, QString(), filter);
    };
    m_chooseSaveFile = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, QString(), filter);
    };
    for (const std::string& image : options.images) ListImage(QString::fromStdString(image));
    DisableCommands();  // until the first listing has come back
    connect(m_worker.get(), &CDeviceWorker::idle, this, [this] {
        if (m_refreshWhenIdle && !m_bBusy) RefreshDevices();
    });
    RefreshDevices();
    StartMonitor(std::move(options.deviceEvents));
}

CManagerDialog::~CManagerDialog() {
    // A job still running may ask or tell: from here on nobody is asked, and its result is dropped.
    m_prompt->Close();
    m_worker.reset();
}

void CManagerDialog::BuildControls() {
    m_deviceLabel = new QLabel(tr("Current Device"), this);
    m_deviceLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_deviceBox = new QComboBox(this);
    m_deviceBox->setAccessibleName(tr("Current Device"));
    m_deviceBox->setContextMenuPolicy(Qt::CustomContextMenu);
    m_deviceBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deviceLabel->setBuddy(m_deviceBox);
    m_refreshButton = new QPushButton(tr("Refresh"), this);
    m_routineList = new CControlList(bitmap_id::kCheckImages, this);
    m_routineList->setAccessibleName(tr("Routines"));
    QStringList titles;
    for (const char* heading : kRoutineHeadings) titles << CoreText(heading);
    m_routineList->SetColumns(titles, TitleFittingWidths(titles, {45, 150, 75, 100, 100, 100}));
    // The list takes the room the window gets; the last column grows with it, so the family
    // names fit.
    m_routineList->horizontalHeader()->setStretchLastSection(true);
    m_statusBox = new QLineEdit(this);
    m_statusBox->setReadOnly(true);
    m_statusBox->setAccessibleName(tr("Status"));
    m_progressBar = new QProgressBar(this);
    m_progressBar->setAccessibleName(tr("Progress"));
    m_progressBar->setValue(0);
    m_progress = std::make_unique<CWidgetProgress>(m_statusBox, m_progressBar);

    auto button = [this](const char* caption, int bitmap) {
        auto* made = new CImageButton(tr(caption), this);
        made->SetBitmaps(bitmap, kTransparent);
        made->setAccessibleName(made->text());
        made->setAutoDefault(true);  // Enter presses the focused button; elsewhere Exit, the default
        made->SetDrawFlatFocus(true);
        return made;
    };
    m_addButton = button(QT_TR_NOOP("Add routine..."), bitmap_id::kAddRoutine);
    m_removeButton = button(QT_TR_NOOP("Remove last routine"), bitmap_id::kRemoveLast);
    m_formatButton = button(QT_TR_NOOP("Format disk"), bitmap_id::kFormatDisk);
    m_schedulesButton = button(QT_TR_NOOP("Edit schedules..."), bitmap_id::kEditSchedules);
    m_firmwareButton = button(QT_TR_NOOP("Load firmware..."), bitmap_id::kLoadFirmware);
    m_exitButton = button(QT_TR_NOOP("Exit"), bitmap_id::kExit);
    m_exitButton->SetDefaultButton(true);
    m_refreshButton->setAutoDefault(true);
}

void CManagerDialog::BuildLayout() {
    const CDialogUnits units(font());
    auto* top = new QHBoxLayout;
    m_deviceLabel->setMinimumWidth(units.X(du::kLabelWidth));
    m_refreshButton->setMinimumSize(units.X(du::kRefreshWidth), units.Y(du::kRowHeight));
    top->addWidget(m_deviceLabel);
    top->addWidget(m_deviceBox, 1);
    top->addWidget(m_refreshButton);

    auto* status = new QHBoxLayout;
    m_statusBox->setFixedWidth(units.X(du::kStatusWidth));
    status->addWidget(m_statusBox);
    status->addWidget(m_progressBar, 1);

    auto* buttons = new QGridLayout;
    buttons->setHorizontalSpacing(units.X(du::kButtonGapX));
    buttons->setVerticalSpacing(units.Y(du::kButtonGapY));
    const CImageButton* grid[2][3] = {{m_addButton, m_removeButton, m_formatButton},
                                      {m_schedulesButton, m_firmwareButton, m_exitButton}};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column) {
            auto* widget = const_cast<CImageButton*>(grid[row][column]);
            widget->setMinimumSize(units.Size(du::kButtonWidth, du::kButtonHeight));
            buttons->addWidget(widget, row, column);
        }
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addSpacing(units.X(du::kButtonIndent));
    buttonRow->addLayout(buttons);
    buttonRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(units.X(du::kLeft), units.Y(du::kTop), units.X(du::kRight), units.Y(du::kBottom));
    layout->setSpacing(units.Y(du::kSmallGap));
    layout->addLayout(top);
    layout->addSpacing(units.Y(du::kRowGap) - layout->spacing());
    layout->addWidget(m_routineList, 1);
    layout->addSpacing(units.Y(du::kRowGap) - layout->spacing());
    layout->addLayout(status);
    layout->addLayout(buttonRow);
    resize(FirstSizeOnScreen(*this, units.Size(du::kWidth, du::kHeight)));
}

void CManagerDialog::SetTabOrder() {
    // The resource's order; the progress bar takes no focus.
    const QWidget* order[] = {m_deviceBox,    m_refreshButton, m_routineList,     m_statusBox,
                              m_addButton,    m_removeButton,  m_formatButton,    m_schedulesButton,
                              m_firmwareButton, m_exitButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void CManagerDialog::ConnectCommands() {
    connect(m_deviceBox, &QComboBox::currentIndexChanged, this, &CManagerDialog::OnDeviceChosen);
    connect(m_deviceBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        AddCardMenuItems(menu);
        menu.exec(m_deviceBox->mapToGlobal(at));
    });
    connect(m_refreshButton, &QPushButton::clicked, this, &CManagerDialog::RefreshDevices);
    connect(m_addButton, &QPushButton::clicked, this, &CManagerDialog::OnAddRoutine);
    connect(m_removeButton, &QPushButton::clicked, this, &CManagerDialog::OnRemoveLast);
    connect(m_formatButton, &QPushButton::clicked, this, &CManagerDialog::OnFormat);
    connect(m_schedulesButton, &QPushButton::clicked, this, &CManagerDialog::OnEditSchedules);
    connect(m_firmwareButton, &QPushButton::clicked, this, &CManagerDialog::OnLoadFirmware);
    connect(m_exitButton, &QPushButton::clicked, this, &CManagerDialog::OnExitOrCancel);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &CManagerDialog::ShowAbout);
}

void CManagerDialog::StartMonitor(std::unique_ptr<IDeviceEventSource> events) {
    if (!events) return;
    m_monitor = new CDeviceMonitor(std::move(events), CDeviceMonitor::kQuietInterval, this);
    connect(m_monitor, &CDeviceMonitor::devicesChanged, this, &CManagerDialog::RefreshDevices);
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
    menu.addAction(tr(kOpenImageText), this, &CManagerDialog::OpenImageFromDialog)->setEnabled(!m_bBusy);
    const bool card = !m_bBusy && !CurrentDevice().Empty();
    menu.addAction(tr(kBackUpText), this, &CManagerDialog::OnBackUp)->setEnabled(card);
    menu.addAction(tr(kRestoreText), this, &CManagerDialog::OnRestore)->setEnabled(card);
}

QString CManagerDialog::ChooseFile(const QString& caption, const QString& filter) {
    return m_chooseFile ? m_chooseFile(caption, filter) : QString();
}

void CManagerDialog::OnExitOrCancel() {
    if (m_work == Work::Cancellable) {
        m_commandStop.request_stop();
        m_exitButton->setEnabled(false);  // pressed once is enough; the job ends at its next step
        return;
    }
    if (!m_bBusy) accept();
}

void CManagerDialog::reject() {
    // Escape ends here (the close box goes through closeEvent). During work that can be cancelled
    // Escape is the Cancel button.
    if (!m_bBusy) {
        QDialog::reject();
        return;
    }
    if (m_work == Work::Cancellable)
        OnExitOrCancel();
    else
        AskToCloseWhenDone();
}

void CManagerDialog::CloseSoon() {
    // A signal to the process: no question, cancel what can be cancelled, close when it has ended.
    if (!m_bBusy) {
        close();
        return;
    }
    m_closeWhenDone = true;
    if (m_work == Work::Cancellable) OnExitOrCancel();
}

void CManagerDialog::closeEvent(QCloseEvent* event) {
    if (m_bBusy) {
        event->ignore();
        AskToCloseWhenDone();
        return;
    }
    QDialog::closeEvent(event);
}

void CManagerDialog::AskToCloseWhenDone() {
    if (m_work == Work::Cancellable)
        AskToCancelOrWait();
    else
        NoteClosingWhenDone();
}

void CManagerDialog::AskToCancelOrWait() {
    if (m_closeWhenDone) return;
    QMessageBox box(QMessageBox::Question, tr("VELK3 Manager"),
                    tr("The card is being written.\n\nCancel now (the card keeps what it held before), or close "
                       "VELK3 Manager when the work has ended?"),
                    QMessageBox::NoButton, this);
    QPushButton* cancelNow = box.addButton(tr("Cancel and Close"), QMessageBox::DestructiveRole);
    QPushButton* whenDone = box.addButton(tr("Close When Done"), QMessageBox::AcceptRole);
    box.addButton(tr("Keep Open"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() != cancelNow && box.clickedButton() != whenDone) return;
    m_closeWhenDone = true;
    if (!m_bBusy)
        done(QDialog::Rejected);  // the work ended while the box was open
    else if (box.clickedButton() == cancelNow)
        OnExitOrCancel();
}

void CManagerDialog::NoteClosingWhenDone() {
    m_closeWhenDone = true;
    if (m_closingNote) return;
    const QString text = m_work == Work::Firmware
                             ? tr("The firmware is being written to the VELK. Cutting this off can damage it.\n\n"
                                  "VELK3 Manager will close as soon as the update has ended.")
                             : tr("The card is being written. Cutting this off could damage what it holds.\n\n"
                                  "VELK3 Manager will close as soon as the work has ended.");
    m_closingNote = new QMessageBox(QMessageBox::Information, tr("VELK3 Manager"), text, QMessageBox::Ok, this);
    QPushButton* stay = m_closingNote->addButton(tr("Keep Open"), QMessageBox::RejectRole);
    connect(stay, &QPushButton::clicked, this, [this] { m_closeWhenDone = false; });
    m_closingNote->setAttribute(Qt::WA_DeleteOnClose);
    m_closingNote->setModal(false);
    m_closingNote->show();
}

#include "gui/CommandRunner.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QWidget>

#include <utility>

#include "gui/DeviceWorker.h"
#include "gui/QtUserPrompt.h"
#include "platform/JobControl.h"

namespace {

// The window's texts: they keep the main window's translation context.
constexpr const char* kContext = "CManagerDialog";
constexpr const char* kUnexpected = QT_TRANSLATE_NOOP("CManagerDialog", "The work ended with an unexpected failure.");
constexpr const char* kCaption = QT_TRANSLATE_NOOP("CManagerDialog", "VELK3 Manager");

QString Tr(const char* text) { return QCoreApplication::translate(kContext, text); }

}  // namespace

CCommandRunner::CCommandRunner(QWidget& window, CQtUserPrompt& prompt, IProgressSink& progress, SystemPaths paths)
    : m_window(window), m_prompt(prompt), m_progress(progress), m_paths(std::move(paths)),
      m_worker(std::make_unique<CDeviceWorker>()) {}

CCommandRunner::~CCommandRunner() { Shutdown(); }

void CCommandRunner::Shutdown() {
    m_closing = true;
    m_worker.reset();
}

CCommandRunner::Ending CCommandRunner::Attempt(const std::function<void()>& body) {
    Ending ending;
    try {
        body();
    } catch (const CJobStopped& e) {
        ending.failure = e.Text();
        ending.failureIcon = MessageIcon::Information;
    } catch (const CVelkException& e) {
        ending.failure = e.Text();
        ending.summary = e.Summary();
    } catch (const std::exception& e) {
        // Not one of the reported kinds (memory, a library's own); still the user's to know.
        ending.failure = e.what();
    } catch (...) {
        ending.failure = Tr(kUnexpected).toStdString();
    }
    return ending;
}

std::stop_source CCommandRunner::PostToWorker(std::function<std::function<void()>(std::stop_token)> job) {
    if (m_closing) return {};
    return m_worker->Post(std::move(job));
}

JobContext CCommandRunner::ContextFor(const DeviceId& device, std::stop_token stop) const {
    JobContext context(device, &m_prompt, &m_progress, std::move(stop));
    context.paths = m_paths;
    return context;
}

bool CCommandRunner::Idle() const {
    return (!m_worker || m_worker->Idle()) && m_endings.empty() && m_boxes.empty() && !m_holding;
}

void CCommandRunner::Tell(const MessageText& text, const std::string& caption, MessageIcon icon) {
    m_boxes.push_back([this, text, caption, icon] { m_prompt.ShowMessage(text, caption, icon); });
}

void CCommandRunner::TellFailure(const Ending& ending) {
    // With the job's sentence first, the device's or library's own text is there for who asks.
    if (ending.summary.Empty())
        Tell(ending.failure, kApplicationName, ending.failureIcon);
    else
        m_boxes.push_back([this, ending] {
            m_prompt.ShowMessage(ending.summary, kApplicationName, ending.failureIcon, ending.failure);
        });
}

void CCommandRunner::Ask(QMessageBox::Icon icon, const QString& caption, const QString& text,
                         std::function<void(bool yes)> then, QMessageBox::StandardButton byDefault) {
    m_boxes.push_back([this, icon, caption, text, then = std::move(then), byDefault] {
        if (m_prompt.IsClosed()) return;
        QMessageBox box(icon, caption, text, QMessageBox::Yes | QMessageBox::No, &m_window);
        box.setDefaultButton(byDefault);
        then(box.exec() == QMessageBox::Yes);
    });
}

void CCommandRunner::Deliver(Ending ending) {
    m_endings.push_back(std::move(ending));
    Hold([] {});
}

void CCommandRunner::Hold(const std::function<void()>& body) {
    if (m_holding) {
        body();  // the hold around it delivers what arrives meanwhile
        return;
    }
    m_holding = true;
    body();
    DeliverHeld();
    m_holding = false;
}

void CCommandRunner::DeliverHeld() {
    while (!m_endings.empty()) {
        const Ending next = std::move(m_endings.front());
        m_endings.pop_front();
        if (next.command) {
            m_busy = false;
            emit commandEnded();
        }
        if (!next.failure.Empty()) TellFailure(next);
        next.done();
        ShowBoxes();
        if (next.command) FinishCommand();
    }
}

void CCommandRunner::ShowBoxes() {
    while (!m_boxes.empty()) {
        const std::function<void()> box = std::move(m_boxes.front());
        m_boxes.pop_front();
        box();
    }
}

void CCommandRunner::FinishCommand() {
    if (m_whenNoCommand) std::exchange(m_whenNoCommand, nullptr)();
    emit commandFinished();
    if (!m_closeWhenDone) return;
    if (m_closingNote) m_closingNote->close();
    emit closeNow();
}

void CCommandRunner::Cancel() {
    if (Cancellable()) m_commandStop.request_stop();
}

void CCommandRunner::WhenNoCommand(std::function<void()> action) {
    if (m_busy)
        m_whenNoCommand = std::move(action);
    else if (!m_closing)
        action();
}

void CCommandRunner::CloseWhenDone() {
    m_closeWhenDone = true;
    Cancel();
}

void CCommandRunner::AskToCloseWhenDone() {
    if (m_command.cancellable)
        AskToCancelOrWait();
    else
        NoteClosingWhenDone();
}

void CCommandRunner::AskToCancelOrWait() {
    if (m_closeWhenDone) return;
    QMessageBox box(QMessageBox::Question, Tr(kCaption), m_command.closing, QMessageBox::NoButton, &m_window);
    QPushButton* cancelNow = box.addButton(Tr(QT_TRANSLATE_NOOP("CManagerDialog", "Cancel and Close")),
                                           QMessageBox::DestructiveRole);
    QPushButton* whenDone = box.addButton(Tr(QT_TRANSLATE_NOOP("CManagerDialog", "Close When Done")),
                                          QMessageBox::AcceptRole);
    box.addButton(Tr(QT_TRANSLATE_NOOP("CManagerDialog", "Keep Open")), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() != cancelNow && box.clickedButton() != whenDone) return;
    m_closeWhenDone = true;
    if (!m_busy)
        emit closeNow();  // the work ended while the box was open
    else if (box.clickedButton() == cancelNow)
        Cancel();
}

void CCommandRunner::NoteClosingWhenDone() {
    m_closeWhenDone = true;
    if (m_closingNote) return;
    m_closingNote = new QMessageBox(QMessageBox::Information, Tr(kCaption), m_command.closing, QMessageBox::Ok, &m_window);
    QPushButton* stay = m_closingNote->addButton(Tr(QT_TRANSLATE_NOOP("CManagerDialog", "Keep Open")), QMessageBox::RejectRole);
    connect(stay, &QPushButton::clicked, this, [this] { m_closeWhenDone = false; });
    m_closingNote->setAttribute(Qt::WA_DeleteOnClose);
    m_closingNote->setModal(false);
    m_closingNote->show();
}

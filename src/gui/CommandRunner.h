#pragma once
// Runs the window's jobs on its one worker and brings their ends back to the window's thread. A
// job's value comes back to its done by value; whatever a job throws is caught on the worker and
// told as that job's failure. The boxes a job's end tells are shown after its done has returned,
// and no other job's done runs while one of them is open. A command is a job the user started: one
// runs at a time, the window is busy meanwhile, and the command carries the device it was started
// on and the words closing the window says while it runs. Once the window is closing nothing new is
// run and the running job's end is dropped.
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

#include "devices/DeviceId.h"
#include "devices/DeviceOpener.h"
#include "operations/JobContext.h"
#include "platform/SystemPaths.h"

class CDeviceWorker;
class CQtUserPrompt;
class QWidget;

// A job the user started.
struct Command {
    DeviceId device;           // the device it works on: the one current when the user started it
    bool cancellable = false;  // Exit turns into Cancel, and closing offers to cancel
    QString closing;           // what closing the window says while it runs
};

class CCommandRunner final : public QObject {
    Q_OBJECT
public:
    template <class T>
    using Work = std::function<T(const JobContext&)>;
    // Gets the job's value, or T{} when the job failed (its failure is told after done returns).
    template <class T>
    using Done = std::function<void(T)>;

    // window owns the boxes; prompt asks and tells for the jobs, progress shows their reports.
    CCommandRunner(QWidget& window, CQtUserPrompt& prompt, IProgressSink& progress, SystemPaths paths);
    ~CCommandRunner() override;

    // A job of the window's own (a listing, a judgement), on device.
    template <class T>
    void Post(DeviceId device, Work<T> work, Done<T> done) {
        Queue<T>(std::move(device), std::move(work), std::move(done), false);
    }
    // A command; refused while another runs. It works on its own device whatever is current by
    // then, and fails saying so, before anything is asked or written, when that device has gone.
    template <class T>
    void Start(Command command, Work<T> work, Done<T> done) {
        if (Busy()) return;
        m_command = std::move(command);
        m_busy = true;
        emit commandStarted(m_command.cancellable);
        m_commandStop = Queue<T>(
            m_command.device,
            [work = std::move(work)](const JobContext& context) {
                if (!context.device.Empty()) RequireStillThere(context.device, context.paths);
                return work(context);
            },
            std::move(done), true);
    }

    // Runs body (a box or a dialog of the window) with every job's end held back until it returns.
    void Hold(const std::function<void()>& body);
    // From a done: a message, or a question whose answer then gets, shown once done has returned.
    void Tell(const MessageText& text, const std::string& caption, MessageIcon icon);
    void Ask(QMessageBox::Icon icon, const QString& caption, const QString& text, std::function<void(bool yes)> then,
             QMessageBox::StandardButton byDefault = QMessageBox::Yes);

    // A command runs, or the window is going: nothing new may start.
    bool Busy() const { return m_busy || m_closing; }
    bool Cancellable() const { return m_busy && m_command.cancellable; }
    // Nothing queued or running, every done run and every box answered.
    bool Idle() const;
    // The window closes once the running command has ended.
    bool ClosingWhenDone() const { return m_closeWhenDone; }
    // Asks the running command to stop when it can be cancelled.
    void Cancel();
    // Runs action now when no command runs, else once the running one has ended (the last one
    // asked for is run once).
    void WhenNoCommand(std::function<void()> action);

    // The close box or Escape while a command runs: a cancellable one asks whether to cancel or to
    // wait, another is waited for with a note the user can take back.
    void AskToCloseWhenDone();
    // A signal to the process: no question; cancels what can be, closes when the command has ended.
    void CloseWhenDone();
    // The window is going: nothing more is run, the running job is asked to stop and waited for.
    void Shutdown();

signals:
    void commandStarted(bool cancellable);
    // The command is no longer running; its done runs next.
    void commandEnded();
    // The command's done has run and its boxes have been answered.
    void commandFinished();
    // Closing was asked for and the command has ended: the window closes now.
    void closeNow();

private:
    struct Ending {
        bool command = false;
        std::function<void()> done;
        MessageText failure;  // empty: none
        MessageText summary;  // the job's sentence on the failure, when it gave one
        MessageIcon failureIcon = MessageIcon::None;
    };
    // Runs body; what it throws, as the text and icon the window tells it with.
    static Ending Attempt(const std::function<void()>& body);

    template <class T>
    std::stop_source Queue(DeviceId device, Work<T> work, Done<T> done, bool command);
    // Posts job to the worker; none once the window is closing.
    std::stop_source PostToWorker(std::function<std::function<void()>(std::stop_token)> job);
    JobContext ContextFor(const DeviceId& device, std::stop_token stop) const;
    void Deliver(Ending ending);
    void TellFailure(const Ending& ending);
    void DeliverHeld();
    void ShowBoxes();
    void FinishCommand();
    void AskToCancelOrWait();
    void NoteClosingWhenDone();

    QWidget& m_window;
    CQtUserPrompt& m_prompt;
    IProgressSink& m_progress;
    SystemPaths m_paths;
    std::unique_ptr<CDeviceWorker> m_worker;

    bool m_busy = false;
    bool m_closing = false;
    Command m_command;
    std::stop_source m_commandStop;
    std::function<void()> m_whenNoCommand;
    bool m_closeWhenDone = false;
    QPointer<QMessageBox> m_closingNote;

    std::deque<Ending> m_endings;  // delivered while boxes were open: run when they are answered
    std::deque<std::function<void()>> m_boxes;
    bool m_holding = false;
};

template <class T>
std::stop_source CCommandRunner::Queue(DeviceId device, Work<T> work, Done<T> done, bool command) {
    return PostToWorker([this, device = std::move(device), work = std::move(work), done = std::move(done),
                           command](std::stop_token stop) -> std::function<void()> {
        T value{};
        Ending ending = Attempt([&] { value = work(ContextFor(device, stop)); });
        ending.command = command;
        ending.done = [done, value = std::move(value)]() mutable {
            if (done) done(std::move(value));
        };
        return [this, ending = std::move(ending)] { Deliver(ending); };
    });
}

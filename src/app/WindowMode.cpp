#include "app/WindowMode.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ManagerApp.h"
#include "app/SignalPipe.h"
#include "gui/ManagerDialog.h"
#include "gui/QtUserPrompt.h"
#include "gui/Translations.h"
#include "gui/UdevEventSource.h"
#include "platform/BuildInfo.h"
#include "platform/SystemPaths.h"

namespace {

constexpr const char* kHeadlessHint =
    "velk3 does every job of the window without one (velk3 --help).\n";

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

void SayNoDisplay(const std::string& why) {
    std::fprintf(stderr, "velk3-manager: %s; %s", why.c_str(), kHeadlessHint);
    std::fflush(stderr);
}

// Qt ends the process with abort() when no platform plugin can start (a display that refuses the
// connection). While the application is made, its messages are held back; a fatal one becomes our
// line and exit status 1 instead of a core dump.
struct HeldMessages {
    static inline std::vector<std::pair<QtMsgType, std::string>> held;
    static inline QtMessageHandler previous = nullptr;

    static void Handler(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg) {
            SayNoDisplay("cannot open the window on this display");
            std::_Exit(manager_exit::kFailed);
        }
        held.emplace_back(type, text.toStdString());
    }
    static void Release() {
        qInstallMessageHandler(previous);
        for (const auto& [type, text] : held) qt_message_output(type, QMessageLogContext(), QString::fromStdString(text));
        held.clear();
    }
};

// A box open over the window (a question, About, a file dialog) would keep the window's close
// waiting; closing it answers as its Escape key does, which never starts anything destructive.
void CloseModalBoxes(QDialog& window) {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == &window || !modal->close()) return;
        QCoreApplication::processEvents();
    }
}

// SIGINT, SIGTERM and SIGHUP close the window as its close box does: a write in progress ends first.
class CCloseOnSignal {
public:
    CCloseOnSignal() { signal_pipe::Install({SIGINT, SIGTERM, SIGHUP}); }
    void Connect(CManagerDialog& window) {
        if (signal_pipe::ReadEnd() < 0) return;
        m_notifier = std::make_unique<QSocketNotifier>(signal_pipe::ReadEnd(), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &window, [&window] {
            signal_pipe::Drain();
            CloseModalBoxes(window);
            window.CloseSoon();
        });
    }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace

int RunWindowMode(const WindowOptions& options, int argc, char** argv) {
    if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
        SayNoDisplay("no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        return manager_exit::kFailed;
    }
    CCloseOnSignal closer;
    HeldMessages::previous = qInstallMessageHandler(HeldMessages::Handler);
    QApplication application(argc, argv);
    HeldMessages::Release();
    QGuiApplication::setDesktopFileName(kApplicationId);
    InstallTranslations(application);

    CQtUserPrompt prompt;
    ManagerOptions window;
    window.images = options.images;
    window.showSchedules = options.showSchedules;
    window.paths = SystemPathsFromEnvironment();
    window.deviceEvents = CreateUdevEventSource();
    window.prompt = &prompt;
    CManagerDialog dialog(std::move(window));
    closer.Connect(dialog);
    dialog.exec();
    return manager_exit::kDone;
}

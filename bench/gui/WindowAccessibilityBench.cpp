// The main window's routine list under a screen reader. The window runs as a child process on a
// desktop with the accessibility bus and a listener for every event (AccessibilityDesktop.h), and
// is timed choosing a card, refreshing it and choosing an empty card; the same window without any
// bus is the baseline. Goals: a card of 2,000 routines within 1 s with the bus, a full card
// (65,533 routines) within 5 s. Each figure is the median of three windows; a run that passes
// the limit is stopped and reported as such.
// Usage: bench_window_a11y [--limit SECONDS] [ROUTINES...]   (default: 2000 65533, limit 300 s)
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "AccessibilityDesktop.h"
#include "BenchSupport.h"
#include "controls/ControlList.h"
#include "disk/DiskLayout.h"
#include "gui/ManagerDialog.h"

namespace {

constexpr int kDefaultLimitSeconds = 300;
constexpr int kBridgeWaitMs = 10000;
constexpr int kMsPerSecond = 1000;
constexpr int kSettleRounds = 3;
constexpr int kRuns = 3;
constexpr int kSchedules = 10;
constexpr int kSmallCard = 2000;
constexpr double kSmallGoalSeconds = 1.0;
constexpr double kFullGoalSeconds = 5.0;
const char* const kWindowRole = "--window";
// The timed steps, in the order the window runs them.
const char* const kSteps[] = {"choose", "refresh", "empty"};

void Settle() {
    for (int round = 0; round < kSettleRounds; ++round) QCoreApplication::processEvents();
}

bool WaitForBridge() {
    const QDeadlineTimer deadline(kBridgeWaitMs);
    while (!QAccessible::isActive() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kBridgeWaitMs / 100);
        QThread::msleep(10);
    }
    return QAccessible::isActive();
}

// The card is read on the window's worker: a step ends when the worker is idle and the list shows
// what it read.
void WaitUntilListed(const CManagerDialog& window) {
    while (!window.IsIdle()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Settle();
}

double TimeStep(const CManagerDialog& window, const std::function<void()>& step) {
    QElapsedTimer timer;
    timer.start();
    step();
    WaitUntilListed(window);
    return double(timer.nsecsElapsed()) / 1e9;
}

// The child: the window with the card and an empty card listed, the empty one current. Prints one
// line per step as it ends ("choose 0.123 2000"), so a stopped run still tells what it reached.
int RunWindow(int argc, char** argv, const QString& card, const QString& empty, bool expectBridge) {
    QApplication app(argc, argv);
    const bool bridge = expectBridge ? WaitForBridge() : QAccessible::isActive();
    std::printf("bridge %d\n", bridge ? 1 : 0);
    std::fflush(stdout);
    if (bridge != expectBridge) return 3;
    ManagerOptions options;
    options.images = {card.toStdString(), empty.toStdString()};
    const std::string nowhere = QDir::temp().filePath(QStringLiteral("velk3-no-system")).toStdString();
    options.paths = SystemPaths{nowhere, nowhere, nowhere};
    CManagerDialog window(std::move(options));
    window.show();
    WaitUntilListed(window);
    QComboBox* box = window.DeviceBox();
    const int cardIndex = window.DeviceCount() - 2;
    const std::function<void()> steps[] = {[&] { box->setCurrentIndex(cardIndex); },
                                           [&] { window.RefreshButton()->click(); },
                                           [&] { box->setCurrentIndex(cardIndex + 1); }};
    for (size_t i = 0; i < std::size(steps); ++i) {
        const double seconds = TimeStep(window, steps[i]);
        std::printf("%s %.4f %d\n", kSteps[i], seconds, window.RoutineList()->GetRowCount());
        std::fflush(stdout);
    }
    return 0;
}

struct WindowRun {
    std::map<std::string, double> seconds;  // the steps that ended
    std::map<std::string, int> rows;
    bool bridge = false;
    bool stopped = false;
};

WindowRun RunChild(const QString& self, const QString& card, const QString& empty, const QProcessEnvironment& env,
                   bool withBus, int limitSeconds) {
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop loop;
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(limitSeconds * kMsPerSecond, &loop, &QEventLoop::quit);
    child.start(self, {QString::fromLatin1(kWindowRole), card, empty, withBus ? QStringLiteral("1") : QStringLiteral("0")});
    if (child.state() != QProcess::NotRunning) loop.exec();  // the listener hears events meanwhile
    WindowRun run;
    if (child.state() != QProcess::NotRunning) {
        run.stopped = true;
        child.kill();
        child.waitForFinished();
    }
    while (child.canReadLine()) {
        const QStringList words = QString::fromLocal8Bit(child.readLine()).trimmed().split(u' ', Qt::SkipEmptyParts);
        if (words.size() == 2 && words[0] == QStringLiteral("bridge")) run.bridge = words[1] == QStringLiteral("1");
        if (words.size() == 3) {
            run.seconds[words[0].toStdString()] = words[1].toDouble();
            run.rows[words[0].toStdString()] = words[2].toInt();
        }
    }
    return run;
}

// Each step's median over the runs that reached it; a stopped run stops the series.
WindowRun MedianRun(const QString& self, const QString& card, const QString& empty, const QProcessEnvironment& env,
                    bool withBus, int limitSeconds) {
    std::vector<WindowRun> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.push_back(RunChild(self, card, empty, env, withBus, limitSeconds));
        if (runs.back().stopped || runs.back().bridge != withBus) break;
    }
    WindowRun median = runs.back();
    for (const char* step : kSteps) {
        std::vector<double> times;
        for (const WindowRun& run : runs)
            if (run.seconds.count(step)) times.push_back(run.seconds.at(step));
        if (times.empty()) continue;
        std::sort(times.begin(), times.end());
        median.seconds[step] = times[times.size() / 2];
        for (const WindowRun& run : runs)
            if (run.rows.count(step)) median.rows[step] = run.rows.at(step);
    }
    return median;
}

std::string Seconds(const WindowRun& run, const char* step, int limitSeconds) {
    const auto found = run.seconds.find(step);
    if (found != run.seconds.end()) return std::to_string(found->second).substr(0, 7) + " s";
    return run.stopped ? "not done within " + std::to_string(limitSeconds) + " s" : "failed";
}

void Report(int routines, const WindowRun& bus, const WindowRun& plain, long events, int limitSeconds) {
    std::printf("%d routines: accessibility bridge active %s with the bus, %s without; %ld events to the listener\n",
                routines, bus.bridge ? "yes" : "NO", plain.bridge ? "yes" : "no", events);
    const double goal = routines <= kSmallCard ? kSmallGoalSeconds : kFullGoalSeconds;
    for (const char* step : kSteps) {
        std::printf("  %-8s with the bus %s, without %s (rows %d)\n", step, Seconds(bus, step, limitSeconds).c_str(),
                    Seconds(plain, step, limitSeconds).c_str(), bus.rows.count(step) ? bus.rows.at(step) : -1);
    }
    for (const char* step : {"choose", "refresh"}) {
        if (!bus.seconds.count(step) || !plain.seconds.count(step)) continue;
        const std::string name = std::to_string(routines) + " routines, " + step + " with the bus";
        ReportRatio(name + " against the goal", bus.seconds.at(step), goal, 1.0);
        std::printf("  %s against the same without the bus: ratio %.2f\n", step,
                    bus.seconds.at(step) / plain.seconds.at(step));
    }
}

int RunBenchmark(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int limitSeconds = kDefaultLimitSeconds;
    if (args.size() >= 2 && args[0] == QStringLiteral("--limit")) {
        limitSeconds = args[1].toInt();
        args = args.mid(2);
    }
    QList<int> counts;
    for (const QString& arg : args) counts << qBound(0, arg.toInt(), disk_layout::kMaxTracks);
    if (counts.isEmpty()) counts = {kSmallCard, disk_layout::kMaxTracks};
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const QString empty = dir.filePath(QStringLiteral("empty.img"));
    WriteCardOfRoutines(empty.toStdString(), 0, 0);
    CAccessibilityDesktop desktop;
    for (const int routines : counts) {
        const QString card = dir.filePath(QStringLiteral("card%1.img").arg(routines));
        WriteCardOfRoutines(card.toStdString(), routines, kSchedules);
        const long before = desktop.EventsHeard();
        const WindowRun bus =
            MedianRun(app.applicationFilePath(), card, empty, desktop.Environment(true), true, limitSeconds);
        const long events = desktop.EventsHeard() - before;
        const WindowRun plain =
            MedianRun(app.applicationFilePath(), card, empty, desktop.Environment(false), false, limitSeconds);
        Report(routines, bus, plain, events, limitSeconds);
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], kWindowRole) == 0) {
        return RunWindow(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         std::strcmp(argv[4], "1") == 0);
    }
    try {
        return RunBenchmark(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_window_a11y: %s\n", e.what());
        return 1;
    }
}

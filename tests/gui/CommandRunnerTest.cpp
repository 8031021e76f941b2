// The command runner on its own: a job's value reaches its done, whatever a job throws is told as
// its failure once done has had the empty value, and nothing runs once the window is closing.
#include <QTest>
#include <QWidget>

#include <atomic>
#include <new>
#include <optional>

#include "gui/BoxAnswerer.h"
#include "gui/CommandRunner.h"
#include "gui/QtTestMain.h"
#include "gui/QtUserPrompt.h"

class CommandRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void WhateverAJobThrowsIsToldAsThatJobsFailureAfterItsDone();
    void NothingRunsOnceTheWindowIsClosing();
};

namespace {

class CNoProgress final : public IProgressSink {
public:
    void Report(const ProgressReport&) override {}
};

// A window with its runner, the way the main window makes them.
struct RunnerWorld {
    RunnerWorld() { prompt.SetOwner(&window); }
    QWidget window;
    CQtUserPrompt prompt;
    CNoProgress progress;
    CCommandRunner runner{window, prompt, progress, {}};
};

using Values = std::vector<int>;

}  // namespace

void CommandRunnerTest::WhateverAJobThrowsIsToldAsThatJobsFailureAfterItsDone() {
    RunnerWorld world;
    struct Case {
        const char* name;
        std::function<Values()> work;
        std::string told;  // empty: the job's value arrives
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {"a value", [] { return Values{1, 2, 3}; }, "", QMessageBox::NoIcon},
        {"the system's own failure", []() -> Values { throw CUsbDeviceException("Too few tracks"); }, "Too few tracks",
         QMessageBox::NoIcon},
        {"a stop", []() -> Values { throw CJobStopped(stop_text::kUnchanged); }, stop_text::kUnchanged,
         QMessageBox::Information},
        {"a library's failure", []() -> Values { throw std::bad_alloc(); }, "std::bad_alloc", QMessageBox::NoIcon},
        {"anything else", []() -> Values { throw 42; }, "The work ended with an unexpected failure.", QMessageBox::NoIcon},
    };
    for (const Case& c : cases) {
        CBoxAnswerer boxes;
        std::optional<Values> delivered;
        size_t boxesAtDone = 99;
        world.runner.Post<Values>(
            {}, [&c](const JobContext&) { return c.work(); },
            [&](Values values) {
                delivered = std::move(values);
                boxesAtDone = boxes.seen.size();
            });
        QTRY_VERIFY_WITH_TIMEOUT(world.runner.Idle(), 20000);
        QVERIFY2(delivered.has_value(), c.name);
        QCOMPARE(*delivered, (c.told.empty() ? Values{1, 2, 3} : Values{}));
        QCOMPARE(boxesAtDone, size_t(0));
        QCOMPARE(boxes.Texts(), c.told.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.told});
        if (!c.told.empty()) QCOMPARE(boxes.seen[0].icon, c.icon);
    }
}

void CommandRunnerTest::NothingRunsOnceTheWindowIsClosing() {
    RunnerWorld world;
    world.runner.Shutdown();
    std::atomic<int> ran{0};
    int done = 0;
    world.runner.Post<int>({}, [&](const JobContext&) { return ++ran; }, [&](int) { ++done; });
    world.runner.Start<int>(Command{}, [&](const JobContext&) { return ++ran; }, [&](int) { ++done; });
    world.runner.WhenNoCommand([&] { ++done; });
    QTest::qWait(100);
    QCOMPARE(ran.load(), 0);
    QCOMPARE(done, 0);
    QVERIFY(world.runner.Busy() && world.runner.Idle());
}

VELK3_QT_TEST(CommandRunnerTest)
#include "CommandRunnerTest.moc"

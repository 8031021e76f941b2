// The window's faces of the seams: questions and messages from the window's thread (directly)
// and from a worker (marshalled, the worker waiting), status and progress from a flooding worker,
// and the calls a worker posts to the window's thread.
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QWidget>

#include <memory>
#include <thread>
#include <vector>

#include "gui/QtTestMain.h"
#include "gui/BoxAnswerer.h"
#include "gui/GuiThread.h"
#include "gui/QtUserPrompt.h"
#include "gui/WidgetProgress.h"

class SeamFacesTest : public QObject {
    Q_OBJECT
private slots:
    void QuestionsAndMessagesAreOwnedByTheWindowFromAnyThread();
    void AFloodOfProgressFromAWorkerPostsOneUpdateAndEndsOnTheLastState();
    void SpeedShowsForByteLikePhasesAndTimeLeftForEveryCountedOne();
    void PostedCallsRunInOrderAndNeverOnAContextThatHasGone();
};

namespace {

// Runs call on a worker and turns the window's event loop until it has ended.
template <typename Call>
void OnWorker(Call call) {
    bool done = false;
    std::thread worker([&] {
        call();
        PostToGuiThread(nullptr, [&done] { done = true; });
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
    worker.join();
}

}  // namespace

void SeamFacesTest::QuestionsAndMessagesAreOwnedByTheWindowFromAnyThread() {
    QWidget owner;
    CQtUserPrompt prompt;
    prompt.SetOwner(&owner);
    struct Case {
        bool worker;
        QMessageBox::StandardButton answer;
        bool want;
    };
    for (const Case c : {Case{false, QMessageBox::Yes, true}, Case{false, QMessageBox::No, false},
                         Case{true, QMessageBox::Yes, true}, Case{true, QMessageBox::No, false}}) {
        CBoxAnswerer answerer;
        answerer.answers = {c.answer};
        bool yes = !c.want;
        auto ask = [&] { yes = prompt.AskYesNo("Format?", "Confirm"); };
        c.worker ? OnWorker(ask) : ask();
        QCOMPARE(yes, c.want);
        QCOMPARE(answerer.seen.size(), size_t(1));
        QCOMPARE(answerer.seen[0].caption, std::string("Confirm"));
        QCOMPARE(answerer.seen[0].icon, QMessageBox::Warning);
        QCOMPARE(answerer.seen[0].owner, &owner);
    }
    const std::pair<MessageIcon, QMessageBox::Icon> icons[] = {{MessageIcon::None, QMessageBox::NoIcon},
                                                                {MessageIcon::Information, QMessageBox::Information},
                                                                {MessageIcon::Warning, QMessageBox::Warning},
                                                                {MessageIcon::Error, QMessageBox::Critical}};
    for (const auto& [icon, want] : icons) {
        CBoxAnswerer answerer;
        OnWorker([&] { prompt.ShowMessage("Too few tracks", kApplicationName, icon); });
        QCOMPARE(answerer.seen.size(), size_t(1));
        QCOMPARE(answerer.seen[0].icon, want);
        QCOMPARE(answerer.seen[0].text, std::string("Too few tracks"));
        QCOMPARE(answerer.seen[0].caption, std::string(kApplicationName));
    }
}

namespace {
ProgressReport Report(JobPhase phase, ProgressUnit unit, uint64_t done, uint64_t total) {
    return ProgressReport{phase, unit, done, total, PhaseText(phase)};
}
}  // namespace

void SeamFacesTest::AFloodOfProgressFromAWorkerPostsOneUpdateAndEndsOnTheLastState() {
    QLineEdit status;
    QProgressBar bar;
    CWidgetProgress progress(&status, &bar);
    constexpr uint64_t kSectors = 200000;
    // The window's thread turns no events while the worker floods: everything coalesces.
    std::thread worker([&] {
        for (uint64_t sector = 0; sector <= kSectors; ++sector)
            progress.Report(Report(JobPhase::WritingData, ProgressUnit::Sectors, sector, kSectors));
    });
    worker.join();
    QCOMPARE(progress.PostedUpdates(), 1);
    QTRY_COMPARE(bar.value(), CWidgetProgress::kBarSteps);
    QCOMPARE(status.text(), QString(status_text::kWritingData));

    // On the window's thread the widgets follow at once, nothing is posted; a phase with nothing
    // to count is a busy bar, and the job's end puts the range back.
    progress.Report(Report(JobPhase::Erasing, ProgressUnit::None, 0, 0));
    QCOMPARE(bar.maximum(), 0);
    progress.Report(Report(JobPhase::Ready, ProgressUnit::None, 0, 0));
    QCOMPARE(bar.maximum(), CWidgetProgress::kBarSteps);
    QCOMPARE(status.text(), QString(status_text::kReady));
    progress.ResetBar();
    QCOMPARE(bar.value(), 0);
    QCOMPARE(progress.PostedUpdates(), 1);
}

void SeamFacesTest::SpeedShowsForByteLikePhasesAndTimeLeftForEveryCountedOne() {
    QLineEdit status;
    QProgressBar bar;
    CWidgetProgress progress(&status, &bar);
    struct Case {
        JobPhase phase;
        ProgressUnit unit;
        bool rate, left;
    };
    for (const Case c : {Case{JobPhase::WritingAudio, ProgressUnit::Sectors, true, true},
                         Case{JobPhase::Verifying, ProgressUnit::Sectors, true, true},
                         Case{JobPhase::Converting, ProgressUnit::Samples, false, true},
                         Case{JobPhase::Ready, ProgressUnit::None, false, false}}) {
        progress.Report(Report(c.phase, c.unit, 0, 1000));
        QTest::qWait(20);  // some time must pass for a speed
        progress.Report(Report(c.phase, c.unit, 500, 1000));
        QCOMPARE(bar.format().contains("MB/s"), c.rate);
        QCOMPARE(bar.format().contains(" left"), c.left);
        QVERIFY(bar.format().startsWith("%p%"));
    }
}

// A call bound to an object that goes before the window's thread gets to it must not run on it.
void SeamFacesTest::PostedCallsRunInOrderAndNeverOnAContextThatHasGone() {
    struct Case {
        const char* name;
        bool bound, contextGoes;
        std::vector<int> want;
    };
    for (const Case& c : {Case{"bound, context stays", true, false, {1, 2, 3}},
                          Case{"bound, context goes", true, true, {1, 3}},
                          Case{"unbound", false, true, {1, 2, 3}}}) {
        auto context = std::make_unique<QObject>();
        QObject* bound = c.bound ? context.get() : nullptr;
        std::vector<int> ran;
        std::thread worker([&] {
            PostToGuiThread(nullptr, [&ran] { ran.push_back(1); });
            PostToGuiThread(bound, [&ran] { ran.push_back(2); });
            PostToGuiThread(nullptr, [&ran] { ran.push_back(3); });
        });
        worker.join();  // nothing has run: the window's thread has turned no events yet
        QVERIFY2(ran.empty(), c.name);
        if (c.contextGoes) context.reset();
        QTRY_COMPARE_WITH_TIMEOUT(ran.size(), c.want.size(), 5000);
        QTest::qWait(20);  // a dropped call that ran late would show here
        QVERIFY2(ran == c.want, c.name);
    }
}

VELK3_QT_TEST(SeamFacesTest)
#include "SeamFacesTest.moc"

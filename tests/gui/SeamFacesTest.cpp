// The window's faces of the seams: questions and messages from the window's thread (directly)
// and from a worker (marshalled, the worker waiting), status and progress from a flooding worker.
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QWidget>

#include <thread>

#include "gui/QtTestMain.h"
#include "gui/BoxAnswerer.h"
#include "gui/QtUserPrompt.h"
#include "gui/WidgetProgress.h"

class SeamFacesTest : public QObject {
    Q_OBJECT
private slots:
    void QuestionsAndMessagesAreOwnedByTheWindowFromAnyThread();
    void AFloodOfProgressFromAWorkerPostsOneUpdateAndEndsOnTheLastState();
    void SpeedShowsForByteLikePhasesAndTimeLeftForEveryCountedOne();
};

namespace {

// Runs call on a worker and turns the window's event loop until it has ended.
template <typename Call>
void OnWorker(Call call) {
    bool done = false;
    std::thread worker([&] {
        call();
        QMetaObject::invokeMethod(qApp, [&done] { done = true; }, Qt::QueuedConnection);
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

VELK3_QT_TEST(SeamFacesTest)
#include "SeamFacesTest.moc"

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
    void SpeedAndTimeLeftShowOnlyWhileWriting();
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

void SeamFacesTest::AFloodOfProgressFromAWorkerPostsOneUpdateAndEndsOnTheLastState() {
    QLineEdit status;
    QProgressBar bar;
    CWidgetProgress progress(&status, &bar);
    constexpr int kSectors = 200000;
    // The window's thread turns no events while the worker floods: everything coalesces.
    std::thread worker([&] {
        progress.SetRange(0, kSectors);
        progress.SetText(status_text::kWritingData);
        for (int sector = 1; sector <= kSectors; ++sector) progress.SetPos(sector);
    });
    worker.join();
    QCOMPARE(progress.PostedUpdates(), 1);
    QTRY_COMPARE(bar.value(), kSectors);
    QCOMPARE(bar.maximum(), kSectors);
    QCOMPARE(status.text(), QString(status_text::kWritingData));

    // On the window's thread the widgets follow at once, nothing is posted.
    progress.SetText(status_text::kReady);
    progress.SetRange(0, 10);
    progress.SetStep(4);
    progress.StepIt();
    progress.StepIt();
    progress.StepIt();
    QCOMPARE(status.text(), QString(status_text::kReady));
    QCOMPARE(bar.value(), 10);
    progress.ResetBar();
    QCOMPARE(bar.value(), 0);
    QCOMPARE(progress.PostedUpdates(), 1);
}

void SeamFacesTest::SpeedAndTimeLeftShowOnlyWhileWriting() {
    QLineEdit status;
    QProgressBar bar;
    CWidgetProgress progress(&status, &bar);
    struct Case {
        const char* text;
        bool rate;
    };
    for (const Case c : {Case{status_text::kWritingMp3, true}, Case{status_text::kWritingData, true},
                         Case{status_text::kConvertingAudio, false}, Case{status_text::kReady, false}}) {
        progress.SetRange(0, 1000);
        progress.SetText(c.text);
        QTest::qWait(20);  // some time must pass for a speed
        progress.SetPos(500);
        QCOMPARE(bar.format().contains("MB/s"), c.rate);
        QCOMPARE(bar.format().contains(" left"), c.rate);
        QVERIFY(bar.format().startsWith("%p%"));
    }
}

VELK3_QT_TEST(SeamFacesTest)
#include "SeamFacesTest.moc"

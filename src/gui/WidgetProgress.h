#pragma once
// The window's face of a job's progress: the status box and the progress bar, fed from the worker.
// A report only changes a shared state and posts one update at a time, at most every kMinInterval,
// so an hour-long import cannot flood the window's event loop. The bar shows the percentage, the
// speed of byte-like phases and the time left of every counted phase; a phase with nothing to
// count shows a busy bar, and the end of a job puts the bar's range back.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <mutex>

#include "platform/Progress.h"
#include "platform/ProgressMeter.h"

class QLineEdit;
class QProgressBar;

class CWidgetProgress final : public QObject, public IProgressSink {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kMinInterval{100};
    // The bar counts in steps of this many parts of the whole: a card's sectors do not fit an int.
    static constexpr int kBarSteps = 1000;

    CWidgetProgress(QLineEdit* status, QProgressBar* bar, QObject* parent = nullptr);

    void Report(const ProgressReport& report) override;

    // Window's thread: the bar back at 0 of its whole range, without speed, as after every job.
    void ResetBar();
    // Window's thread: the status text, outside any job.
    void SetText(const QString& text);
    // Updates posted to the window's thread so far (each one repaints at most once).
    int PostedUpdates() const;

private:
    void OnPosted();
    void Apply();

    QPointer<QLineEdit> m_status;
    QPointer<QProgressBar> m_bar;
    QTimer m_throttle;
    std::chrono::steady_clock::time_point m_lastApply{};

    mutable std::mutex m_mutex;
    CProgressMeter m_meter;
    bool m_pending = false;
    int m_posted = 0;
};

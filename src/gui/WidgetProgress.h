#pragma once
// The window's face of the status and progress seam: the status box and the progress bar, fed
// from any thread. A worker's calls only change a shared state and post one update at a time, at
// most every kMinInterval, so an hour-long import cannot flood the window's event loop. While MP3
// or data is written the bar also shows the speed and the time left.
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <mutex>
#include <string>

#include "platform/Progress.h"
#include "platform/TransferRate.h"

class QLineEdit;
class QProgressBar;

class CWidgetProgress final : public QObject, public IStatusWindow, public IProgressBar {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kMinInterval{100};

    CWidgetProgress(QLineEdit* status, QProgressBar* bar, QObject* parent = nullptr);

    void SetText(const std::string& text) override;
    void SetRange(int lower, int upper) override;
    void SetPos(int position) override;
    void SetStep(int step) override;
    void StepIt() override;

    // Window's thread: the bar back at position 0, without speed.
    void ResetBar();
    // Updates posted to the window's thread so far (each one repaints at most once).
    int PostedUpdates() const;

private:
    struct State {
        std::string text;
        bool textSet = false;
        int lower = 0, upper = 100, position = 0, step = 10;
    };

    void Changed();
    void OnPosted();
    void Apply();
    QString BarFormat(const State& state);

    QPointer<QLineEdit> m_status;
    QPointer<QProgressBar> m_bar;
    QTimer m_throttle;
    std::chrono::steady_clock::time_point m_lastApply{};

    mutable std::mutex m_mutex;
    State m_state;
    CTransferRate m_rate;
    bool m_pending = false;
    int m_posted = 0;
};

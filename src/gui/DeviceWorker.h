#pragma once
// The one thread of the window that touches devices: enumeration, listing, every command, the
// firmware update, udisks2 and logind calls. Jobs run one at a time in the order they were posted;
// each may be asked to stop. When a job has ended, its `done` runs on the window's thread. The
// window's thread never waits here for a job: questions from a job are blocking queued calls to it.
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

class CDeviceWorker final : public QObject {
    Q_OBJECT
public:
    using Job = std::function<void(std::stop_token)>;

    explicit CDeviceWorker(QObject* parent = nullptr);
    // Asks every job to stop, drops those not begun, and waits for the running one while the
    // window's events still turn (a job may be waiting for a box to be answered).
    ~CDeviceWorker() override;

    // job must not throw: it reports its own failure. done runs on the window's thread afterwards,
    // unless the worker is destroyed first. The returned source asks this job to stop, whether it
    // is running yet or not.
    std::stop_source Post(Job job, std::function<void()> done = {});
    // No job running or queued, and every `done` delivered.
    bool Idle() const;

signals:
    // A job's done has run and nothing is left: the window may close or refresh now.
    void idle();

private:
    struct Entry {
        Job job;
        std::function<void()> done;
        std::stop_source stop;
    };
    void Run(std::stop_token quit);
    void Finished(const std::function<void()>& done);

    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::deque<Entry> m_queue;
    std::stop_source m_current;  // the running job's, so that the window's end can stop it
    int m_outstanding = 0;       // posted and not yet done on the window's thread
    bool m_closing = false;
    std::atomic<bool> m_exited{false};
    std::jthread m_thread;
};

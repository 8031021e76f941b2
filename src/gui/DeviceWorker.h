#pragma once
// The one thread of the window that touches devices: enumeration, listing, every command, the
// firmware update, udisks2 and logind calls. Jobs run one at a time in the order they were posted;
// each may be asked to stop. What a job returns is run on the window's thread when it has ended.
// The window's thread never waits here for a job: questions from a job are blocking queued calls
// to it. The command runner (CommandRunner.h) owns it and is the only one to post.
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
    // What to run on the window's thread once the job has ended, its results captured by value.
    using Delivery = std::function<void()>;
    // Runs on the worker; must not throw (the runner catches for it).
    using Job = std::function<Delivery(std::stop_token)>;

    explicit CDeviceWorker(QObject* parent = nullptr);
    // Asks every job to stop, drops those not begun and every delivery not yet run, and waits for
    // the running job while the window's events still turn (a job may be waiting for a box to be
    // answered).
    ~CDeviceWorker() override;

    // The returned source asks this job to stop, whether it is running yet or not.
    std::stop_source Post(Job job);
    // No job running or queued, and every delivery handed over.
    bool Idle() const;

private:
    struct Entry {
        Job job;
        std::stop_source stop;
    };
    void Run(std::stop_token quit);
    void Deliver(const Delivery& delivery);

    mutable std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::deque<Entry> m_queue;
    std::stop_source m_current;  // the running job's, so that the window's end can stop it
    int m_outstanding = 0;       // posted and not yet delivered on the window's thread
    bool m_closing = false;
    std::atomic<bool> m_exited{false};
    std::jthread m_thread;
};

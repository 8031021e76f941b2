#include "gui/DeviceWorker.h"

#include <QCoreApplication>

#include <chrono>

#include "gui/GuiThread.h"

namespace {
constexpr int kEventSliceMs = 10;
}  // namespace

CDeviceWorker::CDeviceWorker(QObject* parent) : QObject(parent) {
    m_thread = std::jthread([this](std::stop_token quit) { Run(quit); });
}

CDeviceWorker::~CDeviceWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        m_queue.clear();
        m_current.request_stop();
    }
    m_thread.request_stop();
    m_wake.notify_all();
    // The running job may wait for a box the window's thread must show (or refuse): events keep
    // turning until the thread has left its loop.
    while (!m_exited.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kEventSliceMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_thread.join();
}

std::stop_source CDeviceWorker::Post(Job job) {
    std::stop_source stop;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({std::move(job), stop});
        ++m_outstanding;
    }
    m_wake.notify_one();
    return stop;
}

bool CDeviceWorker::Idle() const {
    std::lock_guard lock(m_mutex);
    return m_outstanding == 0;
}

void CDeviceWorker::Run(std::stop_token quit) {
    while (true) {
        Entry entry;
        std::stop_token stop;
        {
            std::unique_lock lock(m_mutex);
            if (!m_wake.wait(lock, quit, [this] { return !m_queue.empty(); })) {
                m_exited = true;
                return;
            }
            entry = std::move(m_queue.front());
            m_queue.pop_front();
            m_current = entry.stop;
            stop = m_current.get_token();
        }
        Delivery delivery = entry.job(stop);
        PostToGuiThread(this, [this, delivery = std::move(delivery)] { Deliver(delivery); });
    }
}

void CDeviceWorker::Deliver(const Delivery& delivery) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closing) return;  // the window is going: nothing of it may run any more
        --m_outstanding;
    }
    if (delivery) delivery();
}

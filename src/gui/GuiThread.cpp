#include "gui/GuiThread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace {

struct PostedCall {
    bool bound = false;  // to a context, which must still be there
    QPointer<QObject> context;
    std::function<void()> call;
};

// Plain statics, made before any thread: the window's thread reaches them through the lock only.
std::mutex g_mutex;
std::deque<PostedCall> g_calls;

// Tells a waiting worker that its call has run.
struct Handshake {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;

    void Tell() {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex);
        ended.wait(lock, [this] { return done; });
    }
};

}  // namespace

// Woken by name, so that Qt makes the whole queued call itself: nothing of it is written by our
// code on the posting thread. It touches nothing of its own but the queue.
class CGuiCallWaker final : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void RunPosted() {
        for (;;) {
            PostedCall posted;
            {
                std::lock_guard lock(g_mutex);
                if (g_calls.empty()) return;
                posted = std::move(g_calls.front());
                g_calls.pop_front();
            }
            if (!posted.bound || posted.context) posted.call();
        }
    }
};

namespace {

// Made as the program starts, on its main thread, which is the window's: so the window's thread
// reaches it without anything from a posting thread. Lives as long as the process.
CGuiCallWaker* const g_waker = new CGuiCallWaker;

}  // namespace

bool OnGuiThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

void PostToGuiThread(QObject* context, std::function<void()> call) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) {
        call();
        return;
    }
    {
        std::lock_guard lock(g_mutex);
        g_calls.push_back({context != nullptr, context, std::move(call)});
    }
    QMetaObject::invokeMethod(g_waker, "RunPosted", Qt::QueuedConnection);
}

void RunOnGuiThread(const std::function<void()>& work) {
    if (!QCoreApplication::instance() || OnGuiThread()) {
        work();
        return;
    }
    auto handshake = std::make_shared<Handshake>();
    PostToGuiThread(nullptr, [&work, handshake] {
        work();
        handshake->Tell();
    });
    handshake->Wait();
}

#include "GuiThread.moc"

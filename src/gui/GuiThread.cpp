#include "gui/GuiThread.h"

#include <QCoreApplication>
#include <QThread>

bool OnGuiThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

void RunOnGuiThread(const std::function<void()>& work) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application || OnGuiThread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(application, [&work] { work(); }, Qt::BlockingQueuedConnection);
}

#include "gui/DeviceMonitor.h"

CDeviceMonitor::CDeviceMonitor(std::unique_ptr<IDeviceEventSource> source, std::chrono::milliseconds quiet,
                               QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_notifier(m_source->Descriptor(), QSocketNotifier::Read) {
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quiet);
    connect(&m_quiet, &QTimer::timeout, this, &CDeviceMonitor::devicesChanged);
    connect(&m_notifier, &QSocketNotifier::activated, this, &CDeviceMonitor::OnReadable);
}

void CDeviceMonitor::OnReadable() {
    // Every relevant event restarts the interval: the list is read once the burst is over.
    if (m_source->ReadEvent()) m_quiet.start();
}

#pragma once
// Tells the window when card readers and units come and go. Events arrive from a source (the
// udev monitor, or a test) whose descriptor becomes readable; a burst of them (a unit brings
// several, a reader adds its disk and then its media) gives one devicesChanged after the quiet
// interval.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>

class IDeviceEventSource {
public:
    virtual ~IDeviceEventSource() = default;
    // Readable when at least one event waits.
    virtual int Descriptor() const = 0;
    // Takes one waiting event; true when it means the device list may have changed.
    virtual bool ReadEvent() = 0;
};

class CDeviceMonitor final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kQuietInterval{300};

    explicit CDeviceMonitor(std::unique_ptr<IDeviceEventSource> source,
                            std::chrono::milliseconds quiet = kQuietInterval, QObject* parent = nullptr);

signals:
    void devicesChanged();

private:
    void OnReadable();

    std::unique_ptr<IDeviceEventSource> m_source;
    QSocketNotifier m_notifier;
    QTimer m_quiet;
};

#pragma once
// A desktop as a screen reader user has it, for the window's benchmarks: an X server (Xvfb), a
// private session bus, the accessibility bus of at-spi2-core with the screen reader flag on, and a
// listener registered with the accessibility registry for every object, window and focus event,
// as Orca registers itself. Without such a listener the toolkit sends no events at all. Everything
// started here is stopped by the destructor.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class CAccessibilityDesktop : public QObject {
    Q_OBJECT
public:
    // Throws std::runtime_error naming the part that did not start.
    CAccessibilityDesktop();
    ~CAccessibilityDesktop() override;

    // The environment of a window on this desktop: with the session bus (and so the accessibility
    // bus), or on the same X server without any bus.
    QProcessEnvironment Environment(bool withBus) const;
    // Accessibility events the listener has received so far.
    long EventsHeard() const { return m_events; }

private slots:
    void OnEvent(const QDBusMessage& message);

private:
    QProcess* Start(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment);
    QString ReadLine(QProcess& process, const char* what);
    void StartXServer();
    void StartSessionBus();
    void StartAccessibilityBus();
    void RegisterListener();

    QTemporaryDir m_runtimeDir;  // the windows' XDG_RUNTIME_DIR
    std::vector<std::unique_ptr<QProcess>> m_started;
    QString m_display;
    QString m_sessionBus;
    std::unique_ptr<QDBusConnection> m_accessibilityBus;
    long m_events = 0;
};

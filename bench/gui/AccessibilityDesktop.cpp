#include "AccessibilityDesktop.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QThread>

#include <stdexcept>

namespace {

constexpr int kStartMs = 10000;  // each part must be up within this
constexpr int kPollMs = 50;
constexpr int kStopMs = 3000;
const char* const kBusLauncher = "/usr/libexec/at-spi-bus-launcher";
const QString kA11yService = QStringLiteral("org.a11y.Bus");
const QString kRegistry = QStringLiteral("org.a11y.atspi.Registry");
// What Orca listens to; a toolkit sends an event only when someone listens to its kind.
const char* const kListenedEvents[] = {"object:", "window:", "focus:"};
const char* const kEventInterfaces[] = {"org.a11y.atspi.Event.Object", "org.a11y.atspi.Event.Window",
                                        "org.a11y.atspi.Event.Focus"};

}  // namespace

CAccessibilityDesktop::CAccessibilityDesktop() {
    if (!m_runtimeDir.isValid()) throw std::runtime_error("cannot make a runtime directory");
    StartXServer();
    StartSessionBus();
    StartAccessibilityBus();
    RegisterListener();
}

CAccessibilityDesktop::~CAccessibilityDesktop() {
    if (m_accessibilityBus) QDBusConnection::disconnectFromBus(m_accessibilityBus->name());
    // The bus launcher ends the accessibility bus it started; then the session bus, then X.
    for (auto it = m_started.rbegin(); it != m_started.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(kStopMs)) (*it)->kill();
        (*it)->waitForFinished(kStopMs);
    }
}

QProcess* CAccessibilityDesktop::Start(const QString& program, const QStringList& arguments,
                                       const QProcessEnvironment& environment) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
    if (!process->waitForStarted(kStartMs)) throw std::runtime_error("cannot start " + program.toStdString());
    m_started.push_back(std::move(process));
    return m_started.back().get();
}

QString CAccessibilityDesktop::ReadLine(QProcess& process, const char* what) {
    const QDeadlineTimer deadline(kStartMs);
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || process.state() != QProcess::Running ||
            !process.waitForReadyRead(int(deadline.remainingTime())))
            throw std::runtime_error(std::string(what) + " did not start");
    }
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

// Qt's offscreen platform has no AT-SPI bridge, so the window needs a real (virtual) X server.
void CAccessibilityDesktop::StartXServer() {
    QProcess* x = Start(QStringLiteral("Xvfb"),
                        {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")},
                        QProcessEnvironment::systemEnvironment());
    m_display = QStringLiteral(":") + ReadLine(*x, "Xvfb");
}

void CAccessibilityDesktop::StartSessionBus() {
    QProcess* bus = Start(QStringLiteral("dbus-daemon"),
                          {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")},
                          QProcessEnvironment::systemEnvironment());
    m_sessionBus = ReadLine(*bus, "dbus-daemon");
}

// No DISPLAY for the launcher: it would also announce the bus on the X server, and the window
// without the bus shares that server.
void CAccessibilityDesktop::StartAccessibilityBus() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionBus);
    Start(QString::fromLatin1(kBusLauncher),
          {QStringLiteral("--launch-immediately"), QStringLiteral("--a11y=1"), QStringLiteral("--screen-reader=1")},
          environment);
    QDBusConnection session = QDBusConnection::connectToBus(m_sessionBus, QStringLiteral("bench-session"));
    const QDeadlineTimer deadline(kStartMs);
    while (!session.interface()->isServiceRegistered(kA11yService)) {
        if (deadline.hasExpired()) throw std::runtime_error("the accessibility bus launcher did not start");
        QThread::msleep(kPollMs);
    }
    const QDBusReply<QString> address = session.call(QDBusMessage::createMethodCall(
        kA11yService, QStringLiteral("/org/a11y/bus"), kA11yService, QStringLiteral("GetAddress")));
    if (!address.isValid()) throw std::runtime_error("no accessibility bus: " + address.error().message().toStdString());
    m_accessibilityBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(address.value(), QStringLiteral("bench-a11y")));
    if (!m_accessibilityBus->isConnected()) throw std::runtime_error("cannot connect to the accessibility bus");
}

void CAccessibilityDesktop::RegisterListener() {
    for (const char* event : kListenedEvents) {
        QDBusMessage call = QDBusMessage::createMethodCall(kRegistry, QStringLiteral("/org/a11y/atspi/registry"),
                                                           kRegistry, QStringLiteral("RegisterEvent"));
        call << QString::fromLatin1(event);
        const QDBusMessage reply = m_accessibilityBus->call(call, QDBus::Block, kStartMs);
        if (reply.type() == QDBusMessage::ErrorMessage)
            throw std::runtime_error("the registry refused a listener: " + reply.errorMessage().toStdString());
    }
    for (const char* interface : kEventInterfaces) {
        m_accessibilityBus->connect(QString(), QString(), QString::fromLatin1(interface), QString(), this,
                                    SLOT(OnEvent(QDBusMessage)));
    }
}

void CAccessibilityDesktop::OnEvent(const QDBusMessage&) {
    ++m_events;
}

QProcessEnvironment CAccessibilityDesktop::Environment(bool withBus) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_ACCESSIBILITY"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
    environment.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    if (withBus) {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_sessionBus);
    } else {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
    }
    return environment;
}

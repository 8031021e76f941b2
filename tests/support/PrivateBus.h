#pragma once
// A private D-Bus daemon and stand-ins for system services on it, started and stopped by the test
// that owns them: tests of the udisks2 and logind clients never reach the machine's system bus.
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

typedef struct sd_bus sd_bus;

class CPrivateBus {
public:
    CPrivateBus();
    ~CPrivateBus();
    CPrivateBus(const CPrivateBus&) = delete;
    CPrivateBus& operator=(const CPrivateBus&) = delete;

    // "unix:path=…", reachable by every user; empty when the daemon did not start (see Error).
    const std::string& Address() const { return m_address; }
    const std::string& Error() const { return m_error; }

private:
    std::string m_dir;
    std::string m_address;
    std::string m_error;
    pid_t m_pid = -1;
};

// A stand-in service run in a forked child. serve connects (ConnectStandIn), takes its name, writes
// anything to readyFile, then answers calls, appending a line per call to logFile.
class CBusStandIn {
public:
    using Serve = std::function<int(const std::string& logFile, const std::string& readyFile)>;
    explicit CBusStandIn(const Serve& serve);
    ~CBusStandIn();
    CBusStandIn(const CBusStandIn&) = delete;
    CBusStandIn& operator=(const CBusStandIn&) = delete;

    // True once the stand-in owns its name on the bus.
    bool Ready() const { return m_ready; }
    std::vector<std::string> Calls() const;

private:
    std::string m_log;
    pid_t m_pid = -1;
    bool m_ready = false;
};

// In the stand-in's child: a bus connection to address (ended with the test process), or null.
sd_bus* ConnectStandIn(const std::string& address);
void AppendLine(const std::string& file, const std::string& line);
// Polls ready until it holds, for up to 10 s; false when it never did.
bool WaitFor(const std::function<bool()>& ready);

// A "bus" that takes connections and never answers, not even the greeting: what a hung bus daemon
// looks like to its clients.
class CSilentBus {
public:
    CSilentBus();
    ~CSilentBus();
    CSilentBus(const CSilentBus&) = delete;
    CSilentBus& operator=(const CSilentBus&) = delete;

    // "unix:path=…"; empty when the socket could not be made.
    const std::string& Address() const { return m_address; }

private:
    std::string m_dir;
    std::string m_address;
    int m_socket = -1;
};

// Sets an environment variable for the life of the object.
class CScopedEnvironment {
public:
    CScopedEnvironment(const std::string& name, const std::string& value);
    ~CScopedEnvironment();
    CScopedEnvironment(const CScopedEnvironment&) = delete;
    CScopedEnvironment& operator=(const CScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_had = false;
};

// Descriptors open in this process, to show that none is left behind.
int OpenDescriptorCount();

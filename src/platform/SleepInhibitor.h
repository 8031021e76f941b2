#pragma once
// Keeps the machine awake while a job writes a card or programs a unit: a suspend halfway through
// cuts the job as surely as a pulled cable. logind blocks sleep and idle for as long as the
// descriptor it hands out stays open. Without logind the job goes on unprotected and says nothing.
#include <chrono>
#include <string>

// The descriptor of one inhibitor lock; closing it (Release, or the destructor) ends the lock.
class CSleepLock {
public:
    CSleepLock() = default;
    explicit CSleepLock(int fd) : m_fd(fd) {}
    ~CSleepLock() { Release(); }
    CSleepLock(CSleepLock&& other) noexcept;
    CSleepLock& operator=(CSleepLock&& other) noexcept;
    CSleepLock(const CSleepLock&) = delete;
    CSleepLock& operator=(const CSleepLock&) = delete;

    bool Held() const { return m_fd >= 0; }
    void Release();

private:
    int m_fd = -1;
};

class ISleepInhibitor {
public:
    virtual ~ISleepInhibitor() = default;
    // why: the text the job's status shows. Never throws: nobody to ask gives an empty lock.
    virtual CSleepLock Inhibit(const std::string& why) = 0;
};

// logind on the system bus (DBUS_SYSTEM_BUS_ADDRESS, when set, names the bus).
class CLogindInhibitor final : public ISleepInhibitor {
public:
    // logind answers at once or not at all; the connection's greeting counts in it.
    static constexpr std::chrono::milliseconds kTimeout{5000};

    explicit CLogindInhibitor(std::chrono::milliseconds timeout = kTimeout) : m_timeout(timeout) {}
    CSleepLock Inhibit(const std::string& why) override;

private:
    std::chrono::milliseconds m_timeout;
};

// The system's logind, for every job that is given no other inhibitor.
ISleepInhibitor& SystemSleepInhibitor();

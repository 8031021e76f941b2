#pragma once
// A stand-in for logind on a private bus (support/PrivateBus.h). It serves Manager.Inhibit, hands
// out the write end of a pipe as the lock, as logind does, and notices when the last copy of it is
// closed. Its log, one line a call, a lock handed out or a lock released:
//   Inhibit sleep:idle|VELK3 Manager|Writing MP3|block
//   Lock Writing MP3
//   Release Writing MP3
#include <string>
#include <vector>

#include "support/PrivateBus.h"

struct LogindMockSetup {
    bool refuse = false;  // Inhibit answers AccessDenied, as polkit may
    bool silent = false;  // Inhibit never answers
};

class CLogindMock {
public:
    CLogindMock(const std::string& busAddress, const LogindMockSetup& setup = {});

    bool Ready() const { return m_service.Ready(); }
    std::vector<std::string> Calls() const { return m_service.Calls(); }
    // Locks handed out and not yet seen released.
    int Held() const;
    // Waits (up to 10 s) until every lock handed out was released; true when they were.
    bool AllReleased() const;

private:
    CBusStandIn m_service;
};

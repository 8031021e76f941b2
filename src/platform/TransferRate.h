#pragma once
// The speed and the time left of a transfer whose progress positions count sectors, for every face
// that shows progress (the terminal bar, the window's bar). Restarts whenever a new range is set.
#include <chrono>
#include <optional>
#include <string>

class CTransferRate {
public:
    using Clock = std::chrono::steady_clock;

    void Start(int lower, int upper, Clock::time_point now = Clock::now());
    void Update(int position) { m_position = position; }

    // Megabytes (2^20 bytes) per second since Start; 0 before any time has passed.
    double MegabytesPerSecond(Clock::time_point now = Clock::now()) const;
    // Seconds until the upper end at the rate so far; none before anything has moved.
    std::optional<double> SecondsLeft(Clock::time_point now = Clock::now()) const;

private:
    double SecondsSinceStart(Clock::time_point now) const;

    int m_lower = 0, m_upper = 0, m_position = 0;
    Clock::time_point m_started{};
};

// "1:05 left", "12 s left": short enough for a progress bar.
std::string FormatTimeLeft(double seconds);

// Events on futex words in shared file mappings. The futexes are shared (no FUTEX_PRIVATE_FLAG):
// the kernel keys them by file and offset, so processes that map the same object meet.
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/NamedObjects.h"

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, as the futex time-outs
constexpr auto kFallbackSlice = std::chrono::milliseconds(1);
constexpr uint32_t kReset = 0;
constexpr uint32_t kSet = 1;

std::atomic<bool> g_vectorWait{true};

// The words of one wait, on the stack: a relay waits once per block, so no allocation.
struct WaitWords {
    std::array<uint32_t*, FUTEX_WAITV_MAX> words{};
    size_t count = 0;
    uint32_t* Last() const { return words[count - 1]; }
};

std::atomic_ref<uint32_t> WordOf(const CNamedEvent& event) { return std::atomic_ref<uint32_t>(*event.Word()); }

timespec ToTimespec(Clock::duration d) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(d);
    return {time_t(seconds.count()), long(std::chrono::nanoseconds(d - seconds).count())};
}

// A wait that returned because a word changed, a signal came or time ran out (not a refusal).
bool WaitEnded(long result) { return result >= 0 || errno == EAGAIN || errno == EINTR || errno == ETIMEDOUT; }

#ifdef SYS_futex_waitv
// Sleeps on every word at once. A kernel without futex_waitv turns this process to the fallback.
bool SleepOnAllWords(const WaitWords& words, const Clock::time_point* deadline) {
    futex_waitv waiters[FUTEX_WAITV_MAX];
    for (size_t i = 0; i < words.count; ++i)
        waiters[i] = {kReset, uint64_t(reinterpret_cast<uintptr_t>(words.words[i])), FUTEX_32, 0};
    timespec until{};
    if (deadline) until = ToTimespec(deadline->time_since_epoch());
    const long result = ::syscall(SYS_futex_waitv, waiters, words.count, 0, deadline ? &until : nullptr, CLOCK_MONOTONIC);
    if (result < 0 && errno == ENOSYS) {
        g_vectorWait.store(false);
        return true;
    }
    return WaitEnded(result);
}
#endif

// One word can be slept on; with several, the others are looked at every slice.
bool SleepOnLastWord(const WaitWords& words, const Clock::time_point* deadline) {
    Clock::duration slice = words.count > 1 ? Clock::duration(kFallbackSlice) : Clock::duration::max();
    if (deadline) slice = std::min(slice, std::max(Clock::duration::zero(), *deadline - Clock::now()));
    timespec relative{};
    const bool endless = slice == Clock::duration::max();
    if (!endless) relative = ToTimespec(slice);
    return WaitEnded(::syscall(SYS_futex, words.Last(), FUTEX_WAIT, kReset, endless ? nullptr : &relative, nullptr, 0));
}

// One sleep until some word may have changed; false only when the kernel refused the wait.
bool SleepOnWords(const WaitWords& words, const Clock::time_point* deadline) {
#ifdef SYS_futex_waitv
    if (g_vectorWait.load()) return SleepOnAllWords(words, deadline);
#endif
    return SleepOnLastWord(words, deadline);
}

}  // namespace

bool CNamedEvent::Create(const std::string& name) { return m_word.Create(name, sizeof(uint32_t)) && m_word.Map(); }

bool CNamedEvent::Open(const std::string& name) {
    if (!m_word.Open(name) || !m_word.Map()) return false;
    if (m_word.Size() < sizeof(uint32_t)) {
        m_word.Close();
        errno = EINVAL;
        return false;
    }
    return true;
}

void CNamedEvent::Set() {
    WordOf(*this).store(kSet, std::memory_order_release);
    ::syscall(SYS_futex, Word(), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
}

void CNamedEvent::Reset() { WordOf(*this).store(kReset, std::memory_order_release); }

bool CNamedEvent::IsSet() const { return WordOf(*this).load(std::memory_order_acquire) != kReset; }

int WaitForAny(std::initializer_list<const CNamedEvent*> events, std::chrono::milliseconds timeout) {
    if (events.size() == 0 || events.size() > FUTEX_WAITV_MAX) {
        errno = EINVAL;
        return kWaitFailed;
    }
    WaitWords words;
    for (const CNamedEvent* event : events) {
        if (!event || !event->IsOpen()) {
            errno = EBADF;
            return kWaitFailed;
        }
        words.words[words.count++] = event->Word();
    }
    const bool forever = timeout < std::chrono::milliseconds::zero();
    // An endless wait reads no clock: the relay makes one per block.
    const Clock::time_point deadline = forever ? Clock::time_point() : Clock::now() + timeout;
    for (;;) {
        int index = 0;
        for (const CNamedEvent* event : events) {
            if (event->IsSet()) return index;
            ++index;
        }
        if (!forever && Clock::now() >= deadline) return kWaitTimedOut;
        if (!SleepOnWords(words, forever ? nullptr : &deadline)) return kWaitFailed;
    }
}

void UseVectorWait(bool use) { g_vectorWait.store(use); }

#pragma once
// Named objects shared between processes: file mappings, manual-reset events, the start-up lock
// and the instance record. A named object NAME is the file NAME in the object directory, so any
// program that follows the same convention (docs/named-objects.md, include/velk3/named_objects.h)
// can meet the relay and the listing. Nothing here shows or prints anything; failures are
// reported by result, with the errno kept for the message. Every object opened must be a regular
// file of the effective user: anything else (another user's file, a FIFO) fails with EPERM.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace named_objects {
inline constexpr const char* kSharedMemoryRoot = "/dev/shm";

// $VELK3_OBJECT_DIR when set, else $XDG_RUNTIME_DIR when set, else PrivateDirectory().
std::string ObjectDirectory();
std::string ObjectPath(const std::string& name);
// root is shared by every user: the fallback is a directory of the effective user's own in it,
// ROOT/velk3-UID, so that no other user can plant or hold objects there.
std::string PrivateDirectory(const std::string& root = kSharedMemoryRoot);
// Makes directory (mode 0700) when it is missing, then checks it: a directory, not a link, owned
// by the effective user, mode 0700. Empty when it may be used, else why not (errno tells the kind).
std::string PreparePrivateDirectory(const std::string& directory);
// Empty when the object directory may be used, else why not. Directories named by the
// environment are the user's own choice and are taken as they are.
std::string CheckObjectDirectory();
// The text for a failure of this file's calls: why the object directory is refused, else the
// system's text for error.
std::string ErrorText(int error);
// Object names become file names: empty names and names holding '/' or '\0' are refused.
bool IsValidName(const std::string& name);
}  // namespace named_objects

// A named block of shared memory. Whoever creates it holds an exclusive flock on it until it closes
// it and then removes the name; whoever only opened it never does. An object whose creator has
// died (nobody holds it) is stale: Create removes it and makes the object afresh. The view is the whole object, mapped shared for reading and writing.
class CFileMapping {
public:
    CFileMapping() = default;
    ~CFileMapping() { Close(); }
    CFileMapping(CFileMapping&& other) noexcept;
    CFileMapping& operator=(CFileMapping&& other) noexcept;
    CFileMapping(const CFileMapping&) = delete;
    CFileMapping& operator=(const CFileMapping&) = delete;

    // Creates NAME holding size zero bytes; fails (EEXIST) when a live NAME exists. The name appears only once
    // the object has its full size, so an opener never sees it half made.
    bool Create(const std::string& name, size_t size);
    // Opens the existing NAME; fails when it is missing.
    bool Open(const std::string& name);
    // Maps the whole object (fails for an empty one).
    bool Map();
    void Unmap();
    // Unmaps, closes, and removes the name when this object created it.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    uint8_t* View() const { return static_cast<uint8_t*>(m_view); }
    size_t Size() const { return m_size; }
    int LastError() const { return m_error; }

private:
    bool Fail();

    int m_fd = -1;
    void* m_view = nullptr;
    size_t m_size = 0;
    std::string m_removeOnClose;
    int m_error = 0;
};

// A manual-reset event: a 32-bit word in its own 4-byte object, 0 reset, 1 set. Set wakes every
// waiter in every process; the word stays set until someone resets it, so a second Set before
// the first is handled counts once.
class CNamedEvent {
public:
    bool Create(const std::string& name);  // starts reset
    bool Open(const std::string& name);
    void Close() { m_word.Close(); }

    bool IsOpen() const { return m_word.View() != nullptr; }
    void Set();
    void Reset();
    bool IsSet() const;
    int LastError() const { return m_word.LastError(); }

    uint32_t* Word() const { return reinterpret_cast<uint32_t*>(m_word.View()); }

private:
    CFileMapping m_word;
};

inline constexpr std::chrono::milliseconds kWaitForever{-1};
inline constexpr int kWaitTimedOut = -1;
inline constexpr int kWaitFailed = -2;

// Blocks in the kernel until one of the events is set and returns the index of the first set one
// (the lowest index when several are set), kWaitTimedOut, or kWaitFailed (errno tells why).
int WaitForAny(std::initializer_list<const CNamedEvent*> events, std::chrono::milliseconds timeout);
inline int WaitFor(const CNamedEvent& event, std::chrono::milliseconds timeout) {
    return WaitForAny({&event}, timeout);
}

// Kernels before 5.16 have no futex_waitv; their wait blocks on the last event with a short
// time-out and checks the others in between. Tests force that path with false.
void UseVectorWait(bool use);

// The start-up lock: an exclusive flock on its object, held only around the single-instance
// check. The kernel drops it when its holder dies, so it is never left abandoned.
class CStartupLock {
public:
    ~CStartupLock();
    bool Open(const std::string& name);  // creates the object when missing
    // False when the lock was not had within the time-out (or the wait failed).
    bool Acquire(std::chrono::milliseconds timeout);
    void Release();
    int LastError() const { return m_error; }

private:
    int m_fd = -1;
    bool m_held = false;
    int m_error = 0;
};

// The instance record: a 4-byte object that "exists" while some running process holds a shared
// flock on it, so it dies with its last holder whatever happens to the file. Open keeps that hold
// for the life of the process on purpose: the handle is never closed.
class CInstanceRecord {
public:
    // Opens NAME, creating it when missing; existed tells whether a live process held it.
    bool Open(const std::string& name, bool& existed);
    bool Map();
    void Unmap();
    int32_t Load() const;
    void Store(int32_t code);
    int LastError() const { return m_error; }

private:
    int m_fd = -1;
    void* m_view = nullptr;
    int m_error = 0;
};

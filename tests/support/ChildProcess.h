#pragma once
// Helpers for tests that need a second process: a forked child running a function, a child
// program, and a private object directory so tests never meet each other's named objects.
#include <functional>
#include <utility>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs body in a forked child whose exit status is body's result; the child never returns.
pid_t ForkChild(const std::function<int()>& body);
using Environment = std::vector<std::pair<std::string, std::string>>;

// Starts program with args and these variables added to the inherited environment. Standard input
// is empty (questions get No); output goes to outFile and errFile when they are not empty.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args, const Environment& environment = {},
                   const std::string& outFile = {}, const std::string& errFile = {});

struct ProcessResult {
    int exitCode = -1;  // as WaitChild reports it
    std::string out;
    std::string err;
};

// Runs program to its end, killed after timeoutMs, and collects what it wrote.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const Environment& environment = {}, int timeoutMs = 120000);
// The child's exit status; -1 when it did not end within timeoutMs (it is then killed) and
// 128 + signal when a signal ended it.
int WaitChild(pid_t pid, int timeoutMs = 10000);
// True while the child runs (it has not been reaped).
bool ChildRunning(pid_t pid);

// Sets VELK3_OBJECT_DIR to a fresh directory for the life of the object and removes it after.
class CPrivateObjectDirectory {
public:
    CPrivateObjectDirectory();
    ~CPrivateObjectDirectory();
    const std::string& Path() const { return m_path; }
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};

std::string ReadWholeFile(const std::string& path);

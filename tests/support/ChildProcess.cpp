#include "support/ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

pid_t ForkChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 99;
        try {
            status = body();
        } catch (...) {
            status = 98;
        }
        ::_exit(status);
    }
    return pid;
}

pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args, const std::string& stderrFile) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (!stderrFile.empty()) {
            const int fd = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) ::dup2(fd, STDERR_FILENO);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

int WaitChild(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
            return -1;
        }
        if (done < 0) return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool ChildRunning(pid_t pid) {
    siginfo_t info{};
    return ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

CPrivateObjectDirectory::CPrivateObjectDirectory() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/velk3-objects-XXXXXX";
    m_path = ::mkdtemp(pattern.data());
    if (const char* previous = std::getenv("VELK3_OBJECT_DIR")) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    ::setenv("VELK3_OBJECT_DIR", m_path.c_str(), 1);
}

CPrivateObjectDirectory::~CPrivateObjectDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
    if (m_hadPrevious)
        ::setenv("VELK3_OBJECT_DIR", m_previous.c_str(), 1);
    else
        ::unsetenv("VELK3_OBJECT_DIR");
}

std::vector<std::string> CPrivateObjectDirectory::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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

namespace {

void RedirectTo(const std::string& file, int fd, int flags) {
    if (file.empty()) return;
    const int opened = ::open(file.c_str(), flags, 0644);
    if (opened >= 0) ::dup2(opened, fd);
}

}  // namespace

pid_t StartProgram(const std::string& program, const std::vector<std::string>& args, const Environment& environment,
                   const std::string& outFile, const std::string& errFile) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
        RedirectTo("/dev/null", STDIN_FILENO, O_RDONLY);
        RedirectTo(outFile, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        RedirectTo(errFile, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(program.c_str(), argv.data());
        ::_exit(127);
    }
    return pid;
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const Environment& environment, int timeoutMs) {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/ylmrun-XXXXXX";
    const std::string dir = ::mkdtemp(pattern.data());
    const std::string out = dir + "/out", err = dir + "/err";
    ProcessResult result;
    result.exitCode = WaitChild(StartProgram(program, args, environment, out, err), timeoutMs);
    result.out = ReadWholeFile(out);
    result.err = ReadWholeFile(err);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return result;
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

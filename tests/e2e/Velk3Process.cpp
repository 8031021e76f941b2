#include "e2e/Velk3Process.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "platform/TempFiles.h"

std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ProcessResult RunShell(const std::string& commandLine) {
    CTempFile errors;
    ProcessResult result;
    std::FILE* pipe = ::popen((commandLine + " </dev/null 2>" + ShellQuote(errors.Path())).c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errors.Path());
    std::stringstream text;
    text << in.rdbuf();
    result.err = text.str();
    return result;
}

ProcessResult RunVelk3(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    std::string line;
    for (const auto& assignment : environment) line += assignment + " ";
    line += ShellQuote(VELK3_BINARY);
    for (const auto& arg : args) line += " " + ShellQuote(arg);
    return RunShell(line);
}

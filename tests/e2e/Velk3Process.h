#pragma once
// Runs a command line under /bin/sh with no terminal on standard input, and collects what it says.
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Quotes a word for /bin/sh.
std::string ShellQuote(const std::string& word);
ProcessResult RunShell(const std::string& commandLine);
// velk3 with the given arguments; environment assignments ("NAME=value") go first.
ProcessResult RunVelk3(const std::vector<std::string>& args, const std::vector<std::string>& environment = {});

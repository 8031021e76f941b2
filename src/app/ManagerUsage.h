#pragma once
// What velk3-manager says about itself. --help and --version are answered before anything else
// (the environment check, the single-instance check, any mode), on standard output, with exit
// status 0: they must work anywhere, including where no mode could run. The manual page is
// generated from this help text, so it is the one description of the modes and options.
#include <iosfwd>
#include <optional>

extern const char* const kManagerHelp;

// When an argument is --help, -h or --version: writes the answer to out and returns the exit
// status. Otherwise returns nothing and writes nothing.
std::optional<int> AnswerInformationRequest(int argc, const char* const* argv, std::ostream& out);

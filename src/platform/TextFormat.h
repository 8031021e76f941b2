#pragma once
// printf-style formatting into std::string, for the system's texts that are given as formats
// ("%0.2f", "VELK%i"), and the numbered places (%1, %2, ...) of the texts both faces show, which
// the window fills after translating them as Qt's arg() would.
#include <string>
#include <vector>

std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// format with %1 … %9 replaced by args[0] … args[8]; any other % stays as it is.
std::string FillPlaces(const std::string& format, const std::vector<std::string>& args);

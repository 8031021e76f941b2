#pragma once
// printf-style formatting into std::string, for the system's texts that are given as formats
// ("%0.2f", "VELK%i").
#include <string>

std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

#pragma once
// What velk3-manager's command line asked for: nothing for the window, "-server NAME BAUD" for
// the relay, "-listdevices" for the device listing. Filled once at start-up, read afterwards.
#include <cstdint>
#include <string>

class CManagerCommandLineInfo {
public:
    // Splits the process arguments as the desktop framework does: one leading '-' or '/' is
    // removed and marks the argument as a flag; ParseParam sees each argument after the program.
    void ParseCommandLine(int argc, const char* const* argv);
    // The per-argument hook; last is not used.
    void ParseParam(const char* param, bool flag, bool last);

    bool m_bServer = false;
    bool m_bListDevices = false;
    std::string m_strServerName;  // upper case: the unit's label and the prefix of the relay's objects
    int32_t m_nBaudRate = 0;
    int32_t m_nParamState = 0;  // 0 mode word, 1 name next, 2 number next
};

// The value of the leading decimal digits of text with an optional sign, as the C library's atoi
// reads it (leading white space skipped, no digits gives 0), held to the 32-bit range.
int32_t LeadingNumber(const char* text);

#include "app/ManagerCommandLineInfo.h"

#include <cctype>
#include <cstdint>
#include <algorithm>
#include <limits>

namespace {

namespace param_state {
constexpr int32_t kModeWord = 0;
constexpr int32_t kName = 1;
constexpr int32_t kNumber = 2;
}  // namespace param_state

std::string ToLower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ToUpper(std::string text) {
    for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int32_t LeadingNumber(const char* text) {
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    // Saturates instead of overflowing: no such rate is valid, and it must not wrap into one.
    int64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        value = std::min<int64_t>(value * 10 + (*text - '0'), int64_t(std::numeric_limits<int32_t>::max()) + 1);
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    return int32_t(value);
}

void CManagerCommandLineInfo::ParseCommandLine(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* param = argv[i];
        const bool flag = param[0] == '-' || param[0] == '/';
        ParseParam(flag ? param + 1 : param, flag, i == argc - 1);
    }
}

void CManagerCommandLineInfo::ParseParam(const char* param, bool flag, bool) {
    const std::string word = ToLower(param);
    switch (m_nParamState) {
    case param_state::kModeWord:
        if (!flag) break;
        if (word == "server") {
            m_bServer = true;
            m_nParamState = param_state::kName;
        } else if (word == "listdevices") {
            m_bListDevices = true;
        }
        break;
    case param_state::kName:
        m_strServerName = ToUpper(param);
        m_nParamState = param_state::kNumber;
        break;
    case param_state::kNumber:
        m_nBaudRate = LeadingNumber(param);
        m_nParamState = param_state::kModeWord;
        break;
    }
}

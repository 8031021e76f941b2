// velk3-manager's command line, split at zero bytes into arguments: any words must leave a
// consistent record and never read past an argument.
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/ManagerCommandLineInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Each argument in its own allocation, so reading past its end is caught.
    std::vector<std::unique_ptr<char[]>> arguments;
    std::vector<const char*> argv = {"velk3-manager"};
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0) continue;
        auto argument = std::make_unique<char[]>(i - start + 1);
        std::copy(data + start, data + i, argument.get());
        argument[i - start] = 0;
        argv.push_back(argument.get());
        arguments.push_back(std::move(argument));
        start = i + 1;
    }
    CManagerCommandLineInfo info;
    info.ParseCommandLine(int(argv.size()), argv.data());
    if (info.m_nParamState < 0 || info.m_nParamState > 2) __builtin_trap();
    Keep(info.m_strServerName.size() + uint32_t(info.m_nBaudRate) + info.m_bServer + info.m_bListDevices);
    return 0;
}

#include "platform/TextFormat.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string StringPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

std::string FillPlaces(const std::string& format, const std::vector<std::string>& args) {
    std::string text;
    for (size_t i = 0; i < format.size(); ++i) {
        const size_t place = i + 1 < format.size() ? size_t(format[i + 1] - '1') : args.size();
        if (format[i] == '%' && place < args.size() && place < 9) {
            text += args[place];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

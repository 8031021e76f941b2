#include "schedule/ScheduleText.h"

#include <algorithm>

std::string FormatField(const ValueSet& set) {
    if (set.empty()) return "*";
    std::string text;
    for (uint8_t value : set) {
        if (!text.empty()) text += ", ";
        text += std::to_string(value);
    }
    return text;
}

void ParseField(ValueSet& set, const std::string& text, int minimum, int maximum) {
    set.clear();
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    for (size_t i = 0; i < text.size();) {
        if (!isDigit(text[i])) {
            ++i;
            continue;
        }
        // Saturate instead of overflowing: any long run is above every maximum anyway.
        long long value = 0;
        for (; i < text.size() && isDigit(text[i]); ++i) value = std::min(value * 10 + (text[i] - '0'), 1000000LL);
        if (value > maximum) value = maximum;
        if (value < minimum) value = minimum;
        set.insert(uint8_t(value));
    }
}

uint16_t ClampTrackIndex(long long track, size_t trackCount) {
    if (track <= 0 || trackCount == 0) return 0;
    return uint16_t(std::min<unsigned long long>((unsigned long long)track, trackCount - 1));
}

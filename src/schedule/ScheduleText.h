#pragma once
// A schedule field as text: "*" for every value, else the values joined by ", ". Reading text back
// never fails: every non-digit separates values and numbers are pulled into the field's range.
#include <string>

#include "disk/ScheduleEntry.h"

std::string FormatField(const ValueSet& set);
void ParseField(ValueSet& set, const std::string& text, int minimum, int maximum);
// A schedule's track index pulled into 0 … trackCount − 1 (0 when the card holds no track).
uint16_t ClampTrackIndex(long long track, size_t trackCount);

#pragma once
// The routine list and the schedules of a card, as the main window shows them, as plain text and
// as the stable JSON that scripts read.
#include <ostream>
#include <string>
#include <vector>

#include "operations/CardJobs.h"

void PrintRoutineList(std::ostream& out, const CardListing& card);
void PrintSchedules(std::ostream& out, const CardListing& card);
void PrintCard(std::ostream& out, const std::string& device, const CardListing& card);
// The JSON document, written as it goes (one routine at a time) so that a full card costs no more
// memory than the card itself: keys in alphabetical order, two spaces an indent level, text that is
// not UTF-8 replaced by U+FFFD, no final newline.
void WriteCardJson(std::ostream& out, const std::string& device, const CardListing& card);

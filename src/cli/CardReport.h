#pragma once
// The routine list and the schedules of a card, as the main window shows them, as plain text and
// as the stable JSON that scripts read.
#include <ostream>
#include <string>
#include <vector>

#include "operations/CardJobs.h"
#include "schedule/ScheduleNotes.h"

void PrintRoutineList(std::ostream& out, const CardListing& card);
// With notes, a Notes column says what each schedule's fields do not (velk3 schedules).
void PrintSchedules(std::ostream& out, const CardListing& card, const std::vector<ScheduleNote>* notes = nullptr);
void PrintCard(std::ostream& out, const std::string& device, const CardListing& card);
// The JSON document, written as it goes (one routine at a time) so that a full card costs no more
// memory than the card itself: keys in alphabetical order, two spaces an indent level, text that is
// not UTF-8 replaced by U+FFFD, no final newline.
void WriteCardJson(std::ostream& out, const std::string& device, const CardListing& card);
// velk3 schedules --json: {"schedules": [...]}, each schedule as in the card's JSON with its note's
// fields (never_plays, no_such_routine, same_minute, same_minute_count) among its own.
void WriteSchedulesJson(std::ostream& out, const std::vector<ScheduleEntry>& schedules,
                        const std::vector<ScheduleNote>& notes);

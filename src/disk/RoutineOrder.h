#pragma once
// The routines of the card an edit makes, in their new order: each one a routine the card holds or
// the routine of a routine file. Every edit of a card (remove, move, replace, rename) is an order;
// what has to move on the card follows from it, and the schedules follow their routines.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "disk/ScheduleEntry.h"

struct PlannedRoutine {
    std::optional<size_t> track;        // the card's routine at this place
    std::string file;                   // else the routine of this file, added as add adds it
    std::optional<size_t> schedulesOf;  // the card's routine whose schedules it takes
    std::optional<std::string> title;   // a new title

    static PlannedRoutine Kept(size_t track) { return {track, {}, track, {}}; }
};

using RoutineOrder = std::vector<PlannedRoutine>;

// The card's `count` routines as they are.
RoutineOrder KeptOrder(size_t count);
// Without the routine at track; the later ones move down.
RoutineOrder OrderWithout(size_t count, size_t track);
// The routine at from put at place to; the ones between shift by one.
RoutineOrder OrderMoved(size_t count, size_t from, size_t to);

// Where each of the card's `count` routines is in order (by whose schedules a place takes):
// placeOf[t] for the routine at t now, none when it is gone.
std::vector<std::optional<size_t>> NewPlaces(const RoutineOrder& order, size_t count);
// The schedules of the card the order makes: those of each routine that stays, in their order,
// renumbered to the routine's new place; the others dropped.
std::vector<ScheduleEntry> SchedulesFor(const RoutineOrder& order, const std::vector<ScheduleEntry>& schedules,
                                        size_t count);

#include "disk/RoutineOrder.h"

RoutineOrder KeptOrder(size_t count) {
    RoutineOrder order;
    for (size_t t = 0; t < count; ++t) order.push_back(PlannedRoutine::Kept(t));
    return order;
}

RoutineOrder OrderWithout(size_t count, size_t track) {
    RoutineOrder order = KeptOrder(count);
    order.erase(order.begin() + long(track));
    return order;
}

RoutineOrder OrderMoved(size_t count, size_t from, size_t to) {
    RoutineOrder order = OrderWithout(count, from);
    order.insert(order.begin() + long(to), PlannedRoutine::Kept(from));
    return order;
}

std::vector<std::optional<size_t>> NewPlaces(const RoutineOrder& order, size_t count) {
    std::vector<std::optional<size_t>> placeOf(count);
    for (size_t place = 0; place < order.size(); ++place)
        if (order[place].schedulesOf && *order[place].schedulesOf < count) placeOf[*order[place].schedulesOf] = place;
    return placeOf;
}

std::vector<ScheduleEntry> SchedulesFor(const RoutineOrder& order, const std::vector<ScheduleEntry>& schedules,
                                        size_t count) {
    const auto placeOf = NewPlaces(order, count);
    std::vector<ScheduleEntry> kept;
    for (const ScheduleEntry& schedule : schedules) {
        if (schedule.trackIndex >= count || !placeOf[schedule.trackIndex]) continue;
        kept.push_back(schedule);
        kept.back().trackIndex = uint16_t(*placeOf[schedule.trackIndex]);
    }
    return kept;
}

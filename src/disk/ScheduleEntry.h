#pragma once
// One schedule: a track index and five sets of values, like a line of a cron table. An empty set
// means every value. On the card each schedule fills one sector of BCD-indexed maps.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>

#include "platform/Translatable.h"

// A set of the small values a schedule field holds, as the bits of one word: a schedule stays a
// few dozen bytes however many values it selects, so a card's schedules cost no heap. Iterates
// in ascending order without repeats. Values from kLimit up lie outside every field's range and
// are not kept.
class ValueSet {
public:
    static constexpr unsigned kLimit = 64;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = uint8_t;
        using difference_type = std::ptrdiff_t;
        using pointer = const uint8_t*;
        using reference = uint8_t;

        const_iterator() = default;
        explicit const_iterator(uint64_t rest) : m_rest(rest) {}
        uint8_t operator*() const { return uint8_t(std::countr_zero(m_rest)); }
        const_iterator& operator++() {
            m_rest &= m_rest - 1;  // drops the lowest value
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator&) const = default;

    private:
        uint64_t m_rest = 0;
    };
    using iterator = const_iterator;
    using value_type = uint8_t;

    ValueSet() = default;
    ValueSet(std::initializer_list<uint8_t> values) {
        for (uint8_t value : values) insert(value);
    }

    void insert(uint8_t value) {
        if (value < kLimit) m_bits |= uint64_t(1) << value;
    }
    void clear() { m_bits = 0; }
    bool empty() const { return m_bits == 0; }
    size_t size() const { return size_t(std::popcount(m_bits)); }
    bool contains(uint8_t value) const { return value < kLimit && (m_bits >> value & 1) != 0; }
    const_iterator begin() const { return const_iterator(m_bits); }
    const_iterator end() const { return const_iterator(); }

    bool operator==(const ValueSet&) const = default;

private:
    uint64_t m_bits = 0;
};

struct ScheduleEntry {
    uint16_t trackIndex = 0;
    ValueSet minutes;
    ValueSet hours;
    ValueSet daysOfMonth;
    ValueSet weekdays;
    ValueSet months;

    void Decode(const uint8_t* sector);
    void Encode(uint8_t* sector) const;

    bool operator==(const ScheduleEntry&) const = default;
};
// What a card's schedules cost in memory: the reader keeps up to a million of them.
static_assert(sizeof(ScheduleEntry) <= 48);

// The five fields in the order the user sees them, with their ranges and their maps' offsets.
// The names are the schedule grid's column titles.
struct ScheduleField {
    const char* name;
    uint8_t minimum;
    uint8_t maximum;
    int mapOffset;
    ValueSet ScheduleEntry::*member;
};

inline constexpr ScheduleField kScheduleFields[] = {
    {VELK3_TRANSLATE_NOOP("velk3core", "Minutes"), 0, 59, 2, &ScheduleEntry::minutes},
    {VELK3_TRANSLATE_NOOP("velk3core", "Hours"), 0, 23, 92, &ScheduleEntry::hours},
    {VELK3_TRANSLATE_NOOP("velk3core", "Weekdays"), 1, 7, 128, &ScheduleEntry::weekdays},
    {VELK3_TRANSLATE_NOOP("velk3core", "Days of month"), 1, 31, 136, &ScheduleEntry::daysOfMonth},
    {VELK3_TRANSLATE_NOOP("velk3core", "Months"), 1, 12, 186, &ScheduleEntry::months},
};

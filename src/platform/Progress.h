#pragma once
// Progress of a long job as data: which phase it is in, what its positions count, how far it is.
// The faces (the window's bar, velk3's terminal bar, a test's recorder) derive everything they show
// from a report, the speed and the time left included; none of them reads meaning into the text.
#include <cstdint>
#include <string>

#include "platform/Translatable.h"

namespace status_text {
inline constexpr const char* kReady = VELK3_TRANSLATE_NOOP("velk3core", "Ready");
inline constexpr const char* kConvertingAudio = VELK3_TRANSLATE_NOOP("velk3core", "Converting Audio");
inline constexpr const char* kWritingMp3 = VELK3_TRANSLATE_NOOP("velk3core", "Writing MP3");
inline constexpr const char* kWritingData = VELK3_TRANSLATE_NOOP("velk3core", "Writing Data");
inline constexpr const char* kReadingCard = VELK3_TRANSLATE_NOOP("velk3core", "Reading Card");
inline constexpr const char* kWritingCard = VELK3_TRANSLATE_NOOP("velk3core", "Writing Card");
inline constexpr const char* kMovingRoutines = VELK3_TRANSLATE_NOOP("velk3core", "Moving Routines");
inline constexpr const char* kVerifying = VELK3_TRANSLATE_NOOP("velk3core", "Verifying");
inline constexpr const char* kErasing = VELK3_TRANSLATE_NOOP("velk3core", "Erasing");
inline constexpr const char* kProgramming = VELK3_TRANSLATE_NOOP("velk3core", "Programming");
}  // namespace status_text

enum class JobPhase {
    Ready,          // between jobs, and at a job's end
    Reading,        // a card being read whole (backup)
    Converting,     // routine audio converted to MP3
    WritingAudio,   // a routine's MP3 stream going onto the card
    WritingData,    // a routine's servo data going onto the card
    WritingTables,  // the routine and schedule tables, then the header
    WritingCard,    // an image going onto a card (restore)
    Moving,         // routines copied from sectors of the card to others (an edit of the card)
    Verifying,      // what was written read back and compared
    Erasing,        // the unit's flash erased by its bootloader
    Programming,    // the unit's flash programmed
};

// What done and total count. Sectors and bytes are byte-like: they have a transfer rate.
enum class ProgressUnit { None, Sectors, Bytes, Blocks, Samples };

struct ProgressReport {
    JobPhase phase = JobPhase::Ready;
    ProgressUnit unit = ProgressUnit::None;
    uint64_t done = 0;
    uint64_t total = 0;  // 0: nothing to count (a busy bar)
    std::string text;    // the status text of the phase; empty: the previous one stays

    bool Counted() const { return total > 0; }
};

// The status text a phase shows.
const char* PhaseText(JobPhase phase);
// Bytes a unit of done stands for; 0 for units that are not byte-like.
uint64_t BytesPerUnit(ProgressUnit unit);

class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    // Called from whichever thread runs the job, often: a face throttles what it draws.
    virtual void Report(const ProgressReport& report) = 0;
};

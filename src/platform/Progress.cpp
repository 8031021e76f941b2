#include "platform/Progress.h"

namespace {
constexpr uint64_t kSectorBytes = 512;
}  // namespace

const char* PhaseText(JobPhase phase) {
    using namespace status_text;
    switch (phase) {
        case JobPhase::Ready: return kReady;
        case JobPhase::Reading: return kReadingCard;
        case JobPhase::Converting: return kConvertingAudio;
        case JobPhase::WritingAudio: return kWritingMp3;
        case JobPhase::WritingData: return kWritingData;
        case JobPhase::WritingTables: return "";  // the tables follow the data unannounced
        case JobPhase::WritingCard: return kWritingCard;
        case JobPhase::Moving: return kMovingRoutines;
        case JobPhase::Verifying: return kVerifying;
        case JobPhase::Erasing: return kErasing;
        case JobPhase::Programming: return kProgramming;
    }
    return "";
}

uint64_t BytesPerUnit(ProgressUnit unit) {
    switch (unit) {
        case ProgressUnit::Sectors: return kSectorBytes;
        case ProgressUnit::Bytes: return 1;
        default: return 0;
    }
}

#pragma once
// Save as routine file: a routine of a card (a drive, an image or a unit) written back into a
// version-3 routine file, for velk3 and the window. The file is written as PATH.part and renamed;
// an existing PATH is replaced only after a question; a failed or stopped export leaves nothing.
#include <optional>
#include <string>

#include "disk/RoutineFile.h"
#include "operations/JobContext.h"

namespace stop_text {
inline constexpr const char* kNoRoutineFile = VELK3_TRANSLATE_NOOP("velk3core", "Cancelled: no routine file was written.");
}  // namespace stop_text

namespace job {

// Returns the written file's header; empty when path exists and the user said No to replacing it.
std::optional<RoutineHeader> ExportRoutine(const JobContext& context, size_t track, const std::string& path);

}  // namespace job

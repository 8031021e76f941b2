#pragma once
// What a file offered as a card image holds, judged before anything can write to it: a file that
// is no card (a routine, a song, someone's document) must not become one through Format or Add.
// The judgement reads the first sector and at most kZeroCheckBytes of the file's data, however
// large the file is, so it is quick even on a huge image.
#include <cstdint>
#include <optional>
#include <string>

#include "devices/SectorDevice.h"
#include "platform/FileIdentity.h"

enum class CardImageKind {
    Unreadable,  // missing, not a regular file, or it cannot be read: `problem` says why
    Routine,     // a routine file (.velk): it is added to a card, never written as one
    VelkDisk,    // its first sector is a VELK disk header
    Blank,       // empty, or zeros as far as the judgement read, in whole sectors
    Foreign,     // whole sectors holding something else: writing it as a card destroys that
    NotSectors,  // a size no card has
};

struct CardImageJudgement {
    CardImageKind kind = CardImageKind::Unreadable;
    std::string problem;  // Unreadable only
    FileIdentity file{};  // the file judged (not for Routine, which is judged by its name)
};

// A file whose data (holes skipped) goes past this and is zeros as far as read is judged Foreign:
// the judgement cannot vouch for the rest.
inline constexpr uint64_t kZeroCheckBytes = 1u << 20;

// followLinks false: a link at path is refused (Unreadable) rather than followed.
CardImageJudgement JudgeCardImage(const std::string& path, bool followLinks = true);

// The device box's entry for an image listed before as image.file: while its name leads to that
// file (never through a link) it is listed as it is; another file put there is judged afresh and
// listed only when it holds a VELK disk or is blank. None when it is gone or no card.
std::optional<DeviceEntry> RelistImage(const DeviceId& image);

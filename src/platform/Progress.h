#pragma once
// The disk layer's "status window" and "progress bar": the two controls a long operation reports
// to. The window posts to its widgets, velk3 draws on the terminal, tests record the calls.
#include <string>

#include "platform/Translatable.h"

class IStatusWindow {
public:
    virtual ~IStatusWindow() = default;
    virtual void SetText(const std::string& text) = 0;
};

class IProgressBar {
public:
    virtual ~IProgressBar() = default;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetPos(int position) = 0;
    virtual void SetStep(int step) = 0;
    virtual void StepIt() = 0;
};

namespace status_text {
inline constexpr const char* kReady = VELK3_TRANSLATE_NOOP("velk3core", "Ready");
inline constexpr const char* kConvertingAudio = VELK3_TRANSLATE_NOOP("velk3core", "Converting Audio");
inline constexpr const char* kWritingMp3 = VELK3_TRANSLATE_NOOP("velk3core", "Writing MP3");
inline constexpr const char* kWritingData = VELK3_TRANSLATE_NOOP("velk3core", "Writing Data");
}  // namespace status_text

// Positions count sectors for every status but the audio conversion (which counts blocks of
// samples): only sector progress has a transfer rate and a time left to show.
inline bool CountsSectors(const std::string& statusText) { return statusText != status_text::kConvertingAudio; }

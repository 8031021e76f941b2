#pragma once
// What the layers below the jobs (the disk, the firmware update) see of the job they work for: who
// answers its questions, where its progress goes, and whether it has been asked to stop. It is the
// base of the job's one context (JobContext), never an object of its own beside it, so a job has
// one progress state however many layers report into it. Nothing below the faces shows a box or
// draws progress any other way. A default-made control asks nobody (every answer is No), reports
// nowhere and never stops.
#include <cstdint>
#include <stop_token>
#include <string>

#include "platform/Exceptions.h"
#include "platform/Progress.h"
#include "platform/Translatable.h"
#include "platform/UserPrompt.h"

// Thrown where a job honours a stop request. The job that catches it says what the card holds.
class CJobStopped : public CVelkException {
public:
    explicit CJobStopped(MessageText message = VELK3_TRANSLATE_NOOP("velk3core", "Cancelled."))
        : CVelkException(std::move(message)) {}
};

class CJobControl {
public:
    CJobControl() = default;
    CJobControl(IUserPrompt* questions, IProgressSink* progress, std::stop_token stop = {})
        : questions(questions), progress(progress), stop(std::move(stop)) {}

    // A question before destructive work, captioned "Confirm"; true only for Yes.
    bool Confirm(const MessageText& text) const { return AskYesNo(text, kConfirmCaption); }
    bool AskYesNo(const MessageText& text, const std::string& caption) const;
    void Tell(const MessageText& text, const std::string& caption, MessageIcon icon = MessageIcon::None) const;

    // A phase begins at done of total (0: nothing to count); its status text is the phase's own. A
    // phase taken up again after another begins where it was left, so that its rate stays true.
    // Reporting leaves what the job runs with as it is, so a job reports through a const context.
    void Begin(JobPhase phase, ProgressUnit unit, uint64_t total, uint64_t done = 0) const;
    void Progress(uint64_t done) const;
    void Advance(uint64_t count = 1) const { Progress(m_report.done + count); }
    // The job has ended: the bar at its end, the status "Ready".
    void Ready() const;
    const ProgressReport& Current() const { return m_report; }

    bool StopRequested() const { return stop.stop_requested(); }
    void ThrowIfStopped() const {
        if (StopRequested()) throw CJobStopped();
    }

    IUserPrompt* questions = nullptr;  // none: every question is answered No, messages go nowhere
    IProgressSink* progress = nullptr;
    std::stop_token stop{};

private:
    void Send() const;

    mutable ProgressReport m_report;  // the last report: the phase a stop came in
};

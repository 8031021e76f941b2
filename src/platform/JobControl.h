#pragma once
// What a job runs with, handed down to every layer it calls: who answers its questions, where its
// progress goes, and whether it has been asked to stop. Nothing below the faces shows a box or
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
    explicit CJobStopped(const std::string& message = VELK3_TRANSLATE_NOOP("velk3core", "Cancelled.")) : CVelkException(message) {}
};

class CJobControl {
public:
    CJobControl() = default;
    CJobControl(IUserPrompt* questions, IProgressSink* progress, std::stop_token stop = {})
        : m_questions(questions), m_progress(progress), m_stop(std::move(stop)) {}

    // A question before destructive work, captioned "Confirm"; true only for Yes.
    bool Confirm(const std::string& text) const { return AskYesNo(text, kConfirmCaption); }
    bool AskYesNo(const std::string& text, const std::string& caption) const;
    void Tell(const std::string& text, const std::string& caption, MessageIcon icon = MessageIcon::None) const;
    IUserPrompt* Questions() const { return m_questions; }

    // A phase begins at done of total (0: nothing to count); its status text is the phase's own. A
    // phase taken up again after another begins where it was left, so that its rate stays true.
    void Begin(JobPhase phase, ProgressUnit unit, uint64_t total, uint64_t done = 0);
    void Progress(uint64_t done);
    void Advance(uint64_t count = 1) { Progress(m_report.done + count); }
    // The job has ended: the bar at its end, the status "Ready".
    void Ready();
    IProgressSink* Sink() const { return m_progress; }
    const ProgressReport& Current() const { return m_report; }

    bool StopRequested() const { return m_stop.stop_requested(); }
    void ThrowIfStopped() const {
        if (StopRequested()) throw CJobStopped();
    }
    const std::stop_token& StopToken() const { return m_stop; }

private:
    void Send() const;

    IUserPrompt* m_questions = nullptr;
    IProgressSink* m_progress = nullptr;
    std::stop_token m_stop;
    ProgressReport m_report;
};

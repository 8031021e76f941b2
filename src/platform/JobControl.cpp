#include "platform/JobControl.h"

bool CJobControl::AskYesNo(const MessageText& text, const std::string& caption) const {
    // Nobody to ask means No: nothing destructive happens by default.
    return questions && questions->AskYesNo(text, caption);
}

void CJobControl::Tell(const MessageText& text, const std::string& caption, MessageIcon icon) const {
    if (questions) questions->ShowMessage(text, caption, icon);
}

void CJobControl::Begin(JobPhase phase, ProgressUnit unit, uint64_t total, uint64_t done) const {
    m_report = ProgressReport{phase, unit, done, total, PhaseText(phase)};
    Send();
}

void CJobControl::Progress(uint64_t done) const {
    m_report.done = done;
    Send();
}

void CJobControl::Ready() const {
    m_report.phase = JobPhase::Ready;
    m_report.unit = ProgressUnit::None;
    m_report.done = m_report.total;
    m_report.text = PhaseText(JobPhase::Ready);
    Send();
}

void CJobControl::Send() const {
    if (progress) progress->Report(m_report);
}

#include "platform/JobControl.h"

bool CJobControl::AskYesNo(const std::string& text, const std::string& caption) const {
    // Nobody to ask means No: nothing destructive happens by default.
    return m_questions && m_questions->AskYesNo(text, caption);
}

void CJobControl::Tell(const std::string& text, const std::string& caption, MessageIcon icon) const {
    if (m_questions) m_questions->ShowMessage(text, caption, icon);
}

void CJobControl::Begin(JobPhase phase, ProgressUnit unit, uint64_t total, uint64_t done) {
    m_report = ProgressReport{phase, unit, done, total, PhaseText(phase)};
    Send();
}

void CJobControl::Progress(uint64_t done) {
    m_report.done = done;
    Send();
}

void CJobControl::Ready() {
    m_report.phase = JobPhase::Ready;
    m_report.unit = ProgressUnit::None;
    m_report.done = m_report.total;
    m_report.text = PhaseText(JobPhase::Ready);
    Send();
}

void CJobControl::Send() const {
    if (m_progress) m_progress->Report(m_report);
}

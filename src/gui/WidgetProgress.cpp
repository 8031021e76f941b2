#include "gui/WidgetProgress.h"

#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>

#include "gui/GuiThread.h"
#include "gui/Translations.h"

CWidgetProgress::CWidgetProgress(QLineEdit* status, QProgressBar* bar, QObject* parent)
    : QObject(parent), m_status(status), m_bar(bar) {
    m_throttle.setSingleShot(true);
    connect(&m_throttle, &QTimer::timeout, this, &CWidgetProgress::Apply);
}

void CWidgetProgress::Report(const ProgressReport& report) {
    {
        std::lock_guard lock(m_mutex);
        ProgressReport kept = report;
        if (kept.text.empty()) kept.text = m_meter.Last().text;  // the previous text stays
        m_meter.Update(kept);
        if (!OnGuiThread()) {
            if (m_pending) return;
            m_pending = true;
            ++m_posted;
        }
    }
    if (OnGuiThread())
        Apply();
    else
        PostToGuiThread(this, [this] { OnPosted(); });
}

void CWidgetProgress::ResetBar() {
    {
        std::lock_guard lock(m_mutex);
        ProgressReport idle = m_meter.Last();
        idle.phase = JobPhase::Ready;
        idle.unit = ProgressUnit::None;
        idle.done = 0;
        idle.total = 0;
        m_meter.Update(idle);
    }
    Apply();
}

void CWidgetProgress::SetText(const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        ProgressReport report = m_meter.Last();
        report.text = text.toStdString();
        m_meter.Update(report);
    }
    Apply();
}

int CWidgetProgress::PostedUpdates() const {
    std::lock_guard lock(m_mutex);
    return m_posted;
}

void CWidgetProgress::OnPosted() {
    const auto since = std::chrono::steady_clock::now() - m_lastApply;
    if (since < kMinInterval) {
        // Still pending: the worker posts nothing more until the throttle has applied its state.
        if (!m_throttle.isActive())
            m_throttle.start(std::chrono::ceil<std::chrono::milliseconds>(kMinInterval - since));
        return;
    }
    Apply();
}

void CWidgetProgress::Apply() {
    ProgressReport report;
    QString format = QStringLiteral("%p%");
    {
        std::lock_guard lock(m_mutex);
        report = m_meter.Last();
        m_pending = false;
        const std::string rate = m_meter.RateText();
        if (!rate.empty()) format += QStringLiteral("  ") + QString::fromStdString(rate);
    }
    m_lastApply = std::chrono::steady_clock::now();
    // The core's status texts are English; the box shows them in the user's language.
    if (m_status) m_status->setText(CoreText(report.text.c_str()));
    if (!m_bar) return;
    const bool busy = !report.Counted() && report.phase != JobPhase::Ready;
    m_bar->setRange(0, busy ? 0 : kBarSteps);
    const uint64_t done = std::min(report.done, report.total);
    m_bar->setValue(report.Counted() ? int(done * kBarSteps / report.total) : 0);
    m_bar->setFormat(format);
}

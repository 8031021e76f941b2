#include "gui/WidgetProgress.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>

#include "gui/GuiThread.h"
#include "platform/TextFormat.h"

namespace {

bool ShowsRate(const std::string& text) {
    return text == status_text::kWritingMp3 || text == status_text::kWritingData;
}

}  // namespace

CWidgetProgress::CWidgetProgress(QLineEdit* status, QProgressBar* bar, QObject* parent)
    : QObject(parent), m_status(status), m_bar(bar) {
    m_throttle.setSingleShot(true);
    connect(&m_throttle, &QTimer::timeout, this, &CWidgetProgress::Apply);
}

void CWidgetProgress::SetText(const std::string& text) {
    {
        std::lock_guard lock(m_mutex);
        m_state.text = text;
        m_state.textSet = true;
    }
    Changed();
}

void CWidgetProgress::SetRange(int lower, int upper) {
    {
        std::lock_guard lock(m_mutex);
        m_state.lower = lower;
        m_state.upper = upper;
        m_state.position = lower;
        m_rate.Start(lower, upper);
    }
    Changed();
}

void CWidgetProgress::SetPos(int position) {
    {
        std::lock_guard lock(m_mutex);
        m_state.position = position;
        m_rate.Update(position);
    }
    Changed();
}

void CWidgetProgress::SetStep(int step) {
    std::lock_guard lock(m_mutex);
    m_state.step = step;
}

void CWidgetProgress::StepIt() {
    {
        std::lock_guard lock(m_mutex);
        m_state.position = std::min(m_state.position + m_state.step, m_state.upper);
        m_rate.Update(m_state.position);
    }
    Changed();
}

void CWidgetProgress::ResetBar() {
    {
        std::lock_guard lock(m_mutex);
        m_state.position = 0;
        m_rate.Start(m_state.lower, m_state.upper);
    }
    Apply();
}

int CWidgetProgress::PostedUpdates() const {
    std::lock_guard lock(m_mutex);
    return m_posted;
}

void CWidgetProgress::Changed() {
    // On the window's thread the widgets only schedule a repaint: set them at once.
    if (OnGuiThread()) {
        Apply();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_pending) return;
        m_pending = true;
        ++m_posted;
    }
    QMetaObject::invokeMethod(this, &CWidgetProgress::OnPosted, Qt::QueuedConnection);
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
    State state;
    QString format;
    {
        std::lock_guard lock(m_mutex);
        state = m_state;
        m_pending = false;
        format = BarFormat(state);
    }
    m_lastApply = std::chrono::steady_clock::now();
    // The core's status texts are English; the box shows them in the user's language.
    if (m_status && state.textSet)
        m_status->setText(QCoreApplication::translate(kCoreTextContext, state.text.c_str()));
    if (!m_bar) return;
    m_bar->setRange(state.lower, std::max(state.lower, state.upper));
    m_bar->setValue(std::clamp(state.position, state.lower, std::max(state.lower, state.upper)));
    m_bar->setFormat(format);
}

// Called with m_mutex held.
QString CWidgetProgress::BarFormat(const State& state) {
    const QString percent = QStringLiteral("%p%");
    if (!ShowsRate(state.text) || state.position <= state.lower) return percent;
    std::string detail = StringPrintf("%.2f MB/s", m_rate.MegabytesPerSecond());
    if (const auto left = m_rate.SecondsLeft()) detail += ", " + FormatTimeLeft(*left);
    return percent + QStringLiteral("  ") + QString::fromStdString(detail);
}

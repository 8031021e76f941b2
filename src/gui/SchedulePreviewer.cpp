#include "gui/SchedulePreviewer.h"

#include <thread>

#include "gui/GuiThread.h"

CSchedulePreviewer::CSchedulePreviewer(QObject* parent) : QObject(parent), m_mailbox(std::make_shared<Mailbox>()) {
    m_mailbox->owner = this;
}

CSchedulePreviewer::~CSchedulePreviewer() {
    const std::lock_guard lock(m_mailbox->mutex);
    m_mailbox->owner = nullptr;
}

void CSchedulePreviewer::Request(std::vector<ScheduleEntry> schedules,
                                 std::shared_ptr<const std::vector<TrackEntry>> tracks, LocalMinute from) {
    Work work{std::move(schedules), std::move(tracks), from};
    if (m_busy) {
        m_waiting = std::move(work);
        return;
    }
    Start(std::move(work));
}

void CSchedulePreviewer::Start(Work work) {
    m_busy = true;
    // A thread of its own (previews are rare and short): its start orders the work before it.
    std::thread([mailbox = m_mailbox, work = std::move(work)] {
        auto preview = std::make_shared<const SchedulePreview>(PreviewSchedules(work.schedules, *work.tracks, work.from));
        // Posted under the lock: the owner cannot go between the check and the post, and once it
        // has gone the posted call is dropped.
        const std::lock_guard lock(mailbox->mutex);
        if (CSchedulePreviewer* owner = mailbox->owner)
            PostToGuiThread(owner, [owner, preview] { owner->Finished(preview); });
    }).detach();
}

void CSchedulePreviewer::Finished(std::shared_ptr<const SchedulePreview> preview) {
    m_busy = false;
    if (m_waiting) {
        Work next = std::move(*m_waiting);
        m_waiting.reset();
        Start(std::move(next));
        return;  // this result is older than the list the user now sees
    }
    emit ready(std::move(preview));
}

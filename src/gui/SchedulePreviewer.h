#pragma once
// Works out the schedule dialog's preview (the next plays, the week, the notes) on a thread of
// its own, so the dialog never waits for it. While one request is worked out, a newer one waits and
// replaces any that waited before it; a result that a waiting request has already made stale is
// dropped. Results arrive on the owner's thread. The owner may go at any time: a result for an
// owner that has gone is thrown away.
#include <QObject>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "schedule/SchedulePreview.h"

class CSchedulePreviewer : public QObject {
    Q_OBJECT
public:
    explicit CSchedulePreviewer(QObject* parent = nullptr);
    ~CSchedulePreviewer() override;

    void Request(std::vector<ScheduleEntry> schedules, std::shared_ptr<const std::vector<TrackEntry>> tracks,
                 LocalMinute from);
    // A request is being worked out or waits.
    bool IsBusy() const { return m_busy; }

signals:
    void ready(std::shared_ptr<const SchedulePreview> preview);

private:
    struct Work {
        std::vector<ScheduleEntry> schedules;
        std::shared_ptr<const std::vector<TrackEntry>> tracks;
        LocalMinute from;
    };
    // What a preview's thread holds of its owner: cleared when the owner goes.
    struct Mailbox {
        std::mutex mutex;
        CSchedulePreviewer* owner = nullptr;
    };

    void Start(Work work);
    void Finished(std::shared_ptr<const SchedulePreview> preview);

    std::shared_ptr<Mailbox> m_mailbox;
    bool m_busy = false;
    std::optional<Work> m_waiting;
};

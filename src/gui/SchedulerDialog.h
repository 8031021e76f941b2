#pragma once
// The schedule editor: one grid row per schedule, the track in the first column and the five time
// fields in the others. It works on its own copy of the schedules, so Cancel changes nothing;
// every text the user types is turned into values by the schedule text rules, never refused.
// Under the grid it shows what the edited schedules will do (the next plays, the week) and marks
// each row that never plays, names no routine or shares a minute with another. That is worked out
// beside the window after every change, so editing never waits for it.
#include <QDialog>
#include <QIcon>

#include <memory>
#include <vector>

#include "disk/ScheduleEntry.h"
#include "disk/TrackEntry.h"
#include "platform/Clock.h"
#include "schedule/SchedulePreview.h"

class CControlList;
class CImageButton;
class CSchedulePreviewer;
class CSchedulePreviewPane;
class QTimer;

class CSchedulerDialog : public QDialog {
    Q_OBJECT
public:
    // clock gives "now" for the preview (the PC's local time unless a test or picture says otherwise).
    CSchedulerDialog(const std::vector<ScheduleEntry>& schedules, const std::vector<TrackEntry>& tracks,
                     QWidget* parent = nullptr, ClockSource clock = SystemLocalTime);
    // A card of untitled tracks.
    CSchedulerDialog(const std::vector<ScheduleEntry>& schedules, int trackCount, QWidget* parent = nullptr);
    ~CSchedulerDialog() override;

    // The edited list; the caller reads it after the dialog ended with OK.
    const std::vector<ScheduleEntry>& GetScheduleList() const { return m_schedules; }

    // For the owner's tests and screen readers.
    CControlList* Grid() const { return m_grid; }
    CImageButton* AddButton() const { return m_add; }
    CImageButton* RemoveButton() const { return m_remove; }
    CImageButton* OkButton() const { return m_ok; }
    CImageButton* CancelButton() const { return m_cancel; }
    CSchedulePreviewPane* PreviewPane() const { return m_preview; }

signals:
    // The preview of the list as it is now has been shown (the plays, the week and the row notes).
    void previewShown();

private:
    void BuildLayout();
    void SetUpGrid();
    void FillGrid();
    void OnCellEdited(int row, int column, const QString& oldText, const QString& newText);
    void OnAdd();
    void OnRemove();
    void RequestPreview();
    void ShowPreview(const std::shared_ptr<const SchedulePreview>& preview);

    CControlList* m_grid = nullptr;
    std::vector<ScheduleEntry> m_schedules;
    int m_trackCount;
    std::shared_ptr<const std::vector<TrackEntry>> m_tracks;
    ClockSource m_clock;
    CSchedulePreviewer* m_previewer = nullptr;
    CSchedulePreviewPane* m_preview = nullptr;
    QTimer* m_nextMinute = nullptr;  // the preview moves on with the clock
    QIcon m_noteIcon;
    CImageButton* m_add = nullptr;
    CImageButton* m_remove = nullptr;
    CImageButton* m_ok = nullptr;
    CImageButton* m_cancel = nullptr;
};

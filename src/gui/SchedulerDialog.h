#pragma once
// The schedule editor: one grid row per schedule, the track in the first column and the five time
// fields in the others. It works on its own copy of the schedules, so Cancel changes nothing;
// every text the user types is turned into values by the schedule text rules, never refused.
#include <QDialog>

#include <vector>

#include "disk/ScheduleEntry.h"

class CControlList;
class CImageButton;

class CSchedulerDialog : public QDialog {
    Q_OBJECT
public:
    CSchedulerDialog(const std::vector<ScheduleEntry>& schedules, int trackCount,
                     QWidget* parent = nullptr);
    ~CSchedulerDialog() override;

    // The edited list; the caller reads it after the dialog ended with OK.
    const std::vector<ScheduleEntry>& GetScheduleList() const { return m_schedules; }

    // For the owner's tests and screen readers.
    CControlList* Grid() const { return m_grid; }
    CImageButton* AddButton() const { return m_add; }
    CImageButton* RemoveButton() const { return m_remove; }
    CImageButton* OkButton() const { return m_ok; }
    CImageButton* CancelButton() const { return m_cancel; }

private:
    void BuildLayout();
    void SetUpGrid();
    void FillGrid();
    void OnCellEdited(int row, int column, const QString& oldText, const QString& newText);
    void OnAdd();
    void OnRemove();

    CControlList* m_grid = nullptr;
    std::vector<ScheduleEntry> m_schedules;
    int m_trackCount;
    CImageButton* m_add = nullptr;
    CImageButton* m_remove = nullptr;
    CImageButton* m_ok = nullptr;
    CImageButton* m_cancel = nullptr;
};

#pragma once
// The routine list's own commands: a context menu on a row (Remove Routine, Move Up, Move Down,
// Rename..., Replace..., Save as Routine File...), Delete, Ctrl+Up, Ctrl+Down and F2 on the list,
// and dragging a row to another place. Each asks what it needs (a title, a file) and hands the
// edit, with the device that was current when it was asked for, to the window, which runs it as
// one of its commands. Once the window shows the edited card the selection is put back on the
// routine it was on. Nothing is offered while the window is busy or has no card, and nothing acts
// without a selected row: a card that is no VELK disk lists none.
#include <QObject>
#include <QtGlobal>
#include <QPoint>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devices/DeviceId.h"

// The file dialogs' filter for routine files, shared by the window's Add routine (its context).
inline constexpr const char* kRoutineFilter = QT_TRANSLATE_NOOP("CManagerDialog", "VELK v3.0 (*.velk);;All Files (*)");

class CControlList;
class QAction;
class QContextMenuEvent;
class QDropEvent;
class QMenu;
class QKeySequence;
class QMouseEvent;

struct RoutineEdit {
    enum class Kind { Remove, Move, Rename, Replace, Export };
    Kind kind = Kind::Remove;
    DeviceId device;  // current when the edit was asked for
    size_t track = 0;
    size_t to = 0;     // Move: the place it goes to
    std::string text;  // Rename: the title; Replace: the routine file; Export: the file to write
};

class CRoutineListEditing final : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<DeviceId()> currentDevice;
        // The Open dialog, or (save) the Save dialog; empty when cancelled.
        std::function<QString(const QString& caption, const QString& filter, bool save)> chooseFile;
        // Runs a dialog of the list's own with the window's job ends held back.
        std::function<void(const std::function<void()>& dialog)> hold;
        std::function<void(const RoutineEdit&)> start;
    };
    CRoutineListEditing(CControlList& list, Hooks hooks);

    // No command runs and there is a card.
    void SetAvailable(bool available);
    // The edit has ended; placeOf (none: the card was not edited) maps the old tracks to the new.
    void EditEnded(const std::vector<std::optional<size_t>>* placeOf);

    QMenu* Menu() const { return m_menu; }
    // The MIME type of a row being dragged: the row's number in ASCII.
    static constexpr const char* kRowMimeType = "application/x-velk3-routine";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddAction(const char* text, const QKeySequence& keys, void (CRoutineListEditing::*slot)());
    void UpdateActions();
    bool OnContextMenu(const QObject* watched, const QContextMenuEvent& event);
    bool OnMouse(const QMouseEvent& event);
    void StartDrag(int row);
    bool OnDrag(QDropEvent& event);
    int DropRow(const QDropEvent& event) const;

    void Remove();
    void MoveUp();
    void MoveDown();
    void Rename();
    void Replace();
    void SaveAsRoutineFile();
    // The edit of the selected row; device: the one current when the edit was chosen, else now.
    void Request(RoutineEdit::Kind kind, size_t to = 0, std::string text = {}, std::optional<DeviceId> device = {});

    CControlList& m_list;
    Hooks m_hooks;
    QMenu* m_menu;
    QAction* m_remove;
    QAction* m_up;
    QAction* m_down;
    QAction* m_rename;
    QAction* m_replace;
    QAction* m_export;
    bool m_available = false;
    int m_pressRow = -1;  // the row a left press landed on, until it is released or dragged
    QPoint m_pressAt;
    int m_editedRow = -1;  // the selected row when the running edit was asked for
};

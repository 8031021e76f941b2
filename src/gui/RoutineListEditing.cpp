#include "gui/RoutineListEditing.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>

#include "controls/ControlList.h"
#include "gui/RenameRoutineDialog.h"

namespace {
constexpr int kTitleColumn = 1;
}  // namespace

CRoutineListEditing::CRoutineListEditing(CControlList& list, Hooks hooks)
    : QObject(&list), m_list(list), m_hooks(std::move(hooks)), m_menu(new QMenu(&list)) {
    m_menu->setAccessibleName(tr("Routine"));
    m_remove = AddAction(QT_TR_NOOP("Remove Routine"), QKeySequence::Delete, &CRoutineListEditing::Remove);
    m_up = AddAction(QT_TR_NOOP("Move Up"), QKeySequence(Qt::CTRL | Qt::Key_Up), &CRoutineListEditing::MoveUp);
    m_down = AddAction(QT_TR_NOOP("Move Down"), QKeySequence(Qt::CTRL | Qt::Key_Down), &CRoutineListEditing::MoveDown);
    m_menu->addSeparator();
    m_rename = AddAction(QT_TR_NOOP("Rename..."), QKeySequence(Qt::Key_F2), &CRoutineListEditing::Rename);
    m_replace = AddAction(QT_TR_NOOP("Replace..."), {}, &CRoutineListEditing::Replace);
    m_export = AddAction(QT_TR_NOOP("Save as Routine File..."), {}, &CRoutineListEditing::SaveAsRoutineFile);
    // The keyboard's menu request reaches the list, a click's its viewport; drags are the viewport's.
    m_list.installEventFilter(this);
    m_list.viewport()->installEventFilter(this);
    // A drag the list does not take (a file) goes on to the window, which lists or adds it.
    m_list.viewport()->setAcceptDrops(true);
    connect(m_list.selectionModel(), &QItemSelectionModel::selectionChanged, this, &CRoutineListEditing::UpdateActions);
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_list.model(), rowsChanged, this, &CRoutineListEditing::UpdateActions);
    connect(m_list.model(), &QAbstractItemModel::modelReset, this, &CRoutineListEditing::UpdateActions);
    UpdateActions();
}

QAction* CRoutineListEditing::AddAction(const char* text, const QKeySequence& keys, void (CRoutineListEditing::*slot)()) {
    auto* action = new QAction(tr(text), this);
    action->setShortcut(keys);
    // Only while the list has the focus: Delete in the device box or a dialog is theirs.
    action->setShortcutContext(Qt::WidgetShortcut);
    connect(action, &QAction::triggered, this, slot);
    m_list.addAction(action);
    m_menu->addAction(action);
    return action;
}

void CRoutineListEditing::SetAvailable(bool available) {
    m_available = available;
    UpdateActions();
}

void CRoutineListEditing::UpdateActions() {
    const int row = m_list.GetSelectedRow();
    const bool on = m_available && row >= 0;
    for (QAction* action : {m_remove, m_rename, m_replace, m_export}) action->setEnabled(on);
    m_up->setEnabled(on && row > 0);
    m_down->setEnabled(on && row + 1 < m_list.GetRowCount());
}

bool CRoutineListEditing::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ContextMenu: return OnContextMenu(watched, static_cast<QContextMenuEvent&>(*event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return watched == m_list.viewport() && OnMouse(static_cast<QMouseEvent&>(*event));
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: return watched == m_list.viewport() && OnDrag(static_cast<QDropEvent&>(*event));
        default: return false;
    }
}

bool CRoutineListEditing::OnContextMenu(const QObject* watched, const QContextMenuEvent& event) {
    // Off a row (the headings too) the window's own menu opens.
    if (!m_available) return false;
    QPoint at;
    if (event.reason() == QContextMenuEvent::Mouse) {
        if (watched != m_list.viewport()) return false;
        const int row = m_list.rowAt(event.pos().y());
        if (row < 0) return false;
        m_list.SelectRow(row);
        at = event.globalPos();
    } else {
        const int row = m_list.GetSelectedRow();
        if (row < 0) return false;
        const QRect cell = m_list.visualRect(m_list.model()->index(row, kTitleColumn));
        at = m_list.viewport()->mapToGlobal(cell.bottomLeft());
    }
    UpdateActions();
    m_menu->popup(at);
    return true;
}

bool CRoutineListEditing::OnMouse(const QMouseEvent& event) {
    const QPoint at = event.position().toPoint();
    if (event.type() == QEvent::MouseButtonPress) {
        m_pressRow = event.button() == Qt::LeftButton && m_available ? m_list.rowAt(at.y()) : -1;
        m_pressAt = at;
        return false;
    }
    if (event.type() == QEvent::MouseButtonRelease || !(event.buttons() & Qt::LeftButton)) {
        m_pressRow = -1;
        return false;
    }
    // One row is selected at a time: a move with the button held drags that row, it does not
    // select the rows it passes.
    if (m_pressRow < 0) return false;
    if ((at - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) StartDrag(std::exchange(m_pressRow, -1));
    return true;
}

void CRoutineListEditing::StartDrag(int row) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowMimeType), QByteArray::number(row));
    auto* drag = new QDrag(&m_list);
    drag->setMimeData(data);
    const QRect line(0, m_list.rowViewportPosition(row), m_list.viewport()->width(), m_list.rowHeight(row));
    drag->setPixmap(m_list.viewport()->grab(line));
    drag->setHotSpot(m_pressAt - line.topLeft());
    drag->exec(Qt::MoveAction);
}

int CRoutineListEditing::DropRow(const QDropEvent& event) const {
    const int row = m_list.rowAt(event.position().toPoint().y());
    return row >= 0 ? row : m_list.GetRowCount() - 1;  // below the last row: the last place
}

bool CRoutineListEditing::OnDrag(QDropEvent& event) {
    const QByteArray payload = event.mimeData()->data(QString::fromLatin1(kRowMimeType));
    bool number = false;
    const int from = payload.toInt(&number);
    if (!number || !m_available || from < 0 || from >= m_list.GetRowCount()) return false;
    event.setDropAction(Qt::MoveAction);
    event.accept();
    const int to = DropRow(event);
    if (event.type() != QEvent::Drop || to == from) return true;
    // A move on the list's keys asks for the same edit: from the moved row.
    m_list.SelectRow(from);
    Request(RoutineEdit::Kind::Move, size_t(to));
    return true;
}

void CRoutineListEditing::Remove() { Request(RoutineEdit::Kind::Remove); }

void CRoutineListEditing::MoveUp() {
    if (m_up->isEnabled()) Request(RoutineEdit::Kind::Move, size_t(m_list.GetSelectedRow() - 1));
}

void CRoutineListEditing::MoveDown() {
    if (m_down->isEnabled()) Request(RoutineEdit::Kind::Move, size_t(m_list.GetSelectedRow() + 1));
}

void CRoutineListEditing::Rename() {
    const int row = m_list.GetSelectedRow();
    if (!m_rename->isEnabled()) return;
    // The device is the one current when Rename was chosen, whatever the dialog's time brings.
    const DeviceId device = m_hooks.currentDevice();
    QString title;
    m_hooks.hold([&] {
        CRenameRoutineDialog dialog(row, m_list.GetItemText(row, kTitleColumn), m_list.window());
        if (dialog.exec() == QDialog::Accepted) title = dialog.Title();
    });
    if (!title.isNull()) Request(RoutineEdit::Kind::Rename, 0, title.toStdString(), device);
}

void CRoutineListEditing::Replace() {
    if (!m_replace->isEnabled()) return;
    const DeviceId device = m_hooks.currentDevice();
    const QString file = m_hooks.chooseFile(tr("Replace Routine"), QCoreApplication::translate("CManagerDialog", kRoutineFilter), false);
    if (!file.isEmpty()) Request(RoutineEdit::Kind::Replace, 0, file.toStdString(), device);
}

void CRoutineListEditing::SaveAsRoutineFile() {
    if (!m_export->isEnabled()) return;
    const DeviceId device = m_hooks.currentDevice();
    QString file = m_hooks.chooseFile(tr("Save as Routine File"), QCoreApplication::translate("CManagerDialog", kRoutineFilter), true);
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".velk");
    Request(RoutineEdit::Kind::Export, 0, file.toStdString(), device);
}

void CRoutineListEditing::Request(RoutineEdit::Kind kind, size_t to, std::string text, std::optional<DeviceId> device) {
    const int row = m_list.GetSelectedRow();
    if (!m_available || row < 0) return;
    RoutineEdit edit{kind, device ? *device : m_hooks.currentDevice(), size_t(row), to, std::move(text)};
    if (edit.device.Empty()) return;
    m_editedRow = row;
    m_hooks.start(edit);
}

void CRoutineListEditing::EditEnded(const std::vector<std::optional<size_t>>* placeOf) {
    const int edited = std::exchange(m_editedRow, -1);
    if (placeOf && edited >= 0) {
        const std::optional<size_t> place = size_t(edited) < placeOf->size() ? (*placeOf)[size_t(edited)] : std::nullopt;
        // A removed routine leaves the selection on the one that took its place.
        const int row = place ? int(*place) : std::min(edited, m_list.GetRowCount() - 1);
        if (row >= 0) {
            m_list.SelectRow(row);
            m_list.scrollTo(m_list.model()->index(row, 0));
        }
    }
    // The list lost the focus while it was disabled for the edit.
    if (m_list.isEnabled()) m_list.setFocus(Qt::OtherFocusReason);
}

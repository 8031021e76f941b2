// CControlList's in-place editing and its mouse and keyboard input.
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

#include "controls/ControlList.h"
#include "controls/ControlListEditor.h"
#include "controls/ControlListModel.h"

void CControlList::StartEdit(int row, int column) {
    if (m_editor || m_ending || m_editType != CellType::None) return;
    if (row < 0 || row >= GetRowCount() || column < 0 || column >= GetColumnCount()) return;
    const CControlListCell& cell = GetCell(row, column);
    if (!cell.IsEditable()) return;
    if (cell.type == CellType::Colour) {
        ChooseColour(row, column);
        return;
    }
    const QModelIndex index = m_model->index(row, column);
    scrollTo(index);
    m_editRow = row;
    m_editColumn = column;
    m_editType = cell.type;
    m_editor = std::make_unique<CControlListEditor>(cell, GetItemText(row, column), viewport());
    m_editor->setGeometry(visualRect(index));
    const int generation = ++m_editGeneration;
    connect(m_editor.get(), &CControlListEditor::endRequested, this, [this, generation](QWidget* target) {
        if (generation == m_editGeneration) EndEdit(target);
    }, Qt::QueuedConnection);
    connect(m_editor.get(), &CControlListEditor::contentChanged, this, [this, row, column] {
        PostCellChanged(row, column);
    });
    m_editor->show();
    m_editor->FocusEditor();
}

bool CControlList::IsEditing() const {
    return m_editor != nullptr;
}

QWidget* CControlList::GetEditor() const {
    return m_editor ? m_editor->FocusWidget() : nullptr;
}

void CControlList::EndEdit(QWidget* focusTarget) {
    if (!m_editor || m_ending) return;
    // The focus only moved between the editor's own parts (a browse edit and its button).
    if (focusTarget && m_editor->Contains(focusTarget)) return;
    m_ending = true;
    bool commit = m_editor->EndCode() != EditEnd::Cancel;
    if (m_editor->EndCode() == EditEnd::Browse) commit = Browse();
    if (commit) Commit();
    CloseEditor();
    m_ending = false;
}

// The cell's file dialog puts the chosen path into the edit; cancelling it drops the edit.
bool CControlList::Browse() {
    const CControlListCell& cell = GetCell(m_editRow, m_editColumn);
    QFileDialog* dialog = cell.browseDialog;
    if (!dialog) return true;
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return false;
    if (m_editor) m_editor->SetText(dialog->selectedFiles().constFirst());
    return m_editor != nullptr;
}

void CControlList::Commit() {
    const int row = m_editRow;
    const int column = m_editColumn;
    const QString newText = m_editor->Text();
    const QString oldText = GetItemText(row, column);
    SetItemText(row, column, newText);
    if (CControlListCell* cell = FindCell(row, column)) cell->text = newText;
    emit cellEdited(row, column, oldText, newText);
}

void CControlList::CloseEditor() {
    m_editType = CellType::None;
    m_editRow = -1;
    m_editColumn = -1;
    if (!m_editor) return;
    ++m_editGeneration;  // a late end request of this editor must not end the next one
    const bool hadFocus = m_editor->Contains(QApplication::focusWidget());
    CControlListEditor* editor = m_editor.release();
    editor->hide();
    editor->deleteLater();
    if (hadFocus) setFocus(Qt::OtherFocusReason);
}

void CControlList::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    if (index.isValid()) ToggleCheck(index, at.x() - visualRect(index).left());
}

void CControlList::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    const int row = index.row();
    const int column = index.column();
    StartEdit(row, column);
    QMetaObject::invokeMethod(this, [this, row, column] { emit cellDoubleClicked(row, column); },
                              Qt::QueuedConnection);
    QTableView::mouseDoubleClickEvent(event);
}

// F2 edits the current cell, so the grid needs no mouse.
void CControlList::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && current.isValid()) {
        StartEdit(current.row(), current.column());
        return;
    }
    QTableView::keyPressEvent(event);
}

void CControlList::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    const auto post = [this](const QItemSelection& rows, bool isSelected) {
        QList<int> seen;
        for (const QModelIndex& index : rows.indexes()) {
            if (seen.contains(index.row())) continue;
            seen.append(index.row());
            const int row = index.row();
            QMetaObject::invokeMethod(this, [this, row, isSelected] { emit rowSelected(row, isSelected); },
                                      Qt::QueuedConnection);
        }
    };
    post(deselected, false);
    post(selected, true);
}

// A text cut off by its column shows whole in a tip.
bool CControlList::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = GetItemText(index.row(), index.column());
    if (index.isValid() && fontMetrics().horizontalAdvance(text) > visualRect(index).width()) {
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    } else {
        QToolTip::hideText();
    }
    return true;
}

#pragma once
// A list view turned into a small grid: every cell may carry a typed record (CControlListCell)
// that decides how it is drawn and which in-place editor opens on a double-click or F2. The grid
// tells its owner about committed edits before it goes on (cellEdited, a direct call: the two
// texts are the edit's, equal ones included) and about value changes, selection changes and
// double-clicks afterwards (queued signals).
#include <QColor>
#include <QPixmap>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "controls/ControlListCell.h"

class CControlListModel;
class CControlListDelegate;
class CControlListEditor;

class CControlList : public QTableView {
    Q_OBJECT
public:
    // The check images come from the given bitmap: three 13 x 13 images side by side.
    explicit CControlList(int checkBitmapId, QWidget* parent = nullptr);
    ~CControlList() override;

    // Deletes all rows, then one centred column per title with its width in pixels.
    void SetColumns(const QStringList& titles, const QList<int>& widths);
    // Rows up to and including row are appended as needed, with empty texts.
    void SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    // The grid owns the record from here on; the cell shows the record's display text.
    void SetCell(int row, int column, std::unique_ptr<CControlListCell> cell);
    // The cell's record, or the default record (type None, empty text) when it has none.
    const CControlListCell& GetCell(int row, int column) const;
    // Replaces every row at once with plain texts (one list per row, cells without records): the
    // view and screen readers see one removal and one insertion however many rows there are.
    void SetRows(std::vector<QStringList> rows);
    // Later rows move up; the row that took its place (or the new last row) is selected. These
    // three drop an open edit uncommitted, so it can never land in a row that moved or went away.
    void DeleteRow(int row);
    // One removal, like SetRows.
    void DeleteAllRows();
    int GetSelectedRow() const;
    int GetRowCount() const;
    int GetColumnCount() const;
    void SelectRow(int row);
    // Opens the cell's editor; nothing while another is open or for cells without one.
    void StartEdit(int row, int column);
    bool IsEditing() const;
    // The open editor (for its owner's tests and for screen readers), or null.
    QWidget* GetEditor() const;
    // A remark about a row (see CControlListModel::SetRowNote); it moves with its row.
    void SetRowNote(int row, const QIcon& icon, const QString& text);
    QString GetRowNote(int row) const;
    // Freezes drawing while a caller replaces many cells.
    void SetRedraw(bool redraw);

    // The colour dialog of colour cells; replaceable so a program or test can choose otherwise.
    using ColourChooser = std::function<std::optional<QColor>(const QColor& start, QWidget* parent)>;
    void SetColourChooser(ColourChooser chooser);

    // Left edge of the check box inside a check cell, and the zone a click toggles it in.
    static constexpr int kCheckOffsetColumn0 = 7;
    static constexpr int kCheckOffset = 3;
    static constexpr int kCheckZoneColumn0 = 36;
    static constexpr int kCheckZone = 30;
    static constexpr int kCheckImageSize = 13;

signals:
    void cellEdited(int row, int column, const QString& oldText, const QString& newText);
    void cellChanged(int row, int column);
    void rowSelected(int row, bool selected);
    void cellDoubleClicked(int row, int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class CControlListDelegate;

    using CellKey = std::pair<int, int>;

    void EnsureRows(int rowCount);
    const CControlListCell* FindCell(int row, int column) const;
    void ApplyAccessibleText(int row, int column);
    bool ToggleCheck(const QModelIndex& index, int xInCell);
    void ChooseColour(int row, int column);
    CControlListCell* FindCell(int row, int column);
    void EndEdit(QWidget* focusTarget);
    bool Browse();
    void Commit();
    void CloseEditor();
    void PostCellChanged(int row, int column);
    QPixmap CheckImage(int index) const;

    CControlListModel* m_model;
    CControlListDelegate* m_delegate;
    std::map<CellKey, std::unique_ptr<CControlListCell>> m_cells;
    CControlListCell m_defaultCell;
    QPixmap m_checkImages;
    ColourChooser m_chooseColour;
    std::unique_ptr<CControlListEditor> m_editor;
    int m_editGeneration = 0;  // tells a late end request of a closed editor from the open one's
    bool m_ending = false;     // a browse dialog runs its own event loop inside EndEdit
    int m_editRow = -1;
    int m_editColumn = -1;
    CellType m_editType = CellType::None;
};

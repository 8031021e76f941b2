#include "controls/ControlList.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "controls/BitmapResource.h"
#include "controls/ButtonImage.h"
#include "controls/ControlListDelegate.h"
#include "controls/ControlListModel.h"
#include "controls/ControlListEditor.h"

namespace {
constexpr int kRowPadding = 3;  // rows are as tall as the text plus this
const QColor kCheckKeyColour(0x00, 0xFF, 0x00);

std::optional<QColor> AskColour(const QColor& start, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(start, parent);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
}
}  // namespace

CControlList::CControlList(int checkBitmapId, QWidget* parent)
    : QTableView(parent), m_model(new CControlListModel(this)), m_delegate(new CControlListDelegate(this)),
      m_chooseColour(AskColour) {
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(true);
    setWordWrap(false);
    // Tab leaves the grid as it leaves any control of a dialog; arrows choose the cell for F2.
    setTabKeyNavigation(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + kRowPadding);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    const QPixmap checks = LoadBitmapResource(checkBitmapId, devicePixelRatioF());
    if (!checks.isNull()) m_checkImages = MaskTransparentColor(checks, kCheckKeyColour);
}

CControlList::~CControlList() = default;

void CControlList::SetColumns(const QStringList& titles, const QList<int>& widths) {
    CloseEditor();
    m_cells.clear();
    m_model->SetColumns(titles);
    for (int column = 0; column < titles.size() && column < widths.size(); ++column) {
        setColumnWidth(column, widths[column]);
    }
}

void CControlList::EnsureRows(int rowCount) {
    m_model->EnsureRows(rowCount);
}

void CControlList::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || column < 0 || column >= m_model->columnCount()) return;
    EnsureRows(row + 1);
    m_model->SetText(row, column, text);
    ApplyAccessibleText(row, column);
}

QString CControlList::GetItemText(int row, int column) const {
    return m_model->Text(row, column);
}

void CControlList::SetCell(int row, int column, std::unique_ptr<CControlListCell> cell) {
    if (!cell || row < 0 || column < 0 || column >= m_model->columnCount()) return;
    const QString display = cell->DisplayText();
    m_cells[{row, column}] = std::move(cell);
    SetItemText(row, column, display);
}

const CControlListCell* CControlList::FindCell(int row, int column) const {
    const auto found = m_cells.find({row, column});
    return found == m_cells.end() ? nullptr : found->second.get();
}

CControlListCell* CControlList::FindCell(int row, int column) {
    const auto found = m_cells.find({row, column});
    return found == m_cells.end() ? nullptr : found->second.get();
}

const CControlListCell& CControlList::GetCell(int row, int column) const {
    const CControlListCell* cell = FindCell(row, column);
    return cell ? *cell : m_defaultCell;
}

// Check and colour cells show no text of their own; screen readers get their state instead.
void CControlList::ApplyAccessibleText(int row, int column) {
    const CControlListCell& cell = GetCell(row, column);
    QString text;
    if (cell.type == CellType::Check) {
        text = cell.text + (cell.value ? tr(" (checked)") : tr(" (unchecked)"));
    } else if (cell.type == CellType::Colour) {
        text = cell.colour.name();
    }
    m_model->SetAccessibleText(row, column, text);
}

void CControlList::DeleteRow(int row) {
    if (row < 0 || row >= GetRowCount()) return;
    CloseEditor();
    m_model->RemoveRow(row);
    std::map<CellKey, std::unique_ptr<CControlListCell>> moved;
    for (auto& [key, cell] : m_cells) {
        if (key.first < row) {
            moved[key] = std::move(cell);
        } else if (key.first > row) {
            moved[{key.first - 1, key.second}] = std::move(cell);
        }
    }
    m_cells = std::move(moved);
    if (GetRowCount() > 0) SelectRow(qMin(row, GetRowCount() - 1));
}

void CControlList::SetRowNote(int row, const QIcon& icon, const QString& text) {
    m_model->SetRowNote(row, icon, text);
}

QString CControlList::GetRowNote(int row) const {
    return m_model->RowNote(row);
}

void CControlList::SetRows(std::vector<QStringList> rows) {
    CloseEditor();
    m_cells.clear();
    m_model->ReplaceRows(std::move(rows));
}

void CControlList::DeleteAllRows() {
    CloseEditor();
    m_cells.clear();
    m_model->RemoveAllRows();
}

int CControlList::GetSelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) first = index.row();
    }
    return first;
}

int CControlList::GetRowCount() const {
    return m_model->rowCount();
}

int CControlList::GetColumnCount() const {
    return m_model->columnCount();
}

void CControlList::SelectRow(int row) {
    if (row < 0 || row >= GetRowCount()) return;
    selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setFocus(Qt::OtherFocusReason);
}

void CControlList::SetRedraw(bool redraw) {
    setUpdatesEnabled(redraw);
    if (redraw) viewport()->update();
}

void CControlList::SetColourChooser(ColourChooser chooser) {
    m_chooseColour = std::move(chooser);
}

QPixmap CControlList::CheckImage(int index) const {
    if (m_checkImages.isNull()) return {};
    const qreal ratio = m_checkImages.devicePixelRatio();
    const int side = qRound(kCheckImageSize * ratio);
    QPixmap image = m_checkImages.copy(index * side, 0, side, side);
    image.setDevicePixelRatio(ratio);
    return image;
}

void CControlList::PostCellChanged(int row, int column) {
    QMetaObject::invokeMethod(this, [this, row, column] { emit cellChanged(row, column); }, Qt::QueuedConnection);
}

bool CControlList::ToggleCheck(const QModelIndex& index, int xInCell) {
    CControlListCell* cell = FindCell(index.row(), index.column());
    if (!cell || cell->type != CellType::Check) return false;
    const int zone = index.column() == 0 ? kCheckZoneColumn0 : kCheckZone;
    if (xInCell <= 0 || xInCell >= zone) return false;
    cell->value = cell->value ? 0 : 1;
    ApplyAccessibleText(index.row(), index.column());
    viewport()->update(visualRect(index));
    PostCellChanged(index.row(), index.column());
    return true;
}

void CControlList::ChooseColour(int row, int column) {
    CControlListCell* cell = FindCell(row, column);
    if (!cell || !m_chooseColour) return;
    const std::optional<QColor> chosen = m_chooseColour(cell->colour, this);
    if (chosen) {
        cell->colour = *chosen;
        ApplyAccessibleText(row, column);
        PostCellChanged(row, column);
    }
    viewport()->update();
}

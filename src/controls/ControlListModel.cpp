#include "controls/ControlListModel.h"

void CControlListModel::SetColumns(const QStringList& titles) {
    beginResetModel();
    m_titles = titles;
    m_rows.clear();
    endResetModel();
}

void CControlListModel::ReplaceRows(std::vector<QStringList> rows) {
    RemoveAllRows();
    if (rows.empty()) return;
    const int columns = columnCount();
    beginInsertRows({}, 0, int(rows.size()) - 1);
    m_rows.reserve(rows.size());
    for (QStringList& texts : rows) {
        texts.resize(columns);
        m_rows.push_back({std::move(texts), {}, {}, {}});
    }
    endInsertRows();
}

// A removal, not a reset: a reset would also put the header's column widths back to the default.
void CControlListModel::RemoveAllRows() {
    if (m_rows.empty()) return;
    beginRemoveRows({}, 0, rowCount() - 1);
    m_rows.clear();
    endRemoveRows();
}

void CControlListModel::RemoveRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void CControlListModel::EnsureRows(int rowCount) {
    const int first = this->rowCount();
    if (rowCount <= first) return;
    beginInsertRows({}, first, rowCount - 1);
    m_rows.resize(size_t(rowCount), Row{QStringList(columnCount()), {}, {}, {}});
    endInsertRows();
}

bool CControlListModel::IsCell(int row, int column) const {
    return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
}

void CControlListModel::SetText(int row, int column, const QString& text) {
    if (!IsCell(row, column)) return;
    m_rows[size_t(row)].texts[column] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

QString CControlListModel::Text(int row, int column) const {
    return IsCell(row, column) ? m_rows[size_t(row)].texts[column] : QString();
}

void CControlListModel::SetAccessibleText(int row, int column, const QString& text) {
    if (!IsCell(row, column)) return;
    QStringList& accessible = m_rows[size_t(row)].accessible;
    if (text.isNull() && accessible.isEmpty()) return;  // the common case: nothing to say, nothing said
    accessible.resize(columnCount());
    accessible[column] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::AccessibleTextRole});
}

void CControlListModel::SetRowNote(int row, const QIcon& icon, const QString& text) {
    if (!IsCell(row, 0)) return;
    Row& target = m_rows[size_t(row)];
    if (target.note == text && (text.isEmpty() || target.noteIcon.cacheKey() == icon.cacheKey())) return;
    target.note = text;
    target.noteIcon = text.isEmpty() ? QIcon() : icon;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1),
                     {Qt::DecorationRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

QString CControlListModel::RowNote(int row) const {
    return IsCell(row, 0) ? m_rows[size_t(row)].note : QString();
}

int CControlListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CControlListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_titles.size());
}

QVariant CControlListModel::data(const QModelIndex& index, int role) const {
    if (!IsCell(index.row(), index.column())) return {};
    const Row& row = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole) return row.texts[index.column()];
    if (role == Qt::AccessibleTextRole && !row.accessible.isEmpty() && !row.accessible[index.column()].isNull())
        return row.accessible[index.column()];
    if (row.note.isEmpty()) return {};
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) return row.note;
    if (role == Qt::DecorationRole && index.column() == 0) return row.noteIcon;
    return {};
}

QVariant CControlListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles[section];
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section >= 0 && section < rowCount())
        return QString::number(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags CControlListModel::flags(const QModelIndex& index) const {
    return IsCell(index.row(), index.column()) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

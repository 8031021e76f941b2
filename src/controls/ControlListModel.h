#pragma once
// The texts behind a CControlList: one string per cell, column titles, and the text screen readers
// get for cells whose picture says more than their text. Emptying the grid is one removal and
// filling it one insertion, so views and screen readers see one change instead of one per row (a
// full card has 65,533 rows). Rows are numbered from 0 in the vertical header, as the card counts.
#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

#include <vector>

class CControlListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Drops every row, then one column per title.
    void SetColumns(const QStringList& titles);
    // Rows are padded or cut to the column count.
    void ReplaceRows(std::vector<QStringList> rows);
    void RemoveAllRows();
    void RemoveRow(int row);
    // Appends empty rows until there are rowCount.
    void EnsureRows(int rowCount);
    void SetText(int row, int column, const QString& text);
    QString Text(int row, int column) const;
    // A null text means the screen reader reads the cell's own text.
    void SetAccessibleText(int row, int column, const QString& text);
    // A remark about the whole row: its icon before the first cell's text, and its text as every
    // cell's tooltip and accessible description. An empty text takes the note away.
    void SetRowNote(int row, const QIcon& icon, const QString& text);
    QString RowNote(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Row {
        QStringList texts;
        QStringList accessible;  // empty, or one entry per column
        QString note;
        QIcon noteIcon;
    };
    bool IsCell(int row, int column) const;

    QStringList m_titles;
    std::vector<Row> m_rows;
};

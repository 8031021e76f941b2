#pragma once
// Paints the pictures of CControlList's check and colour cells over the list's own cell drawing. A
// row note's icon goes after the cell's text, so the texts of a column stay in line.
#include <QStyledItemDelegate>

class CControlList;

class CControlListDelegate : public QStyledItemDelegate {
public:
    explicit CControlListDelegate(CControlList* grid);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

    // The colour swatch's insets from the cell's edges.
    static constexpr int kSwatchLeft = 3;
    static constexpr int kSwatchTop = 2;
    static constexpr int kSwatchRight = 2;
    static constexpr int kSwatchBottom = 3;
    static constexpr int kCheckTextGap = 2;

private:
    void PaintCheck(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    CControlList* m_grid;
};

#include "controls/ControlListDelegate.h"

#include <QPainter>

#include "controls/ControlList.h"

namespace check_image {
constexpr int kChecked = 0;
constexpr int kUnchecked = 1;
constexpr int kCheckedSelected = 2;
}  // namespace check_image

CControlListDelegate::CControlListDelegate(CControlList* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void CControlListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const CControlListCell& cell = m_grid->GetCell(index.row(), index.column());
    if (cell.type == CellType::Colour) {
        const QRect swatch = option.rect.adjusted(kSwatchLeft, kSwatchTop, -kSwatchRight, -kSwatchBottom);
        painter->fillRect(swatch, cell.colour);
    } else if (cell.type == CellType::Check) {
        PaintCheck(painter, option, index);
    }
}

void CControlListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->decorationPosition = QStyleOptionViewItem::Right;
}

void CControlListDelegate::PaintCheck(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const CControlListCell& cell = m_grid->GetCell(index.row(), index.column());
    const bool selected = option.state & QStyle::State_Selected;
    int image = check_image::kChecked;
    if (cell.value == 0) {
        image = check_image::kUnchecked;
    } else if (selected) {
        image = check_image::kCheckedSelected;
    }
    const int offset = index.column() == 0 ? CControlList::kCheckOffsetColumn0 : CControlList::kCheckOffset;
    const int size = CControlList::kCheckImageSize;
    const QRect box(option.rect.left() + offset, option.rect.top() + (option.rect.height() - size) / 2, size, size);
    painter->drawPixmap(box.topLeft(), m_grid->CheckImage(image));
    const QRect textRect(box.right() + 1 + kCheckTextGap, option.rect.top(),
                         option.rect.right() - box.right() - kCheckTextGap, option.rect.height());
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, cell.text);
    painter->restore();
}

// How a CImageButton paints itself: background, border, picture and caption in that order.
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "controls/ButtonImage.h"
#include "controls/ImageButton.h"

namespace {

constexpr int kFocusInset = 3;
constexpr int kCaptionPadding = 8;  // room around a caption in the size hint
constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

// Two-colour frame one pixel wide: topLeft on the top and left edges, bottomRight on the others.
void DrawEdge(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
    painter.drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

// The disabled look: the classic etching (highlight one pixel down and right, shadow on top; the
// active colours, as a disabled palette may fade them until the etching no longer shows) on a light
// face. On a dark face that pair sinks into it, so the palette's disabled text colour is used alone.
struct DisabledInk {
    QColor highlight;
    QColor shadow;
};

DisabledInk DisabledColours(const QPalette& p) {
    const bool darkFace =
        p.color(QPalette::Active, QPalette::ButtonText).lightness() > p.color(QPalette::Active, QPalette::Button).lightness();
    if (darkFace) return {Qt::transparent, p.color(QPalette::Disabled, QPalette::ButtonText)};
    return {p.color(QPalette::Active, QPalette::Light), p.color(QPalette::Active, QPalette::Dark)};
}

QSize LogicalSize(const QPixmap& pixmap) {
    return (QSizeF(pixmap.size()) / pixmap.devicePixelRatio()).toSize();
}

}  // namespace

QPixmap CImageButton::CurrentPixmap() const {
    const bool showOut = m_checkBoxMode ? !IsPressedLook() : !IsPressedLook() && !m_hover;
    if (!m_imageIn.pixmap.isNull()) {
        return showOut && !m_imageOut.pixmap.isNull() ? m_imageOut.pixmap : m_imageIn.pixmap;
    }
    if (m_iconIn.isNull()) return {};
    const QIcon& icon = showOut && !m_iconOut.isNull() ? m_iconOut : m_iconIn;
    return icon.pixmap(iconSize(), devicePixelRatioF());
}

QRect CImageButton::ImageRect(const QRect& area, const QSize& imageSize, QRect& captionArea) const {
    const bool hasCaption = !text().isEmpty();
    const QPoint centre = area.center();
    QRect image(QPoint(), imageSize);
    image.moveCenter(centre);
    captionArea = area;
    switch (m_align) {
    case Align::ImageLeft:
        if (hasCaption) {
            image.moveLeft(area.left() + m_imageMargins.x());
            captionArea.setLeft(area.left() + imageSize.width() + m_imageMargins.x());
        }
        break;
    case Align::ImageTop:
        if (hasCaption) {
            image.moveTop(area.top() + m_imageMargins.y());
            captionArea.setTop(area.top() + m_imageMargins.y() + imageSize.height());
        }
        break;
    case Align::ImageRight:
        if (hasCaption) {
            image.moveRight(area.right() - m_imageMargins.x());
            captionArea.setLeft(area.left() + m_imageMargins.x());
            captionArea.setRight(image.left() - 1);
        } else {
            image.moveTop(area.top());
        }
        break;
    }
    if (isDown() && !m_checkBoxMode) image.translate(m_pressedOffset);
    return image;
}

void CImageButton::PaintBackground(QPainter& painter, const QRect& rect, bool pressed) const {
    if (m_drawTransparent) return;
    QRect face = rect;
    if (!m_flatLook && (hasFocus() || isDefault())) {
        painter.setPen(Qt::black);
        painter.drawRect(face.adjusted(0, 0, -1, -1));
        face.adjust(1, 1, -1, -1);
    }
    ColorRole role = ColorRole::BackOut;
    if (pressed || m_hover) {
        role = ColorRole::BackIn;
    } else if (hasFocus()) {
        role = ColorRole::BackFocus;
    }
    painter.fillRect(face, GetColor(role));
}

void CImageButton::PaintBorder(QPainter& painter, const QRect& rect, bool pressed) const {
    const QPalette& p = palette();
    QRect r = rect;
    if (!m_flatLook && (hasFocus() || isDefault())) r.adjust(1, 1, -1, -1);
    if (pressed) {
        if (!m_flatLook) {
            painter.setPen(p.color(QPalette::Dark));
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        } else if (m_drawFlatBorder) {
            DrawEdge(painter, r, p.color(QPalette::Dark), p.color(QPalette::Light));
        }
    } else if (!m_flatLook) {
        DrawEdge(painter, r, p.color(QPalette::Light), p.color(QPalette::Shadow));
        DrawEdge(painter, r.adjusted(1, 1, -1, -1), p.color(QPalette::Midlight), p.color(QPalette::Dark));
    } else if (m_hover && m_drawFlatBorder) {
        DrawEdge(painter, r, p.color(QPalette::Light), p.color(QPalette::Dark));
    }
}

void CImageButton::PaintImage(QPainter& painter, const QPixmap& pixmap, const QRect& rect) const {
    if (!isEnabled() && m_drawDisabledGrayed) {
        const DisabledInk ink = DisabledColours(palette());
        painter.drawPixmap(rect.topLeft(), EmbossedCopy(pixmap, ink.highlight, ink.shadow));
    } else {
        painter.drawPixmap(rect.topLeft(), pixmap);
    }
}

void CImageButton::PaintCaption(QPainter& painter, const QRect& area, bool pressed) const {
    if (text().isEmpty()) return;
    QRect box = area;
    if (isDown() && !m_checkBoxMode) box.translate(m_pressedOffset);
    painter.setFont(font());
    if (!isEnabled()) {
        const DisabledInk ink = DisabledColours(palette());
        if (ink.highlight.alpha() > 0) {
            painter.setPen(ink.highlight);
            painter.drawText(box.translated(1, 1), kCaptionFlags, text());
        }
        painter.setPen(ink.shadow);
        painter.drawText(box, kCaptionFlags, text());
        return;
    }
    ColorRole role = ColorRole::ForeOut;
    if (pressed || m_hover) {
        role = ColorRole::ForeIn;
    } else if (hasFocus()) {
        role = ColorRole::ForeFocus;
    }
    painter.setPen(GetColor(role));
    painter.drawText(box, kCaptionFlags, text());
}

void CImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    const bool pressed = IsPressedLook();
    PaintBackground(painter, all, pressed);
    PaintBorder(painter, all, pressed);
    QRect captionArea = all;
    const QPixmap pixmap = CurrentPixmap();
    if (!pixmap.isNull()) PaintImage(painter, pixmap, ImageRect(all, LogicalSize(pixmap), captionArea));
    PaintCaption(painter, captionArea, pressed);
    if (hasFocus() && (!m_flatLook || m_drawFlatFocus)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = all.adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

QSize CImageButton::sizeHint() const {
    const QPixmap pixmap = CurrentPixmap();
    const QSize image = pixmap.isNull() ? QSize() : LogicalSize(pixmap);
    const QSize caption = text().isEmpty()
                              ? QSize()
                              : fontMetrics().size(Qt::TextShowMnemonic, text()) + QSize(kCaptionPadding, kCaptionPadding);
    const int marginX = 2 * m_imageMargins.x();
    const int marginY = 2 * m_imageMargins.y();
    if (m_align == Align::ImageTop) {
        return {qMax(image.width(), caption.width()) + marginX, image.height() + caption.height() + marginY};
    }
    return {image.width() + caption.width() + marginX, qMax(image.height(), caption.height()) + marginY};
}

#pragma once
// Pictures of CImageButton: one colour made transparent, the derived gray and darker copies, and
// the embossed look of a disabled button.
#include <QColor>
#include <QPalette>
#include <QPixmap>

// The pixmap with every pixel of the transparent colour masked out; null when no mask can be made.
QPixmap MaskTransparentColor(const QPixmap& pixmap, const QColor& transparent);
// Every pixel but the transparent colour as its gray level (0.299 R + 0.587 G + 0.114 B).
QPixmap GrayCopy(const QPixmap& pixmap, const QColor& transparent);
// Every channel of every pixel but the transparent colour at three quarters.
QPixmap DarkerCopy(const QPixmap& pixmap, const QColor& transparent);
// The picture's dark strokes etched into the face: light one pixel down and right, shadow on top
// (the active colours: a disabled palette may fade them until the etching no longer shows).
QPixmap EmbossedCopy(const QPixmap& masked, const QPalette& palette);

#pragma once
// Pictures of CImageButton: one colour made transparent, the derived gray and darker copies, and
// the embossed look of a disabled button.
#include <QColor>
#include <QPixmap>

// The pixmap with every pixel of the transparent colour masked out; null when no mask can be made.
QPixmap MaskTransparentColor(const QPixmap& pixmap, const QColor& transparent);
// Every pixel but the transparent colour as its gray level (0.299 R + 0.587 G + 0.114 B).
QPixmap GrayCopy(const QPixmap& pixmap, const QColor& transparent);
// Every channel of every pixel but the transparent colour at three quarters.
QPixmap DarkerCopy(const QPixmap& pixmap, const QColor& transparent);
// The picture's dark strokes etched into the face: highlight one pixel down and right (none when
// transparent), shadow on top.
QPixmap EmbossedCopy(const QPixmap& masked, const QColor& highlight, const QColor& shadow);

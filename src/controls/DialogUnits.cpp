#include "controls/DialogUnits.h"

#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

namespace {
constexpr int kHorizontalDivisor = 4;
constexpr int kVerticalDivisor = 8;
// The average character width is that of the 52 Latin letters, rounded.
const QString kAlphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
// What a window manager adds around a window: borders, and a title bar of up to 40 pixels.
const QSize kFrameAllowance(16, 48);
}  // namespace

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = static_cast<int>(kAlphabet.size());
    m_averageCharWidth = (metrics.horizontalAdvance(kAlphabet) + letters / 2) / letters;
    m_charHeight = metrics.height();
}

int CDialogUnits::X(int units) const {
    return units * m_averageCharWidth / kHorizontalDivisor;
}

int CDialogUnits::Y(int units) const {
    return units * m_charHeight / kVerticalDivisor;
}

QSize CDialogUnits::Size(int width, int height) const {
    return {X(width), Y(height)};
}

QRect CDialogUnits::Rect(int x, int y, int width, int height) const {
    return {X(x), Y(y), X(width), Y(height)};
}

QSize FirstSizeOnScreen(const QWidget& dialog, const QSize& wanted) {
    const QScreen* screen = dialog.screen();
    QSize size = wanted;
    if (screen) size = size.boundedTo(screen->availableGeometry().size() - kFrameAllowance);
    return size.expandedTo(dialog.minimumSizeHint());
}

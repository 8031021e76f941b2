#pragma once
// Dialog units: the layout measure of the window's dialog templates. A horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of its height, so a
// dialog keeps its proportions whatever font and scaling the desktop uses.
#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    QSize Size(int width, int height) const;
    QRect Rect(int x, int y, int width, int height) const;

    int AverageCharWidth() const { return m_averageCharWidth; }
    int CharHeight() const { return m_charHeight; }

private:
    int m_averageCharWidth;
    int m_charHeight;
};

// A dialog's first size: the wanted size, but no larger than the room its screen's desktop leaves
// once the window manager's title bar and frame are counted (a 1366 x 768 screen at 150 % leaves
// less than 910 x 490), and never smaller than the dialog's minimum size hint.
QSize FirstSizeOnScreen(const QWidget& dialog, const QSize& wanted);

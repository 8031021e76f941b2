#pragma once
// A flat push button that shows a picture beside its caption: a thin raised border while the
// mouse is over it, a sunken one while pressed, picture and caption nudged by the pressed offset.
// One colour of each picture is transparent, so the pictures need no alpha channel. A
// double-click counts as two clicks, so fast repeated clicks are never lost.
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QString>

class QMenu;

class CImageButton : public QPushButton {
    Q_OBJECT
public:
    enum class Align { ImageLeft = 0, ImageTop = 1, ImageRight = 2 };
    // Image out may be derived from image in instead of given.
    enum class Derived { None = 0, Gray = -2, Darker = -3 };
    // Results of SetBitmaps.
    static constexpr int kBitmapsOk = 0;
    static constexpr int kBitmapSizeUnreadable = 1;
    static constexpr int kMaskFailed = 2;

    enum class ColorRole { BackIn, ForeIn, BackOut, ForeOut, BackFocus, ForeFocus };

    explicit CImageButton(QWidget* parent = nullptr);
    explicit CImageButton(const QString& caption, QWidget* parent = nullptr);
    ~CImageButton() override;

    // Image in shows while pressed or hovered, image out (when present) otherwise.
    int SetBitmaps(const QPixmap& imageIn, const QColor& transparentIn, const QPixmap& imageOut = {},
                   const QColor& transparentOut = Qt::black);
    int SetBitmaps(const QPixmap& imageIn, const QColor& transparentIn, Derived imageOut);
    // By resource number (LoadBitmapResource); an out id of 0 means none, -2 and -3 derive it.
    int SetBitmaps(int idIn, const QColor& transparentIn, int idOut = 0,
                   const QColor& transparentOut = Qt::black);
    void SetIcons(const QIcon& iconIn, const QIcon& iconOut = {});
    bool HasImage() const;

    void SetAlign(Align align);
    Align GetAlign() const { return m_align; }
    void SetFlat(bool flat);
    bool IsFlat() const { return m_flatLook; }
    void SetDrawFlatBorder(bool draw);
    void SetDrawFlatFocus(bool draw);
    void SetDrawDisabledGrayed(bool grayed);
    void SetTrackWhenInactive(bool track);
    void SetDrawTransparent(bool transparent);
    void SetImageMargins(const QPoint& margins);
    void SetPressedOffset(const QPoint& offset);
    void SetColor(ColorRole role, const QColor& color);
    QColor GetColor(ColorRole role) const;
    void SetDefaultColors();

    // The dialog's default button: Enter presses it.
    void SetDefaultButton(bool isDefault);
    bool IsDefaultButton() const;
    // Check-box mode: a click toggles the checked state, which keeps the button pressed.
    void SetCheckBoxMode(bool on);
    bool IsCheckBoxMode() const { return m_checkBoxMode; }
    void SetCheck(int state);  // checked for 1 or 2
    int GetCheck() const;

    void SetTooltipText(const QString& text);
    // The button owns the menu; a click shows it below the button.
    void SetPopupMenu(QMenu* menu);
    void SetLink(const QString& url);  // up to kMaxLinkLength characters
    void SetBtnCursor(const QCursor& cursor);
    static constexpr int kMaxLinkLength = 260;

    bool IsHovered() const { return m_hover; }
    QSize sizeHint() const override;

signals:
    // Direct: the owner may fill or change the menu before it shows.
    void menuAboutToShow(QMenu* menu);
    // Queued: the command chosen from the menu.
    void menuCommand(QAction* action);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Image {
        QPixmap pixmap;  // transparent colour already masked out
        QColor transparent;
    };

    void Init();
    void SetHover(bool hover);
    void OnClicked();
    void ShowMenu();
    void HandFocusOn();
    bool IsPressedLook() const;
    QRect ImageRect(const QRect& area, const QSize& imageSize, QRect& captionArea) const;
    QPixmap CurrentPixmap() const;
    void PaintBackground(QPainter& painter, const QRect& rect, bool pressed) const;
    void PaintBorder(QPainter& painter, const QRect& rect, bool pressed) const;
    void PaintImage(QPainter& painter, const QPixmap& pixmap, const QRect& rect) const;
    void PaintCaption(QPainter& painter, const QRect& area, bool pressed) const;

    bool m_flatLook = true;
    bool m_drawFlatBorder = true;
    bool m_drawFlatFocus = false;
    bool m_drawDisabledGrayed = true;
    bool m_trackWhenInactive = true;
    bool m_drawTransparent = false;
    QPoint m_imageMargins{3, 3};
    QPoint m_pressedOffset{1, 1};
    Align m_align = Align::ImageLeft;
    bool m_hover = false;
    bool m_checkBoxMode = false;
    bool m_menuOpen = false;
    QColor m_colors[6];
    Image m_imageIn;
    Image m_imageOut;
    QIcon m_iconIn;
    QIcon m_iconOut;
    QPointer<QMenu> m_menu;
    QString m_link;
};

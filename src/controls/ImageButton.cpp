#include "controls/ImageButton.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>

#include "controls/BitmapResource.h"
#include "controls/ButtonImage.h"

namespace {
constexpr int kColorRoles = 6;
}  // namespace

CImageButton::CImageButton(QWidget* parent) : QPushButton(parent) {
    Init();
}

CImageButton::CImageButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    Init();
}

CImageButton::~CImageButton() = default;

void CImageButton::Init() {
    setMouseTracking(true);
    SetDefaultColors();
    connect(this, &QAbstractButton::clicked, this, &CImageButton::OnClicked);
}

int CImageButton::SetBitmaps(const QPixmap& imageIn, const QColor& transparentIn, const QPixmap& imageOut,
                             const QColor& transparentOut) {
    m_imageIn = {};
    m_imageOut = {};
    update();
    if (imageIn.isNull() || imageIn.size().isEmpty()) return kBitmapSizeUnreadable;
    Image in{MaskTransparentColor(imageIn, transparentIn), transparentIn};
    if (in.pixmap.isNull()) return kMaskFailed;
    Image out;
    if (!imageOut.isNull()) {
        if (imageOut.size().isEmpty()) return kBitmapSizeUnreadable;
        out = {MaskTransparentColor(imageOut, transparentOut), transparentOut};
        if (out.pixmap.isNull()) return kMaskFailed;
    }
    m_imageIn = in;
    m_imageOut = out;
    updateGeometry();
    return kBitmapsOk;
}

int CImageButton::SetBitmaps(const QPixmap& imageIn, const QColor& transparentIn, Derived imageOut) {
    switch (imageOut) {
    case Derived::Gray: return SetBitmaps(imageIn, transparentIn, GrayCopy(imageIn, transparentIn), transparentIn);
    case Derived::Darker:
        return SetBitmaps(imageIn, transparentIn, DarkerCopy(imageIn, transparentIn), transparentIn);
    case Derived::None: break;
    }
    return SetBitmaps(imageIn, transparentIn);
}

int CImageButton::SetBitmaps(int idIn, const QColor& transparentIn, int idOut, const QColor& transparentOut) {
    const QPixmap in = LoadBitmapResource(idIn, devicePixelRatioF());
    if (idOut == static_cast<int>(Derived::Gray) || idOut == static_cast<int>(Derived::Darker)) {
        return SetBitmaps(in, transparentIn, static_cast<Derived>(idOut));
    }
    if (idOut == 0) return SetBitmaps(in, transparentIn);
    const QPixmap out = LoadBitmapResource(idOut, devicePixelRatioF());
    if (out.isNull()) {
        SetBitmaps(QPixmap(), transparentIn);
        return kBitmapSizeUnreadable;
    }
    return SetBitmaps(in, transparentIn, out, transparentOut);
}

void CImageButton::SetIcons(const QIcon& iconIn, const QIcon& iconOut) {
    m_iconIn = iconIn;
    m_iconOut = iconOut;
    updateGeometry();
    update();
}

bool CImageButton::HasImage() const {
    return !m_imageIn.pixmap.isNull() || !m_iconIn.isNull();
}

void CImageButton::SetAlign(Align align) {
    m_align = align;
    update();
}

void CImageButton::SetFlat(bool flat) {
    m_flatLook = flat;
    if (!flat) SetHover(false);
    update();
}

void CImageButton::SetDrawFlatBorder(bool draw) {
    m_drawFlatBorder = draw;
    update();
}

void CImageButton::SetDrawFlatFocus(bool draw) {
    m_drawFlatFocus = draw;
    update();
}

void CImageButton::SetDrawDisabledGrayed(bool grayed) {
    m_drawDisabledGrayed = grayed;
    update();
}

void CImageButton::SetTrackWhenInactive(bool track) {
    m_trackWhenInactive = track;
}

void CImageButton::SetDrawTransparent(bool transparent) {
    m_drawTransparent = transparent;
    update();
}

void CImageButton::SetImageMargins(const QPoint& margins) {
    m_imageMargins = margins;
    update();
}

void CImageButton::SetPressedOffset(const QPoint& offset) {
    m_pressedOffset = offset;
    update();
}

void CImageButton::SetColor(ColorRole role, const QColor& color) {
    m_colors[static_cast<int>(role)] = color;
    update();
}

QColor CImageButton::GetColor(ColorRole role) const {
    return m_colors[static_cast<int>(role)];
}

void CImageButton::SetDefaultColors() {
    const QColor face = palette().color(QPalette::Button);
    const QColor text = palette().color(QPalette::ButtonText);
    for (int role = 0; role < kColorRoles; role += 2) {
        m_colors[role] = face;
        m_colors[role + 1] = text;
    }
    update();
}

void CImageButton::SetDefaultButton(bool isDefault) {
    setDefault(isDefault);
}

bool CImageButton::IsDefaultButton() const {
    return isDefault();
}

void CImageButton::SetCheckBoxMode(bool on) {
    m_checkBoxMode = on;
    setCheckable(on);
    update();
}

void CImageButton::SetCheck(int state) {
    if (m_checkBoxMode) setChecked(state == 1 || state == 2);
}

int CImageButton::GetCheck() const {
    return m_checkBoxMode && isChecked() ? 1 : 0;
}

void CImageButton::SetTooltipText(const QString& text) {
    setToolTip(text);
}

void CImageButton::SetPopupMenu(QMenu* menu) {
    delete m_menu;
    m_menu = menu;
    if (menu) menu->setParent(this, menu->windowFlags());
}

void CImageButton::SetLink(const QString& url) {
    m_link = url.left(kMaxLinkLength);
}

void CImageButton::SetBtnCursor(const QCursor& cursor) {
    setCursor(cursor);
}

void CImageButton::SetHover(bool hover) {
    if (m_hover == hover) return;
    m_hover = hover;
    update();
}

bool CImageButton::IsPressedLook() const {
    return isDown() || (m_checkBoxMode && isChecked()) || m_menuOpen;
}

void CImageButton::OnClicked() {
    if (m_checkBoxMode) return;  // the checkable button has toggled already
    if (m_menu) {
        ShowMenu();
    } else if (!m_link.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromUserInput(m_link));
    }
}

void CImageButton::ShowMenu() {
    m_menuOpen = true;
    update();
    emit menuAboutToShow(m_menu);
    QAction* chosen = m_menu ? m_menu->exec(mapToGlobal(rect().bottomLeft())) : nullptr;
    m_menuOpen = false;
    update();
    if (chosen) {
        QPointer<QAction> action(chosen);
        QMetaObject::invokeMethod(this, [this, action] { if (action) emit menuCommand(action); },
                                  Qt::QueuedConnection);
    }
}

// A disabled button must not keep the keyboard: the next tab stop of its window takes it, or the
// window itself when there is none.
void CImageButton::HandFocusOn() {
    QWidget* owner = window();
    for (QWidget* next = nextInFocusChain(); next && next != this; next = next->nextInFocusChain()) {
        if (next->window() == owner && next != owner && next->isEnabled() && next->isVisibleTo(owner) &&
            (next->focusPolicy() & Qt::TabFocus)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (parentWidget()) parentWidget()->setFocus(Qt::OtherFocusReason);
}

void CImageButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    const bool leftHeld = QGuiApplication::mouseButtons() & Qt::LeftButton;
    if (!m_flatLook || !isEnabled() || (leftHeld && !m_hover)) return;
    if (!m_trackWhenInactive && !QApplication::activeWindow()) return;
    SetHover(true);
}

void CImageButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    SetHover(false);
}

void CImageButton::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    if (!m_flatLook || !isEnabled()) return;
    if ((event->buttons() & Qt::LeftButton) && !m_hover) return;
    if (!m_trackWhenInactive && !QApplication::activeWindow()) return;
    SetHover(rect().contains(event->position().toPoint()));
}

void CImageButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // Counted as a second press, so the release after it is a second click.
    mousePressEvent(event);
}

void CImageButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    SetHover(false);
}

void CImageButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            SetHover(false);
            HandFocusOn();
        }
        break;
    case QEvent::ActivationChange:
        if (!isActiveWindow()) SetHover(false);
        break;
    case QEvent::PaletteChange:
        SetDefaultColors();
        break;
    default: break;
    }
}

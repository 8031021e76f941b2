#include "controls/TimeEditCtrl.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include "controls/ControlListCell.h"

namespace {

constexpr int kEdge = 2;                 // the sunken edge's width; the fields sit inside it
constexpr double kFieldWidthChars = 2.5;  // fields 2 and 3 are two and a half characters wide
constexpr int kField1RightChars = 4;
constexpr int kField2LeftChars = 5;
constexpr int kTokensNeeded = 3;
constexpr int kDecimalBase = 10;
const char* const kFieldNames[CTimeEditCtrl::kFieldCount] = {QT_TRANSLATE_NOOP("CTimeEditCtrl", "Hours"),
                                                               QT_TRANSLATE_NOOP("CTimeEditCtrl", "Minutes"),
                                                               QT_TRANSLATE_NOOP("CTimeEditCtrl", "Hundredths")};

// The number at the start of a field's text: its leading digits, 0 when there are none.
int LeadingDigits(const QString& text) {
    qint64 value = 0;
    const QString trimmed = text.trimmed();
    for (qsizetype at = 0; at < trimmed.size() && trimmed[at] >= u'0' && trimmed[at] <= u'9'; ++at) {
        value = qMin<qint64>(value * kDecimalBase + trimmed[at].digitValue(), std::numeric_limits<int>::max());
    }
    return static_cast<int>(value);
}

}  // namespace

CTimeEditCtrl::CTimeEditCtrl(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kEdge);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    CreateFields();
}

void CTimeEditCtrl::CreateFields() {
    const auto* digitsOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), this);
    for (int index = 0; index < kFieldCount; ++index) {
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setValidator(digitsOnly);
        field->setAlignment(index == 0 ? Qt::AlignRight : Qt::AlignHCenter);
        field->setAccessibleName(tr(kFieldNames[index]));
        field->setText(QStringLiteral("0"));
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, [this] {
            QMetaObject::invokeMethod(this, &CTimeEditCtrl::valueChanged, Qt::QueuedConnection);
        });
        m_fields[index] = field;
    }
    setFocusProxy(m_fields[0]);
    setFocusPolicy(Qt::StrongFocus);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {m_up, m_down}) {
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        arrow->setAutoRaise(true);
    }
    m_up->setAccessibleName(tr("Up"));
    m_down->setAccessibleName(tr("Down"));
    connect(m_up, &QToolButton::clicked, this, [this] { StepCurrentField(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { StepCurrentField(-1); });
    LayoutFields();
}

// Fields and colons in the geometry the grid's time cells were made for, from the font's
// average character width and height.
void CTimeEditCtrl::LayoutFields() {
    const QFontMetrics metrics(font());
    const int ave = qMax(1, metrics.averageCharWidth());
    const int bottom = qMin(height() - kEdge, metrics.height() + kEdge);
    const int fieldWidth = static_cast<int>(kFieldWidthChars * ave);
    const int height = qMax(1, bottom - kEdge);
    m_fields[0]->setGeometry(kEdge, kEdge, kField1RightChars * ave - kEdge, height);
    m_fields[1]->setGeometry(kField2LeftChars * ave, kEdge, fieldWidth, height);
    const int left3 = m_fields[1]->geometry().right() + 1 + ave;
    m_fields[2]->setGeometry(left3, kEdge, fieldWidth, height);
    const int right3 = left3 + fieldWidth;
    m_up->setGeometry(right3, kEdge, fieldWidth, height / 2);
    m_down->setGeometry(right3, kEdge + height / 2, fieldWidth, height - height / 2);
    const int baseline = 2 * (bottom - kEdge) / 3 + kEdge;
    const auto between = [this](int left, int right) {
        return (m_fields[left]->geometry().right() + 1 + m_fields[right]->geometry().left()) / 2;
    };
    m_colons[0] = QPoint(between(0, 1), baseline);
    m_colons[1] = QPoint(between(1, 2), baseline);
}

QSize CTimeEditCtrl::sizeHint() const {
    const QFontMetrics metrics(font());
    const int ave = qMax(1, metrics.averageCharWidth());
    const int fieldWidth = static_cast<int>(kFieldWidthChars * ave);
    const int right3 = kField2LeftChars * ave + fieldWidth + ave + fieldWidth;
    return {right3 + fieldWidth + kEdge, metrics.height() + 2 * kEdge};
}

void CTimeEditCtrl::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayoutFields();
}

void CTimeEditCtrl::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    const QFontMetrics metrics(font());
    const int half = metrics.horizontalAdvance(u':') / 2;
    for (const QPoint& colon : m_colons) painter.drawText(colon.x() - half, colon.y(), QStringLiteral(":"));
}

void CTimeEditCtrl::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    m_fields[0]->setFocus(event->reason());
}

void CTimeEditCtrl::SetText(const QString& text) {
    const QStringList tokens = text.split(u':', Qt::SkipEmptyParts);
    for (int index = 0; index < kFieldCount; ++index) {
        const int value = tokens.size() < kTokensNeeded ? 0 : LeadingDigits(tokens[index]);
        m_fields[index]->setText(QString::number(value));
    }
}

QString CTimeEditCtrl::GetText() const {
    return FormatTimeFields(LeadingDigits(m_fields[0]->text()), LeadingDigits(m_fields[1]->text()),
                            LeadingDigits(m_fields[2]->text()));
}

QLineEdit* CTimeEditCtrl::Field(int index) const {
    return index >= 0 && index < kFieldCount ? m_fields[index] : nullptr;
}

int CTimeEditCtrl::FieldMaximum(int index) {
    static constexpr int kMaxima[kFieldCount] = {kHoursMax, kMinutesMax, kHundredthsMax};
    return kMaxima[index];
}

void CTimeEditCtrl::StepCurrentField(int delta) {
    const int index = qMax(m_currentField, 0);
    QLineEdit* field = m_fields[index];
    const int value = qBound(0, LeadingDigits(field->text()) + delta, FieldMaximum(index));
    field->setText(QString::number(value));
    if (field->hasFocus()) field->selectAll();
}

int CTimeEditCtrl::FieldIndex(QObject* object) const {
    for (int index = 0; index < kFieldCount; ++index) {
        if (m_fields[index] == object) return index;
    }
    return -1;
}

void CTimeEditCtrl::OnFieldFocused(int index) {
    m_currentField = index;
    m_fields[index]->selectAll();
}

void CTimeEditCtrl::OnFieldLostFocus() {
    if (FieldIndex(QApplication::focusWidget()) >= 0) return;
    QMetaObject::invokeMethod(this, &CTimeEditCtrl::focusLeft, Qt::QueuedConnection);
}

// Tab walks hours, minutes, hundredths and then out of the control; Shift+Tab walks back.
bool CTimeEditCtrl::HandleTab(int index, bool backwards) {
    const Qt::FocusReason reason = backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason;
    const int next = index + (backwards ? -1 : 1);
    if (next >= 0 && next < kFieldCount) {
        m_fields[next]->setFocus(reason);
        return true;
    }
    m_currentField = -1;
    if (QWidget* outside = NextOutside(backwards)) outside->setFocus(reason);
    return true;
}

QWidget* CTimeEditCtrl::NextOutside(bool backwards) const {
    QWidget* outside = backwards ? previousInFocusChain() : m_fields[kFieldCount - 1]->nextInFocusChain();
    while (outside && outside != this && !TakesTabFocus(*outside))
        outside = backwards ? outside->previousInFocusChain() : outside->nextInFocusChain();
    return outside == this ? nullptr : outside;
}

bool CTimeEditCtrl::TakesTabFocus(const QWidget& widget) const {
    return !isAncestorOf(&widget) && widget.isEnabled() && widget.isVisible() && (widget.focusPolicy() & Qt::TabFocus);
}

bool CTimeEditCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int index = FieldIndex(watched);
    if (index < 0) return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: OnFieldFocused(index); break;
    case QEvent::FocusOut: OnFieldLostFocus(); break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            return HandleTab(index, key->key() == Qt::Key_Backtab);
        }
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            StepCurrentField(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
        break;
    }
    default: break;
    }
    return QFrame::eventFilter(watched, event);
}

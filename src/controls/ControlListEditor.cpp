#include "controls/ControlListEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "controls/TimeEditCtrl.h"

CControlListSECtrl::CControlListSECtrl(int minimum, int maximum, QWidget* parent) : QSpinBox(parent) {
    setRange(minimum, qMax(minimum, maximum));
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setFrame(false);
}

void CControlListSECtrl::SetText(const QString& text) {
    setValue(qBound(minimum(), LeadingInteger(text), maximum()));
    lineEdit()->setText(QString::number(value()));
}

QString CControlListSECtrl::GetText() const {
    return QString::number(valueFromText(lineEdit()->text()));
}

QValidator::State CControlListSECtrl::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

int CControlListSECtrl::valueFromText(const QString& text) const {
    return qBound(minimum(), LeadingInteger(text), maximum());
}

CControlListEditor::CControlListEditor(const CControlListCell& cell, const QString& text, QWidget* parent)
    : QWidget(parent), m_type(cell.type) {
    switch (cell.type) {
    case CellType::Number: CreateNumber(cell, text); break;
    case CellType::Time: CreateTime(text); break;
    case CellType::Choice: CreateChoice(cell, text); break;
    case CellType::Browse: CreateBrowse(text); break;
    default: CreateLineEdit(text); break;
    }
    WatchChildren();
}

void CControlListEditor::CreateLineEdit(const QString& text) {
    m_edit = new QLineEdit(text, this);
    m_edit->selectAll();
    m_focus = m_edit;
    connect(m_edit, &QLineEdit::textChanged, this, &CControlListEditor::contentChanged);
}

// Typing in the number editor is no live change: only its commit counts.
void CControlListEditor::CreateNumber(const CControlListCell& cell, const QString& text) {
    m_number = new CControlListSECtrl(cell.minimum, cell.maximum, this);
    m_number->SetText(text);
    m_number->selectAll();
    m_focus = m_number;
}

void CControlListEditor::CreateTime(const QString& text) {
    m_time = new CTimeEditCtrl(this);
    m_time->SetText(text);
    m_focus = m_time;
    connect(m_time, &CTimeEditCtrl::valueChanged, this, &CControlListEditor::contentChanged);
}

void CControlListEditor::CreateChoice(const CControlListCell& cell, const QString& text) {
    m_choice = new QComboBox(this);
    m_choice->addItems(cell.choices);
    m_choice->setCurrentIndex(static_cast<int>(cell.choices.indexOf(text)));
    m_focus = m_choice;
    connect(m_choice, &QComboBox::currentIndexChanged, this, &CControlListEditor::contentChanged);
    connect(m_choice, &QComboBox::activated, this, [this] { RequestEnd(EditEnd::Ok, nullptr); });
}

void CControlListEditor::CreateBrowse(const QString& text) {
    CreateLineEdit(text);
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_browse->setAccessibleName(tr("Browse"));
    connect(m_browse, &QPushButton::clicked, this, [this] { RequestEnd(EditEnd::Browse, nullptr); });
}

void CControlListEditor::WatchChildren() {
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void CControlListEditor::resizeEvent(QResizeEvent*) {
    QRect area = rect();
    if (m_browse) {
        m_browse->setGeometry(area.right() - kBrowseButtonWidth + 1, area.top(), kBrowseButtonWidth, area.height());
        area.setRight(area.right() - kBrowseButtonWidth);
    }
    m_focus->setGeometry(area);
}

QString CControlListEditor::Text() const {
    if (m_number) return m_number->GetText();
    if (m_time) return m_time->GetText();
    if (m_choice) return m_choice->currentText();
    return m_edit->text();
}

void CControlListEditor::SetText(const QString& text) {
    if (m_number) {
        m_number->SetText(text);
    } else if (m_time) {
        m_time->SetText(text);
    } else if (m_choice) {
        m_choice->setCurrentIndex(static_cast<int>(m_choice->findText(text)));
    } else {
        m_edit->setText(text);
    }
}

void CControlListEditor::FocusEditor() {
    m_focus->setFocus(Qt::OtherFocusReason);
}

bool CControlListEditor::Contains(const QWidget* widget) const {
    return widget && (widget == this || isAncestorOf(widget));
}

void CControlListEditor::RequestEnd(EditEnd code, QWidget* focusTarget) {
    if (code != EditEnd::Open) m_end = code;
    emit endRequested(focusTarget);
}

bool CControlListEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RequestEnd(EditEnd::Ok, nullptr);
            return true;
        }
        if (key == Qt::Key_Escape) {
            RequestEnd(EditEnd::Cancel, nullptr);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // A drop-down list opening is no end of the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        QWidget* target = QApplication::focusWidget();
        if (reason != Qt::PopupFocusReason && !Contains(target)) {
            RequestEnd(EditEnd::Open, target);
        }
    }
    return QWidget::eventFilter(watched, event);
}

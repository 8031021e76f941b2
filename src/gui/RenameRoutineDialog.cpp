#include "gui/RenameRoutineDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "disk/TrackEntry.h"

namespace {
constexpr int kMaxTitleBytes = int(TrackEntry::kTitleSize) - 1;  // the last byte is the NUL
}  // namespace

QValidator::State CTitleValidator::validate(QString& input, int&) const {
    const bool control = std::any_of(input.cbegin(), input.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
    return control || input.toUtf8().size() > m_maxBytes ? Invalid : Acceptable;
}

CRenameRoutineDialog::CRenameRoutineDialog(int track, const QString& title, QWidget* parent)
    : QDialog(parent), m_edit(new QLineEdit(title, this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(tr("Rename Routine"));
    m_edit->setValidator(new CTitleValidator(kMaxTitleBytes, m_edit));
    m_edit->setAccessibleName(tr("Title"));
    m_edit->selectAll();
    auto* label = new QLabel(tr("New title of routine %1 (at most %2 bytes):").arg(track).arg(kMaxTitleBytes), this);
    label->setBuddy(m_edit);
    for (QAbstractButton* button : m_buttons->buttons()) button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    auto* layout = new QFormLayout(this);
    layout->addRow(label);
    layout->addRow(m_edit);
    layout->addRow(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A title read from the card that does not fit (bytes that are no UTF-8 show as three-byte
    // replacement characters) must be shortened before OK.
    const auto allowOk = [this] { OkButton()->setEnabled(m_edit->hasAcceptableInput()); };
    connect(m_edit, &QLineEdit::textChanged, this, allowOk);
    allowOk();
}

QString CRenameRoutineDialog::Title() const { return m_edit->text(); }

QPushButton* CRenameRoutineDialog::OkButton() const { return m_buttons->button(QDialogButtonBox::Ok); }

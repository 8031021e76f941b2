#pragma once
// Asks for a routine's new title. The card holds a title in 15 bytes (plus its NUL), counted in
// UTF-8 as the routine list shows titles: the edit takes no keystroke or paste that would make it
// longer, so a title is never cut on its way to the card. Control characters are refused too: a NUL
// would end the title early and the others show as nothing in the list.
#include <QDialog>
#include <QValidator>

class QDialogButtonBox;
class QLineEdit;

class CTitleValidator final : public QValidator {
public:
    explicit CTitleValidator(int maxBytes, QObject* parent = nullptr) : QValidator(parent), m_maxBytes(maxBytes) {}
    State validate(QString& input, int& position) const override;

private:
    int m_maxBytes;
};

class CRenameRoutineDialog final : public QDialog {
    Q_OBJECT
public:
    CRenameRoutineDialog(int track, const QString& title, QWidget* parent = nullptr);

    QString Title() const;
    QLineEdit* TitleEdit() const { return m_edit; }
    QPushButton* OkButton() const;

private:
    QLineEdit* m_edit;
    QDialogButtonBox* m_buttons;
};

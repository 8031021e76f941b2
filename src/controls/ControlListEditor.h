#pragma once
// The in-place editors of CControlList and the host that carries one over the cell being edited.
// The host turns Enter, Escape, the browse button and the focus leaving the editor into one end
// request for the grid, and reports live changes of the editor's content.
#include <QPointer>
#include <QSpinBox>
#include <QWidget>

#include "controls/ControlListCell.h"

class QLineEdit;
class QPushButton;
class QComboBox;
class CTimeEditCtrl;

// The number editor: an edit with up-down arrows. Whatever text goes in or comes out is read as
// a decimal integer (anything else is 0) and pulled into [minimum, maximum]. Typing is never
// refused: "7" in a 0-2 editor stays 7 until the edit is read, and is read as 2.
class CControlListSECtrl : public QSpinBox {
    Q_OBJECT
public:
    CControlListSECtrl(int minimum, int maximum, QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString GetText() const;

protected:
    QValidator::State validate(QString& text, int& position) const override;
    int valueFromText(const QString& text) const override;
};

enum class EditEnd { Open, Ok, Cancel, Browse };

class CControlListEditor : public QWidget {
    Q_OBJECT
public:
    CControlListEditor(const CControlListCell& cell, const QString& text, QWidget* parent);

    QString Text() const;
    void SetText(const QString& text);
    EditEnd EndCode() const { return m_end; }
    // The widget that holds the keyboard focus while editing.
    QWidget* FocusWidget() const { return m_focus; }
    void FocusEditor();
    // Whether the widget is the editor or one of its parts.
    bool Contains(const QWidget* widget) const;

    static constexpr int kBrowseButtonWidth = 31;

signals:
    // The edit should end; the focus went to focusTarget (null for Enter, Escape, browse).
    void endRequested(QWidget* focusTarget);
    void contentChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateLineEdit(const QString& text);
    void CreateNumber(const CControlListCell& cell, const QString& text);
    void CreateTime(const QString& text);
    void CreateChoice(const CControlListCell& cell, const QString& text);
    void CreateBrowse(const QString& text);
    void WatchChildren();
    void RequestEnd(EditEnd code, QWidget* focusTarget);

    CellType m_type;
    EditEnd m_end = EditEnd::Open;
    QWidget* m_focus = nullptr;
    QLineEdit* m_edit = nullptr;
    CControlListSECtrl* m_number = nullptr;
    CTimeEditCtrl* m_time = nullptr;
    QComboBox* m_choice = nullptr;
    QPushButton* m_browse = nullptr;
};

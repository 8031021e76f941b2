#pragma once
// Three number fields with painted colons, for a value written "%2.2i:%2.2i:%2.2i" (hours of any
// size, minutes 0-59, hundredths 0-99), and one up-down control that steps the focused field
// within that field's range. The grid uses it as the editor of its time cells: it sets the text,
// reads it back and ends the edit when the focus has left all three fields.
#include <QFrame>
#include <QString>

class QLineEdit;
class QToolButton;

class CTimeEditCtrl : public QFrame {
    Q_OBJECT
public:
    static constexpr int kFieldCount = 3;
    static constexpr int kHoursMax = 32767;  // the up-down's reach; typed hours may be larger
    static constexpr int kMinutesMax = 59;
    static constexpr int kHundredthsMax = 99;

    explicit CTimeEditCtrl(QWidget* parent = nullptr);

    // "h:m:s"; leading and repeated colons are skipped, and fewer than three numbers set 0:0:0.
    void SetText(const QString& text);
    // The fields pulled into their ranges, each at least two digits.
    QString GetText() const;
    // Field 0 (hours), 1 (minutes) or 2 (hundredths).
    QLineEdit* Field(int index) const;
    // The field the up-down steps: the one that last had the focus, -1 after leaving the control.
    int CurrentField() const { return m_currentField; }
    // Steps the current field by delta within its range.
    void StepCurrentField(int delta);

    QSize sizeHint() const override;

signals:
    // Queued: the focus has left all three fields.
    void focusLeft();
    // Queued: a field's text changed.
    void valueChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void CreateFields();
    void LayoutFields();
    void OnFieldFocused(int index);
    void OnFieldLostFocus();
    bool HandleTab(int index, bool backwards);
    // Where Tab (Backtab) goes from the last (first) field: the next widget of the focus chain
    // outside the control that takes Tab focus; none when there is no other.
    QWidget* NextOutside(bool backwards) const;
    bool TakesTabFocus(const QWidget& widget) const;
    int FieldIndex(QObject* object) const;
    static int FieldMaximum(int index);

    QLineEdit* m_fields[kFieldCount] = {};
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    QPoint m_colons[2];
    int m_currentField = 0;
};

#pragma once
// One cell of a CControlList: its type decides how the cell is drawn and which editor a
// double-click opens. The owner fills the fields its type uses; the others are not read.
#include <QColor>
#include <QPointer>
#include <QString>
#include <QStringList>

class QFileDialog;

enum class CellType : int {
    Text = 0,    // its text; a one-line edit
    Number = 1,  // the value; a number edit with up-down arrows within [minimum, maximum]
    Time = 2,    // hours:minutes:hundredths; the time editor
    Choice = 3,  // choices[value - 1]; a drop-down list
    Check = 4,   // a check box and its text; a click on the box toggles it
    Fixed = 5,   // its text; no editor
    None = 6,    // its text; no editor (every cell without a record)
    Browse = 7,  // its text; an edit with a "..." button that opens the file dialog
    Colour = 8,  // a colour swatch; the colour dialog
};

struct CControlListCell {
    QStringList choices;
    int minimum = 0;
    int maximum = 0;
    QString text;
    int hours = 0;
    int minutes = 0;
    int hundredths = 0;
    int value = 0;
    CellType type = CellType::None;
    // Owned by whoever set it; the grid only shows it.
    QPointer<QFileDialog> browseDialog;
    QColor colour;

    // The text the grid's list shows for this cell (empty for check and colour cells, whose
    // picture is painted over the cell).
    QString DisplayText() const;
    // Whether a double-click or F2 opens an in-place editor (or the colour dialog).
    bool IsEditable() const;
};

// "%2.2i:%2.2i:%2.2i" of the three time fields, each pulled into its range first.
QString FormatTimeFields(int hours, int minutes, int hundredths);
// A decimal integer from the start of text (optional sign, then digits); anything else is 0.
int LeadingInteger(const QString& text);

#include "controls/ControlListCell.h"

#include <limits>

namespace {
constexpr int kMinutesMax = 59;
constexpr int kHundredthsMax = 99;
constexpr int kDecimalBase = 10;
}  // namespace

QString FormatTimeFields(int hours, int minutes, int hundredths) {
    return QString::asprintf("%2.2i:%2.2i:%2.2i", qMax(hours, 0), qBound(0, minutes, kMinutesMax),
                             qBound(0, hundredths, kHundredthsMax));
}

int LeadingInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < trimmed.size() && (trimmed[at] == u'-' || trimmed[at] == u'+')) negative = trimmed[at++] == u'-';
    // Saturates instead of wrapping, so a long run of digits never turns into a small number.
    constexpr qint64 kLimit = std::numeric_limits<int>::max();
    qint64 value = 0;
    for (; at < trimmed.size() && trimmed[at].isDigit() && trimmed[at].unicode() < 128; ++at) {
        value = qMin(value * kDecimalBase + trimmed[at].digitValue(), kLimit + 1);
    }
    if (negative) return static_cast<int>(qMax(-value, qint64{std::numeric_limits<int>::min()}));
    return static_cast<int>(qMin(value, kLimit));
}

QString CControlListCell::DisplayText() const {
    switch (type) {
    case CellType::Number: return QString::number(value);
    case CellType::Time: return FormatTimeFields(hours, minutes, hundredths);
    // A value outside the choices has no entry to show: the cell stays empty.
    case CellType::Choice: return value >= 1 && value <= choices.size() ? choices[value - 1] : QString();
    case CellType::Check:
    case CellType::Colour: return {};
    case CellType::Text:
    case CellType::Fixed:
    case CellType::None:
    case CellType::Browse: break;
    }
    return text;
}

bool CControlListCell::IsEditable() const {
    return type != CellType::Check && type != CellType::Fixed && type != CellType::None;
}

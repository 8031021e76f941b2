#include "platform/MessageText.h"

#include "platform/TextFormat.h"

MessageText& MessageText::operator+=(const MessageText& more) {
    m_pieces.insert(m_pieces.end(), more.m_pieces.begin(), more.m_pieces.end());
    return *this;
}

bool MessageText::Empty() const {
    for (const Piece& piece : m_pieces)
        if (!piece.pattern.empty()) return false;
    return true;
}

std::string MessageText::English() const {
    return Render([](const std::string& pattern) { return pattern; });
}

std::string MessageText::Render(const std::function<std::string(const std::string& pattern)>& translate) const {
    std::string text;
    for (const Piece& piece : m_pieces) text += FillPlaces(translate(piece.pattern), piece.args);
    return text;
}

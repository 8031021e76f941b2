#pragma once
// A message of the core kept as its words and its runtime parts apart: each piece is an English
// pattern with numbered places (%1 ... %9) and the texts that fill them (a path, a count, the USB
// library's error). velk3 shows the English text; the window translates each pattern (the marked
// ones are in its catalogue) and then fills the places, so a message with a file name in it is
// still shown in the user's language. A plain text is one piece with no places.
#include <concepts>
#include <functional>
#include <string>
#include <vector>

class MessageText {
public:
    MessageText() = default;
    MessageText(std::string plain) { m_pieces.push_back({std::move(plain), {}}); }  // NOLINT: implicit on purpose
    MessageText(const char* plain) : MessageText(std::string(plain)) {}             // NOLINT: implicit on purpose
    MessageText(std::string pattern, std::vector<std::string> args) {
        m_pieces.push_back({std::move(pattern), std::move(args)});
    }

    // This text followed by more (a note, a second failure on its own line).
    MessageText& operator+=(const MessageText& more);
    friend MessageText operator+(MessageText text, const MessageText& more) { return text += more; }

    bool Empty() const;
    std::string English() const;
    // Each pattern through translate, then its places filled.
    std::string Render(const std::function<std::string(const std::string& pattern)>& translate) const;

private:
    struct Piece {
        std::string pattern;
        std::vector<std::string> args;
    };
    std::vector<Piece> m_pieces;
};

namespace message_text_detail {
inline std::string Place(const std::string& text) { return text; }
inline std::string Place(const char* text) { return text ? text : ""; }
template <std::integral T>
std::string Place(T number) {
    return std::to_string(number);
}
}  // namespace message_text_detail

// pattern (marked with VELK3_TRANSLATE_NOOP) with %1 ... filled by args: texts or whole numbers.
template <class... Args>
MessageText Fill(const char* pattern, const Args&... args) {
    return MessageText(pattern, {message_text_detail::Place(args)...});
}

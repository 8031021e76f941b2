#pragma once
// velk3's JSON written as it goes, so that a full card's listing costs no more memory than the
// card: the value of each member is JSON text already; two spaces an indent level.
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

// A JSON string exactly as the library writes it, invalid UTF-8 replaced.
inline std::string Quoted(const std::string& text) {
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

inline const char* JsonBool(bool value) { return value ? "true" : "false"; }

// Writes the members of one object, one a line at the given indent.
class CObjectWriter {
public:
    CObjectWriter(std::ostream& out, const char* indent) : m_out(out), m_indent(indent) { m_out << "{"; }
    template <typename Value>
    CObjectWriter& Member(const char* key, const Value& value) {
        m_out << (m_first ? "\n" : ",\n") << m_indent << "  \"" << key << "\": " << value;
        m_first = false;
        return *this;
    }
    void End() { m_out << "\n" << m_indent << "}"; }

private:
    std::ostream& m_out;
    const char* m_indent;
    bool m_first = true;
};

inline constexpr const char* kElementIndent = "    ";  // an object inside an array inside the document

// "[]" when empty, else one element a line.
template <typename List, typename WriteElement>
void WriteArray(std::ostream& out, const List& list, WriteElement writeElement) {
    if (list.empty()) {
        out << "[]";
        return;
    }
    out << "[";
    for (size_t i = 0; i < list.size(); ++i) {
        out << (i ? ",\n" : "\n") << kElementIndent;
        writeElement(i, list[i]);
    }
    out << "\n  ]";
}

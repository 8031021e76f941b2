#pragma once
// velk3's JSON written as it goes, so that a full card's listing costs no more memory than the
// card: the value of each member is JSON text already; two spaces an indent level.
#include <algorithm>
#include <ostream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

// A JSON string exactly as the library writes it, invalid UTF-8 replaced. Printable ASCII
// without quote or backslash, most of a card's texts, stands as it is and skips the library.
inline std::string Quoted(const std::string& text) {
    const bool plain = std::all_of(text.begin(), text.end(),
                                   [](char c) { return c >= ' ' && c <= '~' && c != '"' && c != '\\'; });
    if (plain) return '"' + text + '"';
    return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Gathers a long document and hands it on in pieces of about kBytes: each insertion into
// std::cout, kept in step with C's stdout, costs a locked fwrite of its own.
class CChunkedOutput {
public:
    static constexpr std::streamoff kBytes = 64 * 1024;
    explicit CChunkedOutput(std::ostream& out) : m_out(out) {}
    ~CChunkedOutput() { Flush(); }
    CChunkedOutput(const CChunkedOutput&) = delete;
    CChunkedOutput& operator=(const CChunkedOutput&) = delete;

    std::ostream& Stream() { return m_chunk; }
    void FlushWhenFull() {
        if (m_chunk.tellp() >= kBytes) Flush();
    }
    void Flush() {
        m_out << m_chunk.view();
        m_chunk.str({});
    }

private:
    std::ostream& m_out;
    std::ostringstream m_chunk;
};

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

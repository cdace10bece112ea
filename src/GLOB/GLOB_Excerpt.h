// A text from a document as an error message quotes it: whole when it is
// short, else its first MaxBytes bytes and its length, so that one enormous
// word in a damaged file cannot make an enormous message.
//
// Written to a stream: quoted, "'text'" or "'first bytes...' (n bytes)";
// unquoted, "text" or "first bytes... (n bytes)".
#pragma once

#include <cstddef>
#include <cstring>
#include <iosfwd>

class GLOB_Excerpt {
public:
    // Longest text quoted whole, and the prefix quoted of a longer one.
    static constexpr size_t MaxBytes = 64;

    // text must outlive the excerpt.
    GLOB_Excerpt(const char* text, size_t length, bool quoted) : m_text(text), m_length(length), m_quoted(quoted) {}
    GLOB_Excerpt(const char* text, bool quoted) : GLOB_Excerpt(text, std::strlen(text), quoted) {}

    friend std::ostream& operator<<(std::ostream& os, const GLOB_Excerpt& excerpt);

private:
    const char* m_text;
    size_t m_length;
    bool m_quoted;
};

// Shared pieces of the ASCIIHex and ASCII85 filters.
#pragma once

#include "GLIB/GLIB_Assert.h"

#include <cstdint>
#include <cstring>

// Bytes both decoders skip: NUL, backspace, tab, line feed, vertical tab,
// form feed, carriage return and space (NUL is white space in PDF, as it is
// for the lexer).
inline bool FILT_IsASCIIWhiteSpace(uint8_t c) { return c == 0x00 || (c >= 0x08 && c <= 0x0D) || c == 0x20; }

// A short text an encoder writes at line ends or after its data.
class FILT_ShortText {
public:
    static constexpr size_t MaxLength = 9;

    explicit FILT_ShortText(const char* text = "") { Set(text); }
    // text: at most MaxLength characters (asserted); null means empty.
    void Set(const char* text) {
        const size_t n = text ? std::strlen(text) : 0;
        GLIB_ASSERT_CMP(n, <=, MaxLength);
        std::memcpy(m_text, text ? text : "", n);
        m_text[n] = '\0';
        m_length = n;
    }
    const char* Text() const { return m_text; }
    size_t Length() const { return m_length; }

private:
    char m_text[MaxLength + 1];
    size_t m_length = 0;
};

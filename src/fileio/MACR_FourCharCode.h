// A four-character code (file type, creator) of a two-fork file system.
#pragma once

class MACR_FourCharCode {
public:
    // Up to four characters of text, padded with blanks; null or "" gives
    // four blanks.
    explicit MACR_FourCharCode(const char* text = nullptr);

    const char* Text() const { return m_code; }

private:
    char m_code[5];
};

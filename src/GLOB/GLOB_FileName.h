// A file path held as wide and as narrow (ANSI code page, UTF-8 here) text;
// either may be empty, and each is made from the other on demand. Paths are
// kept whole, whatever their length.
#pragma once

#include <string>

class GLOB_FileName {
public:
    GLOB_FileName() = default;
    // The narrow name; the wide one is made when asked for.
    explicit GLOB_FileName(const char* narrow);
    // The wide name; the narrow one is made when asked for.
    explicit GLOB_FileName(const wchar_t* wide);

    // The wide name, first made from the narrow one when it is empty.
    const wchar_t* WideName() const;
    // The narrow name, first made from the wide one when it is empty. Throws
    // GLIB_Exception 1151000 when a character of the wide name has no narrow
    // form (nothing is created on disk).
    const char* NarrowName() const;

private:
    mutable std::wstring m_wide;
    mutable std::string m_narrow;
};

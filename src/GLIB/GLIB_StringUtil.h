// Bounded copies, appends and formatting of C strings, lower-casing, and the
// roman and alphabetic labels of PDF page labels.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// A copy in a new block from the C allocator (free it with free); null when
// text is null or the allocation fails.
char* GLIB_StrDup(const char* text);

// Copies at most size - 1 bytes, zero-fills the rest of size and always
// terminates; returns destination. Size 0 writes nothing and returns a static
// empty string.
char* GLIB_StrCopy(char* destination, const char* source, size_t size);
// Appends source within the total size (always terminated); a destination
// already holding size - 1 bytes or more stays unchanged. Returns destination.
char* GLIB_StrAppend(char* destination, const char* source, size_t size);

// Copies at most size - 1 wide characters and terminates; returns the
// position of the terminator. Size 0 returns a static empty wide string.
wchar_t* GLIB_WStrCopy(wchar_t* destination, const wchar_t* source, size_t size);
// As GLIB_StrAppend, for wide strings; returns destination.
wchar_t* GLIB_WStrAppend(wchar_t* destination, const wchar_t* source, size_t size);

// Bounded formatting into size bytes. Returns the number of characters
// written; when the text does not fit (its terminator included) the result
// is negative and the buffer holds the text cut to size - 1 bytes. The
// buffer is always left terminated (size 0: nothing is written).
int GLIB_Sprintf(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int GLIB_VSprintf(char* buffer, size_t size, const char* format, va_list args);

// Lower-cases every upper-case letter of text in place; returns text.
char* GLIB_StrToLower(char* text);

// Roman numeral of n in upper case (1994 gives MCMXCIV, 4999 MMMMCMXCIX);
// n outside 1 to 4999 gives an empty text. The longest text (4888) needs 17
// bytes; a shorter buffer gets the letters that fit, terminated. Returns the
// position of the terminator (buffer itself when size is 0).
char* GLIB_FormatRoman(int32_t n, char* buffer, size_t size);
constexpr int32_t GLIB_RomanLimit = 5000;
constexpr size_t GLIB_RomanMaxBytes = 17;

// Alphabetic label: 1 A, 26 Z, 27 AA, 28 BB, 53 AAA; at most size - 1
// letters. n of 0 or less gives an empty text. Returns buffer.
char* GLIB_FormatAlpha(int32_t n, char* buffer, size_t size);

#include "GLIB/GLIB_StringUtil.h"

#include "win32/win32.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

struct RomanRow {
    char letter;
    int32_t value;
    int partner;  // row of the subtractive partner, -1 for none
};

const RomanRow g_roman[] = {
    {'M', 1000, 2}, {'D', 500, 2}, {'C', 100, 4}, {'L', 50, 4}, {'X', 10, 6}, {'V', 5, 6}, {'I', 1, -1},
};

// Writes one letter at *pos within *left bytes; false when it did not fit.
bool PutLetter(char** pos, size_t* left, char letter) {
    const int n = GLIB_Sprintf(*pos, *left, "%c", letter);
    if (n <= 0)
        return false;
    *pos += n;
    *left -= static_cast<size_t>(n);
    return true;
}

}  // namespace

char* GLIB_StrDup(const char* text) {
    if (text == nullptr)
        return nullptr;
    const size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (copy)
        std::memcpy(copy, text, n);
    return copy;
}

char* GLIB_StrCopy(char* destination, const char* source, size_t size) {
    static char empty[1] = {'\0'};
    if (size == 0)
        return empty;
    std::strncpy(destination, source ? source : "", size - 1);
    destination[size - 1] = '\0';
    return destination;
}

char* GLIB_StrAppend(char* destination, const char* source, size_t size) {
    const size_t used = size == 0 ? 0 : strnlen(destination, size);
    if (used < size)
        GLIB_StrCopy(destination + used, source, size - used);
    return destination;
}

wchar_t* GLIB_WStrCopy(wchar_t* destination, const wchar_t* source, size_t size) {
    static wchar_t empty[1] = {L'\0'};
    if (size == 0)
        return empty;
    size_t i = 0;
    if (source)
        for (; i + 1 < size && source[i] != L'\0'; ++i)
            destination[i] = source[i];
    destination[i] = L'\0';
    return destination + i;
}

wchar_t* GLIB_WStrAppend(wchar_t* destination, const wchar_t* source, size_t size) {
    const size_t used = size == 0 ? 0 : wcsnlen(destination, size);
    if (used < size)
        GLIB_WStrCopy(destination + used, source, size - used);
    return destination;
}

int GLIB_Sprintf(char* buffer, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = GLIB_VSprintf(buffer, size, format, args);
    va_end(args);
    return n;
}

int GLIB_VSprintf(char* buffer, size_t size, const char* format, va_list args) {
    if (size == 0 || buffer == nullptr)
        return -1;
    // _vsnprintf fills all size bytes without a terminator when the text is
    // exactly size long: that text did not fit either.
    const int n = _vsnprintf(buffer, size, format, args);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        buffer[size - 1] = '\0';
        return -1;
    }
    return n;
}

char* GLIB_StrToLower(char* text) {
    for (char* p = text; p && *p; ++p)
        if (std::isupper(static_cast<unsigned char>(*p)))
            *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return text;
}

char* GLIB_FormatRoman(int32_t n, char* buffer, size_t size) {
    if (size == 0)
        return buffer;
    char* pos = buffer;
    size_t left = size;
    *pos = '\0';
    if (n <= 0 || n >= GLIB_RomanLimit)
        return pos;
    int32_t r = n;
    for (const RomanRow& row : g_roman) {
        for (int32_t k = r / row.value; k > 0; --k)
            if (!PutLetter(&pos, &left, row.letter))
                return pos;
        r %= row.value;
        if (r != 0 && row.partner >= 0) {
            const RomanRow& partner = g_roman[row.partner];
            if (row.value - r <= partner.value) {
                // Never half a pair: a cut text must not read as another number.
                if (left < 3 || !PutLetter(&pos, &left, partner.letter) || !PutLetter(&pos, &left, row.letter))
                    return pos;
                r -= row.value - partner.value;
            }
        }
    }
    return pos;
}

char* GLIB_FormatAlpha(int32_t n, char* buffer, size_t size) {
    if (size == 0)
        return buffer;
    size_t count = 0;
    if (n > 0) {
        const char letter = static_cast<char>('A' + (n - 1) % 26);
        count = static_cast<size_t>((n - 1) / 26) + 1;
        if (count > size - 1)
            count = size - 1;
        std::memset(buffer, letter, count);
    }
    buffer[count] = '\0';
    return buffer;
}

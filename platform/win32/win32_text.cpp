// Code-page conversion and the C runtime's bounded formatting.
#include "win32/win32.h"

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t Replacement = 0xFFFD;

// Decodes one UTF-8 sequence at s (n bytes left) into *out; invalid input
// yields U+FFFD, consumes one byte and returns false.
bool DecodeUtf8(const unsigned char* s, size_t n, size_t* used, wchar_t* out) {
    const unsigned char b = s[0];
    *used = 1;
    *out = Replacement;
    if (b < 0x80) {
        *out = b;
        return true;
    }
    size_t len;
    uint32_t cp;
    uint32_t min;
    if ((b & 0xE0) == 0xC0) { len = 2; cp = b & 0x1F; min = 0x80; }
    else if ((b & 0xF0) == 0xE0) { len = 3; cp = b & 0x0F; min = 0x800; }
    else if ((b & 0xF8) == 0xF0) { len = 4; cp = b & 0x07; min = 0x10000; }
    else return false;
    if (n < len)
        return false;
    for (size_t i = 1; i < len; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (s[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    *used = len;
    *out = static_cast<wchar_t>(cp);
    return true;
}

// Encodes c; false when it is no Unicode scalar value.
bool EncodeUtf8(uint32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF)
            return false;
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        return false;
    }
    return true;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars) {
    if ((codePage != CP_ACP && codePage != CP_UTF8) || src == nullptr || srcBytes == 0 || srcBytes < -1 ||
        dstChars < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t n = srcBytes == -1 ? std::char_traits<char>::length(src) + 1 : static_cast<size_t>(srcBytes);
    const auto* s = reinterpret_cast<const unsigned char*>(src);
    std::wstring out;
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        size_t used;
        wchar_t c;
        if (!DecodeUtf8(s + i, n - i, &used, &c) && (flags & MB_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        out += c;
        i += used;
    }
    if (dstChars == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(dstChars) || dst == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    out.copy(dst, out.size());
    return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    if ((codePage != CP_ACP && codePage != CP_UTF8) || src == nullptr || srcChars == 0 || srcChars < -1 ||
        dstBytes < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t n = srcChars == -1 ? std::char_traits<wchar_t>::length(src) + 1 : static_cast<size_t>(srcChars);
    const char* fallback = defaultChar && *defaultChar ? defaultChar : "?";
    std::string out;
    out.reserve(n);
    bool usedDefault = false;
    for (size_t i = 0; i < n; ++i) {
        if (!EncodeUtf8(static_cast<uint32_t>(src[i]), out)) {
            out += fallback;
            usedDefault = true;
        }
    }
    if (usedDefaultChar)
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    if (dstBytes == 0)
        return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(dstBytes) || dst == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    out.copy(dst, out.size());
    return static_cast<int>(out.size());
}

int _vsnprintf(char* buffer, size_t count, const char* format, va_list args) {
    if (count == 0 || buffer == nullptr) {
        va_list copy;
        va_copy(copy, args);
        const int needed = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        return needed == 0 ? 0 : -1;
    }
    std::string text;
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0)
        return -1;
    text.resize(static_cast<size_t>(needed) + 1);
    std::vsnprintf(&text[0], text.size(), format, args);
    const size_t len = static_cast<size_t>(needed);
    if (len > count) {
        text.copy(buffer, count);
        return -1;
    }
    text.copy(buffer, len);
    if (len < count)
        buffer[len] = '\0';
    return static_cast<int>(len);
}

#include "GLIB/GLIB_CodePage.h"

#include "win32/win32.h"

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

constexpr DWORD NarrowFlags = WC_COMPOSITECHECK | WC_SEPCHARS;

int ClampInt(size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

}  // namespace

wchar_t* GLIB_NarrowToWide(wchar_t* wide, const char* narrow, size_t size) {
    static wchar_t empty[1] = {L'\0'};
    if (size == 0)
        return empty;
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, narrow, -1, wide, ClampInt(size)) == 0)
        wide[0] = L'\0';
    return wide;
}

char* GLIB_WideToNarrow(char* narrow, const wchar_t* wide, size_t size) {
    static char empty[1] = {'\0'};
    if (size == 0)
        return empty;
    if (WideCharToMultiByte(CP_ACP, NarrowFlags, wide, -1, narrow, ClampInt(size), "?", nullptr) == 0)
        narrow[0] = '\0';
    return narrow;
}

wchar_t* GLIB_WStrAppendNarrow(wchar_t* wide, const char* narrow, size_t size) {
    const size_t used = std::wcslen(wide);
    if (used + 1 < size)
        GLIB_NarrowToWide(wide + used, narrow, size - used);
    return wide;
}

char* GLIB_StrAppendWide(char* narrow, const wchar_t* wide, size_t size) {
    const size_t used = std::strlen(narrow);
    if (used + 1 < size)
        GLIB_WideToNarrow(narrow + used, wide, size - used);
    return narrow;
}

void GLIB_ToNarrowString(std::string& narrow, const std::wstring& wide) {
    narrow.clear();
    if (wide.empty())
        return;
    const int src = ClampInt(wide.size());
    const int needed = WideCharToMultiByte(CP_ACP, NarrowFlags, wide.data(), src, nullptr, 0, "?", nullptr);
    if (needed <= 0)
        return;
    narrow.resize(static_cast<size_t>(needed));
    if (WideCharToMultiByte(CP_ACP, NarrowFlags, wide.data(), src, &narrow[0], needed, "?", nullptr) != needed)
        narrow.clear();
}

void GLIB_ToWideString(std::wstring& wide, const std::string& narrow) {
    wide.clear();
    if (narrow.empty())
        return;
    const int src = ClampInt(narrow.size());
    const int needed = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, narrow.data(), src, nullptr, 0);
    if (needed <= 0)
        return;
    wide.resize(static_cast<size_t>(needed));
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, narrow.data(), src, &wide[0], needed) != needed)
        wide.clear();
}

void GLIB_CopyNarrowString(std::string& out, const std::string& in) { out = in; }

std::ostream& GLIB_WriteString(std::ostream& os, const std::string& text) {
    std::streambuf* buf = os.rdbuf();
    if (!buf)
        return os;
    for (char c : text)
        if (std::char_traits<char>::eq_int_type(buf->sputc(c), std::char_traits<char>::eof()))
            break;
    return os;
}

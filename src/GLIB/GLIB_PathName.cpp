#include "GLIB/GLIB_PathName.h"

#include "GLIB/GLIB_CodePage.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_StringUtil.h"
#include "win32/win32.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr size_t MaxPath = MAX_PATH;

std::string Narrow(const std::wstring& wide) {
    std::string out;
    GLIB_ToNarrowString(out, wide);
    return out;
}

[[noreturn]] void ThrowNarrowPath(const std::wstring& path, const std::string& second, int line) {
    throw GLIB_Exception(GLIB_NarrowPathCode, std::vector<std::string>{Narrow(path), second},
                         "Can't obtain narrow pathname", __FILE__, line);
}

// True when the component can be written in the ANSI code page as it is.
bool IsPlainAscii(const std::wstring& component) {
    char narrow[MaxPath];
    GLIB_WideToNarrow(narrow, component.c_str(), sizeof narrow);
    // A component too long to convert has no plain form either.
    if (narrow[0] == '\0' && !component.empty())
        return false;
    for (const char* p = narrow; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 32 || c > 126 || c == '?')
            return false;
    }
    return true;
}

}  // namespace

char* GLIB_MakeNarrowPathName(char* narrow, const wchar_t* path, size_t size) {
    if (size > 0)
        narrow[0] = '\0';
    const std::wstring given = path ? path : L"";
    // A bounded copy would quietly name another file.
    if (given.size() >= MaxPath)
        ThrowNarrowPath(given, std::string(), __LINE__);
    std::wstring p = given;
    for (wchar_t& c : p)
        if (c == L'/')
            c = L'\\';

    std::wstring result;
    size_t start = 0;
    if (p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\') {
        const size_t serverEnd = p.find(L'\\', 2);
        const size_t shareEnd = serverEnd == std::wstring::npos ? serverEnd : p.find(L'\\', serverEnd + 1);
        const size_t rootEnd = shareEnd == std::wstring::npos ? p.size() : shareEnd;
        // "\\\\server", "\\\\server\\" and "\\\\\\share" name no share.
        if (serverEnd == std::wstring::npos || serverEnd == 2 || rootEnd == serverEnd + 1) {
            GLIB_Exception e(GLIB_IncompleteUNCCode, "Incomplete UNC PathName", __FILE__, __LINE__);
            e.SetParam(0, Narrow(p));
            throw e;
        }
        result = p.substr(0, rootEnd) + L'\\';
        start = shareEnd == std::wstring::npos ? p.size() : shareEnd + 1;
    } else if (p.size() >= 2 && p[1] == L':') {
        result = p.substr(0, 2);
        start = 2;
        if (p.size() >= 3 && p[2] == L'\\') {
            result += L'\\';
            start = 3;
        }
    }

    std::vector<std::wstring> components;
    if (start < p.size()) {
        size_t from = start;
        for (;;) {
            const size_t end = p.find(L'\\', from);
            components.push_back(p.substr(from, end == std::wstring::npos ? std::wstring::npos : end - from));
            if (end == std::wstring::npos)
                break;
            from = end + 1;
        }
    }
    for (size_t i = 0; i < components.size(); ++i) {
        const std::wstring& component = components[i];
        if (IsPlainAscii(component)) {
            result += component;
        } else {
            const std::wstring searched = result + component;
            WIN32_FIND_DATAW entry;
            const HANDLE search = FindFirstFileW(searched.c_str(), &entry);
            if (search == INVALID_HANDLE_VALUE)
                ThrowNarrowPath(p, Narrow(searched), __LINE__);
            FindClose(search);
            // A wildcard in the component may have matched another entry.
            if (component != entry.cFileName)
                ThrowNarrowPath(p, Narrow(searched), __LINE__);
            result += entry.cAlternateFileName[0] != L'\0' ? entry.cAlternateFileName : entry.cFileName;
        }
        if (i + 1 < components.size() && !components[i + 1].empty())
            result += L'\\';
    }

    GLIB_WideToNarrow(narrow, result.c_str(), size);
    if (size == 0 || (narrow[0] == '\0' && !result.empty()))
        ThrowNarrowPath(p, Narrow(result), __LINE__);
    if (std::strchr(narrow, '?') != nullptr)
        ThrowNarrowPath(p, narrow, __LINE__);
    return narrow;
}

#include "GLOB/GLOB_FileName.h"

#include "GLIB/GLIB_CodePage.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_MessageStream.h"
#include "GLOB/GLOB_Object.h"
#include "win32/win32.h"

#include <cerrno>
#include <climits>
#include <cstring>

GLOB_FileName::GLOB_FileName(const char* narrow) : m_narrow(narrow ? narrow : "") {}

GLOB_FileName::GLOB_FileName(const wchar_t* wide) : m_wide(wide ? wide : L"") {}

const wchar_t* GLOB_FileName::WideName() const {
    if (m_wide.empty())
        GLIB_ToWideString(m_wide, m_narrow);
    return m_wide.c_str();
}

const char* GLOB_FileName::NarrowName() const {
    if (!m_narrow.empty() || m_wide.empty())
        return m_narrow.c_str();
    // Every Unicode character has a narrow (UTF-8) form here, so there is no
    // short name to fall back on: a name that does not convert (a lone
    // surrogate, a code beyond U+10FFFF) cannot name a file of this system.
    const int count = m_wide.size() > INT_MAX ? INT_MAX : static_cast<int>(m_wide.size());
    BOOL lost = FALSE;
    const int needed = WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK | WC_SEPCHARS, m_wide.data(), count, nullptr,
                                           0, "?", &lost);
    std::string narrow;
    if (needed > 0) {
        narrow.resize(static_cast<size_t>(needed));
        WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK | WC_SEPCHARS, m_wide.data(), count, &narrow[0], needed, "?",
                            &lost);
    }
    if (needed <= 0 || lost) {
        GLIB_MessageStream ms;
        ms << "Unable to convert filename: '" << narrow << "' to narrow (" << std::strerror(EILSEQ) << ")";
        GLIB_Exception error(GLOB_FileNameCode, ms.str(), __FILE__, __LINE__);
        error.SetParam(0, narrow);
        error.SetParam(1, std::strerror(EILSEQ));
        throw error;
    }
    m_narrow = narrow;
    return m_narrow.c_str();
}

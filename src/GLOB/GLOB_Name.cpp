#include "GLOB/GLOB_Name.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ByteClass.h"
#include "GLOB/GLOB_String.h"

#include <cstdlib>
#include <cstring>

GLOB_Name::GLOB_Name() : m_nameCore(GLIB_NEW Core{1, nullptr}) {}

GLOB_Name::GLOB_Name(const char* text) : m_nameCore(GLIB_NEW Core{1, nullptr}) {
    GLIB_ASSERT(text != nullptr);
    const size_t n = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(n + 1));
    if (!copy) {
        delete m_nameCore;
        throw GLIB_BadAllocException(static_cast<uint32_t>(n + 1), __FILE__, __LINE__);
    }
    std::memcpy(copy, text, n + 1);
    m_nameCore->m_text = copy;
}

GLOB_Name::GLOB_Name(const GLOB_Name& other) : m_nameCore(other.m_nameCore) { ++m_nameCore->m_count; }

GLOB_Name& GLOB_Name::operator=(const GLOB_Name& other) {
    if (m_nameCore != other.m_nameCore) {
        ++other.m_nameCore->m_count;
        Release();
        m_nameCore = other.m_nameCore;
    }
    return *this;
}

GLOB_Name::~GLOB_Name() { Release(); }

void GLOB_Name::Release() {
    GLIB_ASSERT_CMP(m_nameCore->RefCount(), >, 0u);
    if (--m_nameCore->m_count == 0) {
        std::free(m_nameCore->m_text);
        delete m_nameCore;
    }
    m_nameCore = nullptr;
}

bool GLOB_Name::operator==(const GLOB_Name& other) const {
    if (m_nameCore == other.m_nameCore)
        return true;
    return *this == other.CStr();
}

bool GLOB_Name::operator==(const char* text) const {
    const char* mine = CStr();
    if (!mine || !text)
        return mine == text;
    return std::strcmp(mine, text) == 0;
}

bool GLOB_Name::operator<(const GLOB_Name& other) const {
    const char* mine = CStr();
    const char* theirs = other.CStr();
    if (!mine || !theirs)
        return !mine && theirs;
    // strcmp compares as unsigned char, and the terminator sorts a prefix first.
    return std::strcmp(mine, theirs) < 0;
}

std::ostream& GLOB_Name::Print(std::ostream& os) const {
    if (const char* text = CStr())
        os << text;
    return os;
}

GLOB_String GLOB_Name::Escaped() const {
    static const char Hex[] = "0123456789ABCDEF";
    GLOB_String out("/");
    const char* text = CStr();
    if (!text)
        return out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (GLOB_IsRegular(*p)) {
            out.Append(p, 1);
        } else {
            const uint8_t escape[3] = {'#', static_cast<uint8_t>(Hex[*p >> 4]), static_cast<uint8_t>(Hex[*p & 15])};
            out.Append(escape, 3);
        }
    }
    return out;
}

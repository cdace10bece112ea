#include "GLOB/GLOB_String.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"

#include <cstring>

GLOB_String::GLOB_String() : m_strCore(GLIB_NEW Core{1, {}}) {}

GLOB_String::GLOB_String(const char* text) : m_strCore(GLIB_NEW Core{1, text ? text : ""}) {}

GLOB_String::GLOB_String(const void* bytes, size_t count)
    : m_strCore(GLIB_NEW Core{1, std::string(static_cast<const char*>(bytes), count)}) {}

GLOB_String::GLOB_String(const GLOB_String& other) : m_strCore(other.m_strCore) { ++m_strCore->m_count; }

GLOB_String& GLOB_String::operator=(const GLOB_String& other) {
    if (m_strCore != other.m_strCore) {
        ++other.m_strCore->m_count;
        Release();
        m_strCore = other.m_strCore;
    }
    return *this;
}

GLOB_String& GLOB_String::operator=(const char* text) { return *this = GLOB_String(text); }

GLOB_String::~GLOB_String() { Release(); }

void GLOB_String::Release() {
    GLIB_ASSERT_CMP(m_strCore->RefCount(), >, 0u);
    if (--m_strCore->m_count == 0)
        delete m_strCore;
    m_strCore = nullptr;
}

bool GLOB_String::operator==(const GLOB_String& other) const {
    return m_strCore == other.m_strCore || m_strCore->m_bytes == other.m_strCore->m_bytes;
}

bool GLOB_String::operator==(const char* text) const {
    const size_t n = text ? std::strlen(text) : 0;
    return Length() == n && std::memcmp(m_strCore->m_bytes.data(), text ? text : "", n) == 0;
}

GLOB_String& GLOB_String::Append(const GLOB_String& other) {
    // other may share this core: take the bytes before detaching.
    const std::string bytes = other.m_strCore->m_bytes;
    return Append(bytes.data(), bytes.size());
}

GLOB_String& GLOB_String::Append(const void* bytes, size_t count) {
    Detach();
    m_strCore->m_bytes.append(static_cast<const char*>(bytes), count);
    return *this;
}

void GLOB_String::Detach() {
    if (m_strCore->m_count <= 1)
        return;
    Core* copy = GLIB_NEW Core{1, m_strCore->m_bytes};
    --m_strCore->m_count;
    m_strCore = copy;
}

std::ostream& GLOB_String::Print(std::ostream& os) const {
    return os.write(m_strCore->m_bytes.data(), static_cast<std::streamsize>(Length()));
}

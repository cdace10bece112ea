#include "GLOB/GLOB_DepthGuard.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <cstring>

GLOB_DepthGuard::GLOB_DepthGuard(GLOB_DepthGuard*& slot, const char* who, const GLOB_Object* container)
    : GLOB_DepthGuard(slot, GLOB_Object::MaxNesting, container) {
    // The destructor runs after this throw and leaves slot as it was.
    if (!m_admitted)
        GLIB_THROW(GLIB_Exception, GLOB_NestingCode,
                   who << ": objects nested deeper than " << GLOB_Object::MaxNesting << " levels");
}

GLOB_DepthGuard::GLOB_DepthGuard(GLOB_DepthGuard*& slot, int32_t limit, const GLOB_Object* container)
    : m_slot(slot), m_outer(slot), m_container(container), m_level(slot ? slot->m_level + 1 : 1),
      m_admitted(m_level <= limit) {
    if (m_admitted)
        slot = this;
}

bool GLOB_DepthGuard::Encloses(const GLOB_Object& container) const {
    for (const GLOB_DepthGuard* guard = this; guard; guard = guard->m_outer) {
        const GLOB_Object* entered = guard->m_container;
        if (entered && entered->GetImpl() == container.GetImpl() &&
            std::memcmp(entered->GetHandle().m_words, container.GetHandle().m_words,
                        sizeof container.GetHandle().m_words) == 0)
            return true;
    }
    return false;
}

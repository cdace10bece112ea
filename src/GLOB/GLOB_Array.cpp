#include "GLOB/GLOB_Array.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"

GLOB_Array::GLOB_Array(uint32_t length) : m_arrayCore(GLIB_NEW Core{1, {}}) {
    if (length > 0) {
        const GLOB_Object null;
        m_arrayCore->m_elements.assign(length, null);
    }
}

GLOB_Array::GLOB_Array(const GLOB_Array& other) : m_arrayCore(other.m_arrayCore) { ++m_arrayCore->m_count; }

GLOB_Array& GLOB_Array::operator=(const GLOB_Array& other) {
    if (m_arrayCore != other.m_arrayCore) {
        ++other.m_arrayCore->m_count;
        Release();
        m_arrayCore = other.m_arrayCore;
    }
    return *this;
}

GLOB_Array::~GLOB_Array() { Release(); }

void GLOB_Array::Release() {
    GLIB_ASSERT_CMP(m_arrayCore->RefCount(), >, 0u);
    if (--m_arrayCore->m_count == 0)
        delete m_arrayCore;
    m_arrayCore = nullptr;
}

void GLOB_Array::Detach() {
    if (m_arrayCore->m_count == 1)
        return;
    Core* copy = GLIB_NEW Core{1, m_arrayCore->m_elements};
    Release();
    m_arrayCore = copy;
}

uint32_t GLOB_Array::Length() const { return static_cast<uint32_t>(m_arrayCore->m_elements.size()); }

GLOB_Object GLOB_Array::Get(uint32_t index) const {
    GLIB_CHECK_BOUND(index, <, Length());
    return m_arrayCore->m_elements[index];
}

void GLOB_Array::Put(uint32_t index, const GLOB_Object& value) {
    // value may be held by this array's own elements.
    const GLOB_Object keep(value);
    Detach();
    std::vector<GLOB_Object>& elements = m_arrayCore->m_elements;
    if (index < elements.size()) {
        elements[index] = keep;
        return;
    }
    if (index > elements.size())
        elements.resize(index, GLOB_Object());
    elements.push_back(keep);
}

void GLOB_Array::Insert(uint32_t index, const GLOB_Object& value) {
    const GLOB_Object keep(value);
    Detach();
    std::vector<GLOB_Object>& elements = m_arrayCore->m_elements;
    if (index >= elements.size())
        elements.push_back(keep);
    else
        elements.insert(elements.begin() + index, keep);
}

void GLOB_Array::Remove(uint32_t index) {
    Detach();
    std::vector<GLOB_Object>& elements = m_arrayCore->m_elements;
    if (index < elements.size())
        elements.erase(elements.begin() + index);
}

bool GLOB_Array::IsDeepEqual(const GLOB_Array& other) const {
    if (m_arrayCore == other.m_arrayCore)
        return true;
    if (Length() != other.Length())
        return false;
    for (size_t i = 0; i < m_arrayCore->m_elements.size(); ++i)
        if (!m_arrayCore->m_elements[i].IsDeepEqual(other.m_arrayCore->m_elements[i]))
            return false;
    return true;
}

GLOB_Array GLOB_Array::Copy() const { return GLOB_ObjectFactory::NewArray(*this).AsArray(); }

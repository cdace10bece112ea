#include "separation/CSEP_SlicedFunctions.h"

#include "GLIB/GLIB_Assert.h"

CSEP_SlicedFunctions::Scope::Scope(CSEP_SlicedFunctions& functions) : m_functions(functions) {
    if (m_functions.m_openScopes++ == 0)
        m_functions.Clear();
}

CSEP_SlicedFunctions::Scope::~Scope() {
    if (--m_functions.m_openScopes == 0)
        m_functions.Clear();
}

const std::vector<GLOB_Object>* CSEP_SlicedFunctions::Find(const GLOB_Object& source) const {
    return m_openScopes > 0 ? m_slices.Find(source) : nullptr;
}

void CSEP_SlicedFunctions::Add(const GLOB_Object& source, const std::vector<GLOB_Object>& slices) {
    if (m_openScopes == 0 || !source.IsIndirect())
        return;
    for (const GLOB_Object& slice : slices)
        GLIB_ASSERT(slice.IsIndirect());
    m_slices.Insert(source, slices);
}

void CSEP_SlicedFunctions::KeepBlankForm(const GLOB_Object& form) {
    if (m_openScopes > 0)
        m_blankForm = form;
}

void CSEP_SlicedFunctions::Clear() {
    m_slices.Clear();
    m_blankForm = GLOB_Object();
}

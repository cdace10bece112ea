#include "separation/CSEP_NestedSeparations.h"

#include "GLIB/GLIB_Exception.h"
#include "separation/CSEP_SepJobContext.h"

#include <algorithm>

CSEP_NestedSeparations::Scope::Scope(CSEP_NestedSeparations& separations) : m_separations(separations) {
    if (m_separations.m_openScopes++ == 0) {
        m_separations.m_separated.Clear();
        m_separations.m_separations = 0;
    }
}

CSEP_NestedSeparations::Scope::~Scope() {
    if (--m_separations.m_openScopes == 0) {
        m_separations.m_separated.Clear();
        m_separations.m_separations = 0;
    }
}

const CSEP_NestedSeparations::Separated* CSEP_NestedSeparations::Find(const GLOB_Object& source,
                                                                      const GLOB_Object& resources,
                                                                      const CPDF_GraphicsState& state,
                                                                      SameState same, bool insideGroup,
                                                                      const CSEP_InkStreamState& inkState) const {
    const std::vector<Separated>* kept = m_openScopes > 0 ? m_separated.Find(source) : nullptr;
    if (kept == nullptr)
        return nullptr;
    for (const Separated& separated : *kept)
        if (separated.m_resources == resources && separated.m_insideGroup == insideGroup &&
            separated.m_inkState.SameInherited(inkState) && same(separated.m_state, state))
            return &separated;
    return nullptr;
}

void CSEP_NestedSeparations::Add(const GLOB_Object& source, const Separated& separated) {
    if (m_openScopes == 0 || !source.IsIndirect() ||
        !std::all_of(separated.m_perInk.begin(), separated.m_perInk.end(),
                     [](const GLOB_Object& object) { return object.IsIndirect(); }))
        return;
    if (std::vector<Separated>* kept = m_separated.Find(source))
        kept->push_back(separated);
    else
        m_separated.Insert(source, {separated});
}

void CSEP_NestedSeparations::CountSeparation(const char* kind, const GLOB_Name& name) {
    if (m_openScopes == 0)
        return;
    if (m_separations >= MaxSeparations)
        GLIB_THROW(GLIB_Exception, CSEP_SepJobContext::NestingCode,
                   kind << " " << (name.IsEmpty() ? "" : name.CStr()) << ": more than " << MaxSeparations
                        << " forms, tiling patterns and Type 3 fonts separated on one page");
    ++m_separations;
}

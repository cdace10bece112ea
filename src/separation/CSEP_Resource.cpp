#include "separation/CSEP_Resource.h"

#include "GLIB/GLIB_Assert.h"

#include <algorithm>

CSEP_Resource::CSEP_Resource(const GLOB_Object& object, const CPDF_GraphicsState& state, const GLOB_Name& name)
    : m_object(object) {
    AddState(state, name);
}

void CSEP_Resource::AddState(const CPDF_GraphicsState& state, const GLOB_Name& name,
                             const CSEP_InkStreamState& inkState) {
    m_variants.push_back(StateAndName{state, name, {}, inkState});
}

bool CSEP_Resource::AddPart(uint32_t i, const GLOB_Name& part) {
    Variant(i);
    std::vector<GLOB_Name>& parts = m_variants[i].m_parts;
    if (std::find(parts.begin(), parts.end(), part) != parts.end())
        return false;
    parts.push_back(part);
    return true;
}

const CSEP_Resource::StateAndName& CSEP_Resource::Variant(uint32_t i) const {
    if (i >= NumStates())
        GLIB_AssertFailed("NumStates()", __FILE__, __LINE__);
    // Bounds-checked all the same, for a handler that returns.
    return m_variants.at(i);
}

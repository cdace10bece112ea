#include "separation/CSEP_Resource.h"

#include "GLIB/GLIB_Assert.h"

CSEP_Resource::CSEP_Resource(const GLOB_Object& object, const CPDF_GraphicsState& state, const GLOB_Name& name)
    : m_object(object) {
    AddState(state, name);
}

void CSEP_Resource::AddState(const CPDF_GraphicsState& state, const GLOB_Name& name) {
    m_variants.push_back(StateAndName{state, name});
}

const CSEP_Resource::StateAndName& CSEP_Resource::Variant(uint32_t i) const {
    if (i >= NumStates())
        GLIB_AssertFailed("NumStates()", __FILE__, __LINE__);
    // Bounds-checked all the same, for a handler that returns.
    return m_variants.at(i);
}

// The resource cache's record of one resource, under the name the content
// uses for it: the resource object and its variants, each a graphics state
// (the colour state the resource was separated under, and for a form what
// the inks' streams had in force there) and the new name the
// separated content writes for it, and the parts of it used there (a Type 3
// font's glyphs shown in that variant; none recorded: all of it).
// Graphics-state dictionaries, fonts other than coloured Type 3 ones,
// patterns and shadings are recorded without variants.
//
// A value: copies hold their own variant lists and share the objects, so
// the cache stores a record by copy and a change of a copy leaves it as it
// was.
#pragma once

#include "CPDF/content/CPDF_GraphicsState.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "separation/CSEP_InkStreamState.h"

#include <cstdint>
#include <vector>

class CSEP_Resource {
public:
    // A Null object without variants.
    CSEP_Resource() = default;
    // object without variants.
    explicit CSEP_Resource(const GLOB_Object& object) : m_object(object) {}
    // object with the one variant (state, name).
    CSEP_Resource(const GLOB_Object& object, const CPDF_GraphicsState& state, const GLOB_Name& name);

    const GLOB_Object& Object() const { return m_object; }
    uint32_t NumStates() const { return static_cast<uint32_t>(m_variants.size()); }
    // Variant i; an i at or past NumStates fails the assertion
    // "NumStates()".
    const CPDF_GraphicsState& State(uint32_t i) const { return Variant(i).m_state; }
    const GLOB_Name& Name(uint32_t i) const { return Variant(i).m_name; }
    const std::vector<GLOB_Name>& Parts(uint32_t i) const { return Variant(i).m_parts; }
    const CSEP_InkStreamState& InkState(uint32_t i) const { return Variant(i).m_inkState; }
    // Appends the variant (state, name).
    void AddState(const CPDF_GraphicsState& state, const GLOB_Name& name,
                  const CSEP_InkStreamState& inkState = CSEP_InkStreamState());
    // Adds part to variant i's parts unless they hold it; false when they did.
    bool AddPart(uint32_t i, const GLOB_Name& part);

private:
    struct StateAndName {
        CPDF_GraphicsState m_state;
        GLOB_Name m_name;
        std::vector<GLOB_Name> m_parts;
        CSEP_InkStreamState m_inkState;
    };
    const StateAndName& Variant(uint32_t i) const;

    GLOB_Object m_object;
    std::vector<StateAndName> m_variants;
};

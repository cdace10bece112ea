// The forms, tiling patterns and Type 3 fonts already separated on a page,
// so that one met again (under a second name, drawn twice, or at every
// level of a nesting) with the same resources and an equivalent colour
// state takes the separated objects made the first time: work and output
// grow with the distinct (object, resources, state) triples, not with the
// paths that reach them. A form without resources of its own takes its
// caller's, and its result depends on the colour state it is drawn in, so
// both are part of what is compared.
//
// The separations still made are counted; one past MaxSeparations on a page
// throws GLIB_Exception CSEP_SepJobContext::NestingCode "<kind> <name>: more
// than 65536 forms, tiling patterns and Type 3 fonts separated on one page",
// a bound on what distinct colour states alone can still multiply.
//
// The job holds one. Entries and the count live while a scope is open: the
// outermost resource walk (a page's, or a lone form's) opens one. The first
// scope to open and the last to close empty it, as CSEP_SlicedFunctions do.
#pragma once

#include "CPDF/content/CPDF_GraphicsState.h"
#include "GLOB/GLOB_IndirectObjectMap.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "separation/CSEP_InkStreamState.h"

#include <cstdint>
#include <vector>

class CSEP_NestedSeparations {
public:
    static constexpr uint32_t MaxSeparations = 65536;

    class Scope {
    public:
        explicit Scope(CSEP_NestedSeparations& separations);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CSEP_NestedSeparations& m_separations;
    };

    // One separation of a source object.
    struct Separated {
        GLOB_Object m_resources;  // those it was separated with
        CPDF_GraphicsState m_state;  // the state it was drawn under
        uint32_t m_height = 0;  // levels of nesting opened inside it
        std::vector<GLOB_Object> m_perInk;
        bool m_insideGroup = false;  // CSEP_SepJobContext::InsideIsolatedOrKnockoutGroup
        CSEP_InkStreamState m_inkState = {};  // what the inks' streams had in force
    };
    using SameState = bool (*)(const CPDF_GraphicsState&, const CPDF_GraphicsState&);

    // The separation of source kept with these resources (the same object),
    // a state that same finds equal to state, the same group context and
    // the same ink state (SameInherited); null when there is none or no
    // scope is open.
    const Separated* Find(const GLOB_Object& source, const GLOB_Object& resources, const CPDF_GraphicsState& state,
                          SameState same, bool insideGroup = false,
                          const CSEP_InkStreamState& inkState = CSEP_InkStreamState()) const;
    // Keeps the separation of an indirect source whose objects are all
    // indirect, so that every place can hold them; otherwise, or with no
    // scope open, nothing is kept.
    void Add(const GLOB_Object& source, const Separated& separated);
    // Counts one separation about to be made (open scope only); throws as
    // above past the bound. kind and name are those of the nesting guard.
    void CountSeparation(const char* kind, const GLOB_Name& name);
    uint32_t NumSeparations() const { return m_separations; }
    size_t NumSources() const { return m_separated.Size(); }

private:
    uint32_t m_openScopes = 0;
    uint32_t m_separations = 0;
    GLOB_IndirectObjectMap<std::vector<Separated>> m_separated;
};

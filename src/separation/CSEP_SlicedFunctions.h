// The one-output functions already sliced from indirect source functions,
// so that a function named at many places (twice at every level of a
// stitching tree, or by two shadings) is sliced once and every place takes
// the same sliced objects: work and output grow with the distinct source
// functions, not with the paths through them. The blank form that images
// hand the inks they do not paint is kept the same way: one for the page,
// not one for each of its images.
//
// The job holds one. Entries live while a scope is open: the page separator
// opens one for its page, the slicer one for each call from outside, so a
// page shares across all its shadings and a lone call within itself. The
// first scope to open and the last to close empty it, so nothing is shared
// between pages, whose sources may change or go.
#pragma once

#include "GLOB/GLOB_IndirectObjectMap.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <vector>

class CSEP_SlicedFunctions {
public:
    class Scope {
    public:
        explicit Scope(CSEP_SlicedFunctions& functions);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CSEP_SlicedFunctions& m_functions;
    };

    // The slices of source (one per output), or null: not sliced in the
    // open scope, direct, or no scope open.
    const std::vector<GLOB_Object>* Find(const GLOB_Object& source) const;
    // Keeps the slices of an indirect source while the scope is open (none
    // open: nothing kept). The slices must be indirect objects, so that
    // every place can hold them.
    void Add(const GLOB_Object& source, const std::vector<GLOB_Object>& slices);
    size_t Size() const { return m_slices.Size(); }

    // The blank form kept in the open scope; null before one is kept or
    // with no scope open.
    GLOB_Object BlankForm() const { return m_openScopes > 0 ? m_blankForm : GLOB_Object(); }
    // Keeps form while the scope is open (none open: nothing kept).
    void KeepBlankForm(const GLOB_Object& form);

private:
    void Clear();

    uint32_t m_openScopes = 0;
    GLOB_IndirectObjectMap<std::vector<GLOB_Object>> m_slices;
    GLOB_Object m_blankForm;
};

// One level of nesting in a walk over objects: a guard lives on the stack of
// the function that enters an array, a dictionary or a stream, for as long
// as the container's contents are walked. Copying, comparing, printing,
// rebuilding and writing objects take one per container; recursive loaders
// that follow references (colour spaces, functions, page trees) take one per
// object they follow.
//
// The outermost container is level 1. The deepest level admitted is
// GLOB_Object::MaxNesting, exactly as deep as the operator parser builds, so
// whatever the parser accepts passes every walk, and one level more is
// refused by each of them. The parser, whose brackets stay open across
// calls, applies the same rule with Admits.
//
// A walk keeps a slot holding its innermost guard (null before the first). A
// new guard links to the guard in the slot and takes its place until it is
// destroyed, as MuPDF's pdf_cycle_list does, so a walk can also ask whether a
// container is already being walked further out (a container inside itself).
//
// A loader of its own kind (colour spaces, functions) keeps a slot of its
// own and gives its own limit to the form that does not throw: it asks
// IsAdmitted and throws its own family and code.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <cstddef>
#include <cstdint>

class GLOB_DepthGuard {
public:
    // Whether a container may be entered at level (1 is the outermost).
    static bool Admits(size_t level) { return level <= static_cast<size_t>(GLOB_Object::MaxNesting); }
    // Whether a container may be entered inside innermost (null: none yet).
    static bool AdmitsInside(const GLOB_DepthGuard* innermost) {
        return Admits(static_cast<size_t>(innermost ? innermost->m_level : 0) + 1);
    }

    // Enters container one level inside the guard in slot and takes its
    // place there. Beyond MaxNesting throws GLIB_Exception 1151004 "<who>:
    // objects nested deeper than 512 levels" and leaves slot as it was.
    // container (null when the value is not held as an object) must outlive
    // the guard.
    GLOB_DepthGuard(GLOB_DepthGuard*& slot, const char* who, const GLOB_Object* container = nullptr);
    // The same with limit in place of MaxNesting, without throwing: past the
    // limit the guard is not entered (slot stays as it was) and IsAdmitted
    // is false.
    GLOB_DepthGuard(GLOB_DepthGuard*& slot, int32_t limit, const GLOB_Object* container = nullptr);
    ~GLOB_DepthGuard() { m_slot = m_outer; }
    GLOB_DepthGuard(const GLOB_DepthGuard&) = delete;
    GLOB_DepthGuard& operator=(const GLOB_DepthGuard&) = delete;

    // Whether this guard or one further out entered container (the same
    // handle of the same back-end).
    bool Encloses(const GLOB_Object& container) const;
    // Whether the guard was entered (always true for the throwing form).
    bool IsAdmitted() const { return m_admitted; }
    // 1 for the outermost guard of a walk; the refused level when not
    // admitted.
    int32_t Level() const { return m_level; }

private:
    GLOB_DepthGuard*& m_slot;
    GLOB_DepthGuard* m_outer;
    const GLOB_Object* m_container;
    int32_t m_level;
    bool m_admitted;
};

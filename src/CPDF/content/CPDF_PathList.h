// An ordered list of paths whose intersection is a clipping region: the clip
// of a graphics state, and the parser's clip paths pending until the painting
// operator has run. A copy-on-write value over one counted core; the paths in
// it are shared handles, not copies. Every change first gives the list a core
// of its own when the core is shared; a core held by one list changes in
// place.
//
// Paths compare equal when they share a core or hold equal fill rules, codes
// and points within GLIB_Point::Tolerance (GLOB_Path::operator==). Comparing a
// clip with an earlier one and splitting off what it adds lets a writer of
// graphics states emit only the new clip paths.
#pragma once

#include "COMN_COWReferenceCountPointer.h"
#include "CPDF/content/CPDF_Path.h"
#include "GLIB/GLIB_Geometry.h"

#include <cstdint>
#include <iosfwd>
#include <vector>

// The shared record of a path list.
struct iCPDF_PathListCore {
    std::vector<CPDF_Path> m_paths;
};

class CPDF_PathList {
public:
    // Walks a list from its first path.
    class Iterator;

    // Empty, with room for n paths.
    explicit CPDF_PathList(uint32_t n = 0);

    void Clear();
    uint32_t NumPaths() const { return static_cast<uint32_t>(m_core->m_paths.size()); }
    // Path i, shared. i must be below NumPaths (asserted; an empty path
    // beyond).
    CPDF_Path Path(uint32_t i) const;
    // Adds the path at the end, shared.
    void Append(const CPDF_Path& path);
    // Adds the paths other held at the call, in order; other may be this
    // list or share its core.
    void Append(const CPDF_PathList& other);
    // Maps every path by m; a path shared with another holder is copied first.
    void Transform(const GLIB_Matrix& m);

    // The first path's bounding box clamped into every path's box
    // (GLIB_Rect::Intersect), so boxes that do not meet give a box of no
    // area on an edge, never an inverted one; four zeros for no paths.
    GLIB_Rect IntersectionBounds() const;
    // The first path's bounding box grown to hold both corners of every
    // path's box; four zeros for no paths.
    GLIB_Rect UnionBounds() const;

    // Same length and equal paths position by position.
    bool operator==(const CPDF_PathList& other) const;
    bool operator!=(const CPDF_PathList& other) const { return !(*this == other); }
    // other is no longer than this list and equals its leading paths.
    bool StartsWith(const CPDF_PathList& other) const;
    // The leading paths equal in both lists at the same positions.
    CPDF_PathList CommonPrefix(const CPDF_PathList& other) const;
    // This list's paths after those leading ones.
    CPDF_PathList After(const CPDF_PathList& other) const;

    // A line feed, then for each path "Path[i of n]:" (i from 1) and its
    // printout.
    void Print(std::ostream& os) const;
    // The printout, logged at level 8.
    void Log() const;

private:
    // Number of leading positions where both lists hold equal paths.
    uint32_t CommonLength(const CPDF_PathList& other) const;
    std::vector<CPDF_Path>& Paths() { return m_core.Mutable()->m_paths; }

    COMN_COWReferenceCountPointer<iCPDF_PathListCore> m_core;
};

// Holds its own handle of the list, so a change of the list after the start
// does not reach the walk.
class CPDF_PathList::Iterator {
public:
    explicit Iterator(const CPDF_PathList& list) : m_list(list) {}
    bool HasMore() const { return m_index < m_list.NumPaths(); }
    // The current path (shared), then a step forward; HasMore first.
    CPDF_Path Next() { return m_list.Path(m_index++); }

private:
    CPDF_PathList m_list;
    uint32_t m_index = 0;
};

std::ostream& operator<<(std::ostream& os, const CPDF_PathList& list);

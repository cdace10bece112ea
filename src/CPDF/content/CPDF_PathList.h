// An ordered list of paths whose intersection is a clipping region: the clip
// of a graphics state, and the parser's clip paths pending until the painting
// operator has run. Each path sits in a counted node that also holds the
// node of the path before it, and a node held by more than one list never
// changes: a list that extends another (a nested clip extends the clip of
// the state it saved) shares every node of the other and adds one per path,
// so q and W nested n deep keep n nodes, not n * n / 2 paths. Copies share
// the last node; the paths in the nodes are shared handles, not copies.
//
// Paths compare equal when they share a core or hold equal fill rules, codes
// and points within GLIB_Point::Tolerance (GLOB_Path::operator==). Comparing a
// clip with an earlier one and splitting off what it adds lets a writer of
// graphics states emit only the new clip paths.
#pragma once

#include "CPDF/content/CPDF_Path.h"
#include "GLIB/GLIB_Geometry.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <vector>

// One path of a list and the node of the path before it (CPDF_PathList.cpp).
struct iCPDF_PathListNode;

class CPDF_PathList {
public:
    // Walks a list from its first path.
    class Iterator;

    // Empty.
    CPDF_PathList() = default;
    CPDF_PathList(const CPDF_PathList& other);
    CPDF_PathList& operator=(const CPDF_PathList& other);
    // Frees the nodes no other list holds, one after another, so that a list
    // of any length goes without deep recursion.
    ~CPDF_PathList();

    void Clear();
    uint32_t NumPaths() const;
    // Path i, shared, found by walking back from the last path. i must be
    // below NumPaths (asserted; an empty path beyond).
    CPDF_Path Path(uint32_t i) const;
    // Adds the path at the end, shared: one new node.
    void Append(const CPDF_Path& path);
    // Adds the paths other held at the call, in order; other may be this
    // list or share its nodes. An empty list takes other's nodes as they are.
    void Append(const CPDF_PathList& other);
    // Maps every path by m: in place when no other list holds a node of this
    // one, else into new nodes; a path shared with another holder is copied
    // first.
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
    // The leading paths equal in both lists at the same positions (this
    // list's nodes, shared).
    CPDF_PathList CommonPrefix(const CPDF_PathList& other) const;
    // This list's paths after those leading ones.
    CPDF_PathList After(const CPDF_PathList& other) const;

    // A line feed, then for each path "Path[i of n]:" (i from 1) and its
    // printout.
    void Print(std::ostream& os) const;
    // The printout, logged at level 8.
    void Log() const;

private:
    // Number of leading positions where both lists hold equal paths. The
    // positions up to a node both lists share are equal without a look.
    uint32_t CommonLength(const CPDF_PathList& other) const;
    // The nodes from the first path to the last.
    std::vector<const iCPDF_PathListNode*> Nodes() const;
    // The paths after the first `start`, in order.
    std::vector<CPDF_Path> PathsFrom(uint32_t start) const;

    iCPDF_PathListNode* m_last = nullptr;  // counted; null when empty
};

// Holds its own handle of the list, so a change of the list after the start
// does not reach the walk.
class CPDF_PathList::Iterator {
public:
    explicit Iterator(const CPDF_PathList& list);
    bool HasMore() const { return m_index < m_nodes.size(); }
    // The current path (shared), then a step forward; HasMore first.
    CPDF_Path Next();

private:
    CPDF_PathList m_list;
    std::vector<const iCPDF_PathListNode*> m_nodes;
    size_t m_index = 0;
};

std::ostream& operator<<(std::ostream& os, const CPDF_PathList& list);

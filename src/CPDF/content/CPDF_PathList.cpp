#include "CPDF/content/CPDF_PathList.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <ostream>

struct iCPDF_PathListNode {
    CPDF_Path m_path;
    iCPDF_PathListNode* m_before;  // counted; null for the first path
    uint32_t m_count;              // paths up to this one
    uint32_t m_holders;
};

namespace {

iCPDF_PathListNode* Hold(iCPDF_PathListNode* node) {
    if (node)
        ++node->m_holders;
    return node;
}

// A loop, not the nodes' destructors: a chain of 50,000 would recurse as deep.
void Drop(iCPDF_PathListNode* node) {
    while (node && --node->m_holders == 0) {
        iCPDF_PathListNode* before = node->m_before;
        delete node;
        node = before;
    }
}

// The node of position count - 1, or null for count 0; count <= the list's.
iCPDF_PathListNode* NodeAt(iCPDF_PathListNode* last, uint32_t count) {
    while (last && last->m_count > count)
        last = last->m_before;
    return last;
}

}  // namespace

CPDF_PathList::CPDF_PathList(const CPDF_PathList& other) : m_last(Hold(other.m_last)) {}

CPDF_PathList& CPDF_PathList::operator=(const CPDF_PathList& other) {
    iCPDF_PathListNode* const old = m_last;
    m_last = Hold(other.m_last);
    Drop(old);
    return *this;
}

CPDF_PathList::~CPDF_PathList() { Drop(m_last); }

void CPDF_PathList::Clear() {
    Drop(m_last);
    m_last = nullptr;
}

uint32_t CPDF_PathList::NumPaths() const { return m_last ? m_last->m_count : 0; }

CPDF_Path CPDF_PathList::Path(uint32_t i) const {
    GLIB_ASSERT_CMP(i, <, NumPaths());
    return i < NumPaths() ? NodeAt(m_last, i + 1)->m_path : CPDF_Path();
}

void CPDF_PathList::Append(const CPDF_Path& path) {
    // The new node takes over this list's hold on the old last one.
    m_last = new (__LINE__, "CPDF_PathList") iCPDF_PathListNode{path, m_last, NumPaths() + 1, 1};
}

void CPDF_PathList::Append(const CPDF_PathList& other) {
    if (m_last == nullptr) {
        *this = other;
        return;
    }
    // Taken first: other may be this very list.
    for (const CPDF_Path& path : other.PathsFrom(0))
        Append(path);
}

void CPDF_PathList::Transform(const GLIB_Matrix& m) {
    bool alone = true;
    for (const iCPDF_PathListNode* node = m_last; node && alone; node = node->m_before)
        alone = node->m_holders == 1;
    if (alone) {
        for (iCPDF_PathListNode* node = m_last; node; node = node->m_before)
            node->m_path.Transform(m);
        return;
    }
    CPDF_PathList mapped;
    for (CPDF_Path& path : PathsFrom(0)) {
        path.Transform(m);
        mapped.Append(path);
    }
    *this = mapped;
}

std::vector<const iCPDF_PathListNode*> CPDF_PathList::Nodes() const {
    std::vector<const iCPDF_PathListNode*> nodes(NumPaths());
    for (const iCPDF_PathListNode* node = m_last; node; node = node->m_before)
        nodes[node->m_count - 1] = node;
    return nodes;
}

std::vector<CPDF_Path> CPDF_PathList::PathsFrom(uint32_t start) const {
    std::vector<CPDF_Path> paths(NumPaths() > start ? NumPaths() - start : 0);
    for (const iCPDF_PathListNode* node = m_last; node && node->m_count > start; node = node->m_before)
        paths[node->m_count - 1 - start] = node->m_path;
    return paths;
}

GLIB_Rect CPDF_PathList::IntersectionBounds() const {
    const std::vector<const iCPDF_PathListNode*> nodes = Nodes();
    if (nodes.empty())
        return GLIB_Rect();
    GLIB_Rect box = nodes[0]->m_path.BoundingBox();
    for (const iCPDF_PathListNode* node : nodes)
        box.Intersect(node->m_path.BoundingBox());
    return box;
}

GLIB_Rect CPDF_PathList::UnionBounds() const {
    const std::vector<const iCPDF_PathListNode*> nodes = Nodes();
    if (nodes.empty())
        return GLIB_Rect();
    GLIB_Rect box = nodes[0]->m_path.BoundingBox();
    for (const iCPDF_PathListNode* node : nodes) {
        const GLIB_Rect other = node->m_path.BoundingBox();
        box.Include(other.LowerLeft());
        box.Include(other.UpperRight());
    }
    return box;
}

uint32_t CPDF_PathList::CommonLength(const CPDF_PathList& other) const {
    // Back from both ends to the last node both share (null: none), keeping
    // what lies above it; everything below it is one chain.
    const iCPDF_PathListNode* a = m_last;
    const iCPDF_PathListNode* b = other.m_last;
    std::vector<const iCPDF_PathListNode*> mine, theirs;
    const auto count = [](const iCPDF_PathListNode* node) { return node ? node->m_count : 0; };
    while (a != b) {
        if (count(a) >= count(b)) {
            mine.push_back(a);
            a = a->m_before;
        } else {
            theirs.push_back(b);
            b = b->m_before;
        }
    }
    uint32_t common = count(a);
    while (!mine.empty() && !theirs.empty() && mine.back()->m_path == theirs.back()->m_path) {
        mine.pop_back();
        theirs.pop_back();
        ++common;
    }
    return common;
}

bool CPDF_PathList::operator==(const CPDF_PathList& other) const {
    if (m_last == other.m_last)
        return true;
    return NumPaths() == other.NumPaths() && CommonLength(other) == NumPaths();
}

bool CPDF_PathList::StartsWith(const CPDF_PathList& other) const {
    return other.NumPaths() <= NumPaths() && CommonLength(other) == other.NumPaths();
}

CPDF_PathList CPDF_PathList::CommonPrefix(const CPDF_PathList& other) const {
    CPDF_PathList result;
    result.m_last = Hold(NodeAt(m_last, CommonLength(other)));
    return result;
}

CPDF_PathList CPDF_PathList::After(const CPDF_PathList& other) const {
    CPDF_PathList result;
    for (const CPDF_Path& path : PathsFrom(CommonLength(other)))
        result.Append(path);
    return result;
}

void CPDF_PathList::Print(std::ostream& os) const {
    os << "\n";
    const std::vector<const iCPDF_PathListNode*> nodes = Nodes();
    for (size_t i = 0; i < nodes.size(); ++i) {
        os << "Path[" << i + 1 << " of " << nodes.size() << "]:\n";
        nodes[i]->m_path.Print(os);
    }
}

void CPDF_PathList::Log() const {
    GLIB_MessageStream ms;
    Print(ms);
    ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
}

CPDF_PathList::Iterator::Iterator(const CPDF_PathList& list) : m_list(list), m_nodes(list.Nodes()) {}

CPDF_Path CPDF_PathList::Iterator::Next() {
    GLIB_ASSERT_CMP(m_index, <, m_nodes.size());
    return m_index < m_nodes.size() ? m_nodes[m_index++]->m_path : CPDF_Path();
}

std::ostream& operator<<(std::ostream& os, const CPDF_PathList& list) {
    list.Print(os);
    return os;
}

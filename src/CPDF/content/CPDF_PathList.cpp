#include "CPDF/content/CPDF_PathList.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <ostream>

CPDF_PathList::CPDF_PathList(uint32_t n) : m_core(new (__LINE__, "CPDF_PathList") iCPDF_PathListCore) {
    if (n > 0)
        Paths().reserve(n);
}

void CPDF_PathList::Clear() { Paths().clear(); }

CPDF_Path CPDF_PathList::Path(uint32_t i) const {
    GLIB_ASSERT_CMP(i, <, NumPaths());
    return i < NumPaths() ? m_core->m_paths[i] : CPDF_Path();
}

void CPDF_PathList::Append(const CPDF_Path& path) {
    const CPDF_Path keep(path);  // path may be held by this list
    Paths().push_back(keep);
}

void CPDF_PathList::Append(const CPDF_PathList& other) {
    const uint32_t n = other.NumPaths();
    std::vector<CPDF_Path>& mine = Paths();
    // With room made first, appending cannot move the paths being read when
    // other is this very list.
    mine.reserve(mine.size() + n);
    const std::vector<CPDF_Path>& theirs = other.m_core->m_paths;
    for (uint32_t i = 0; i < n; ++i)
        mine.push_back(theirs[i]);
}

void CPDF_PathList::Transform(const GLIB_Matrix& m) {
    for (CPDF_Path& path : Paths())
        path.Transform(m);
}

GLIB_Rect CPDF_PathList::IntersectionBounds() const {
    if (NumPaths() == 0)
        return GLIB_Rect();
    GLIB_Rect box = m_core->m_paths[0].BoundingBox();
    for (const CPDF_Path& path : m_core->m_paths)
        box.Intersect(path.BoundingBox());
    return box;
}

GLIB_Rect CPDF_PathList::UnionBounds() const {
    if (NumPaths() == 0)
        return GLIB_Rect();
    GLIB_Rect box = m_core->m_paths[0].BoundingBox();
    for (const CPDF_Path& path : m_core->m_paths) {
        const GLIB_Rect other = path.BoundingBox();
        box.Include(other.LowerLeft());
        box.Include(other.UpperRight());
    }
    return box;
}

uint32_t CPDF_PathList::CommonLength(const CPDF_PathList& other) const {
    const uint32_t n = std::min(NumPaths(), other.NumPaths());
    uint32_t i = 0;
    while (i < n && m_core->m_paths[i] == other.m_core->m_paths[i])
        ++i;
    return i;
}

bool CPDF_PathList::operator==(const CPDF_PathList& other) const {
    if (m_core.get() == other.m_core.get())
        return true;
    return NumPaths() == other.NumPaths() && CommonLength(other) == NumPaths();
}

bool CPDF_PathList::StartsWith(const CPDF_PathList& other) const {
    return other.NumPaths() <= NumPaths() && CommonLength(other) == other.NumPaths();
}

CPDF_PathList CPDF_PathList::CommonPrefix(const CPDF_PathList& other) const {
    const uint32_t n = CommonLength(other);
    CPDF_PathList result(n);
    for (uint32_t i = 0; i < n; ++i)
        result.Append(m_core->m_paths[i]);
    return result;
}

CPDF_PathList CPDF_PathList::After(const CPDF_PathList& other) const {
    const uint32_t start = CommonLength(other);
    CPDF_PathList result(NumPaths() - start);
    for (uint32_t i = start; i < NumPaths(); ++i)
        result.Append(m_core->m_paths[i]);
    return result;
}

void CPDF_PathList::Print(std::ostream& os) const {
    os << "\n";
    for (uint32_t i = 0; i < NumPaths(); ++i) {
        os << "Path[" << i + 1 << " of " << NumPaths() << "]:\n";
        m_core->m_paths[i].Print(os);
    }
}

void CPDF_PathList::Log() const {
    GLIB_MessageStream ms;
    Print(ms);
    ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
}

std::ostream& operator<<(std::ostream& os, const CPDF_PathList& list) {
    list.Print(os);
    return os;
}

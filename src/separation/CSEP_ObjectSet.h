// Objects met, for walks asking "this one again?" of each: an indirect one
// is found by back-end, number and generation (GLOB_IndirectObjectMap), so
// each question costs the same however many were met; a direct one, rare
// here, is compared with each direct one kept. Either way GLOB_Object's ==
// decides, as a search of a list would.
#pragma once

#include "GLOB/GLOB_IndirectObjectMap.h"
#include "GLOB/GLOB_Object.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <vector>

class CSEP_ObjectSet {
public:
    CSEP_ObjectSet() = default;
    CSEP_ObjectSet(std::initializer_list<GLOB_Object> objects) {
        for (const GLOB_Object& object : objects)
            Insert(object);
    }

    // False, nothing kept, when object is already in.
    bool Insert(const GLOB_Object& object) {
        if (Holds(object))
            return false;
        if (Indirect(object))
            m_indirect.Insert(object, true);
        else
            m_direct.push_back(object);
        return true;
    }
    bool Holds(const GLOB_Object& object) const {
        if (Indirect(object))
            return m_indirect.Find(object) != nullptr;
        return std::find(m_direct.begin(), m_direct.end(), object) != m_direct.end();
    }
    void Clear() {
        m_indirect.Clear();
        m_direct.clear();
    }
    size_t Size() const { return m_indirect.Size() + m_direct.size(); }

private:
    // A null object has no back-end to ask.
    static bool Indirect(const GLOB_Object& object) { return object.GetImpl() != nullptr && object.IsIndirect(); }

    GLOB_IndirectObjectMap<bool> m_indirect;
    std::vector<GLOB_Object> m_direct;
};

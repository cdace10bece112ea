// Values kept per indirect object, for loaders that meet one object at many
// places (a function named twice in a stitching tree) and must do its work
// once. Lookup goes by back-end, number and generation, and a candidate is
// confirmed with GLOB_Object's ==, so a back-end's own idea of "the same
// object" decides. Direct objects are never stored: each sits at one place.
// The map holds its objects, and so their back-ends, until cleared.
#pragma once

#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Object.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <utility>

template <class Value>
class GLOB_IndirectObjectMap {
public:
    // The value stored for object, or null (always for a direct object).
    const Value* Find(const GLOB_Object& object) const {
        if (!object.IsIndirect())
            return nullptr;
        const auto range = m_entries.equal_range(KeyOf(object));
        for (auto it = range.first; it != range.second; ++it)
            if (it->second.first == object)
                return &it->second.second;
        return nullptr;
    }
    // Stores value for object, which must be indirect and not stored yet.
    void Insert(const GLOB_Object& object, Value value) {
        GLIB_ASSERT(object.IsIndirect());
        GLIB_ASSERT(Find(object) == nullptr);
        m_entries.emplace(KeyOf(object), std::make_pair(object, std::move(value)));
    }
    void Clear() { m_entries.clear(); }
    size_t Size() const { return m_entries.size(); }

private:
    using Key = std::tuple<GLOB_Impl*, int32_t, int32_t>;
    static Key KeyOf(const GLOB_Object& object) {
        GLOB_Impl* impl = object.GetImpl();
        return Key(impl, impl->ObjectNumber(object), impl->GenerationNumber(object));
    }

    std::multimap<Key, std::pair<GLOB_Object, Value>> m_entries;
};

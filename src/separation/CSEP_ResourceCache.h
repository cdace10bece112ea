// The record of the resources one separated content stream (or one Type 3
// font's glyph procedures) uses: for each category a map from the name the
// content uses to a CSEP_Resource, and a counter from which the category's
// new names are made. The content separator fills it during its walk; the
// resource separator then walks it, category by category, each in name
// order (GLOB_Name::operator<: CS1, CS10, CS2), to write every ink's
// resource dictionary.
//
// Categories, with the prefix of their new names:
//   0 "CS" colour spaces      4 "Im" image XObjects
//   1 "gs" ExtGState          5 "Ii" inline images
//   2 "Fn" fonts              6 "Pt" patterns
//   3 "Fm" form XObjects      7 "Sh" shadings
// A category outside 0 to 7 fails an assertion in every operation.
//
// Records are stored and handed out by copy.
#pragma once

#include "GLOB/GLOB_Name.h"
#include "separation/CSEP_Resource.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

class CSEP_ResourceCache {
public:
    enum Category : uint32_t {
        ColorSpaceCategory = 0,
        ExtGStateCategory = 1,
        FontCategory = 2,
        FormCategory = 3,
        ImageCategory = 4,
        InlineImageCategory = 5,
        PatternCategory = 6,
        ShadingCategory = 7,
    };
    static constexpr uint32_t NumCategories = 8;

    using Map = std::map<GLOB_Name, CSEP_Resource>;
    using Entry = std::pair<GLOB_Name, CSEP_Resource>;

    // A walk over one category; Puts into the cache do not disturb it.
    class Iterator {
    public:
        bool AtEnd() const { return m_at == m_end; }
        // A copy of the current entry, then the next one is current. Called
        // at the end it logs "No more elements remaining" as fatal.
        Entry Next();

    private:
        friend class CSEP_ResourceCache;
        Iterator(Map::const_iterator at, Map::const_iterator end) : m_at(at), m_end(end) {}

        Map::const_iterator m_at;
        Map::const_iterator m_end;
    };

    // Every category empty, every counter 0.
    CSEP_ResourceCache() = default;

    // The category's counter plus one, after the prefix in decimal: CS1,
    // CS2, … A new cache starts again at 1.
    GLOB_Name NewName(uint32_t category);
    // Stores a copy of resource under name, replacing what was there.
    void Put(uint32_t category, const GLOB_Name& name, const CSEP_Resource& resource);
    // True with a copy in *out (when out is not null) when name is stored.
    bool Find(uint32_t category, const GLOB_Name& name, CSEP_Resource* out) const;
    // The category's entries in ascending name order.
    Iterator Begin(uint32_t category) const;

    // Variants found by a key of their colour state, without copying the
    // record: the name of the variant of name filed under key, or an empty
    // name when there is none.
    GLOB_Name FindVariant(uint32_t category, const GLOB_Name& name, const std::string& key) const;
    // Appends the variant (state, newName) to name's record, made over
    // object when there is none, and files it under key.
    void AddVariant(uint32_t category, const GLOB_Name& name, const GLOB_Object& object, const std::string& key,
                    const CPDF_GraphicsState& state, const GLOB_Name& newName);

    // "CS", "gs", …, "Sh".
    static const char* Prefix(uint32_t category);

private:
    static uint32_t Checked(uint32_t category);

    Map m_resources[NumCategories];
    // Per category: the name and the key, joined by a zero byte.
    std::unordered_map<std::string, GLOB_Name> m_variants[NumCategories];
    uint32_t m_counters[NumCategories] = {};
};

#include "separation/CSEP_ResourceCache.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

#include <string>

CSEP_ResourceCache::Entry CSEP_ResourceCache::Iterator::Next() {
    if (AtEnd()) {
        GLIB_LOG(GLIB_LogFatal, "No more elements remaining");
        return Entry();
    }
    return *m_at++;
}

GLOB_Name CSEP_ResourceCache::NewName(uint32_t category) {
    const uint32_t count = ++m_counters[Checked(category)];
    return GLOB_Name((Prefix(category) + std::to_string(count)).c_str());
}

void CSEP_ResourceCache::Put(uint32_t category, const GLOB_Name& name, const CSEP_Resource& resource) {
    m_resources[Checked(category)][name] = resource;
}

bool CSEP_ResourceCache::Find(uint32_t category, const GLOB_Name& name, CSEP_Resource* out) const {
    const Map& map = m_resources[Checked(category)];
    const auto it = map.find(name);
    if (it == map.end())
        return false;
    if (out)
        *out = it->second;
    return true;
}

CSEP_ResourceCache::Iterator CSEP_ResourceCache::Begin(uint32_t category) const {
    const Map& map = m_resources[Checked(category)];
    return Iterator(map.begin(), map.end());
}

GLOB_Name CSEP_ResourceCache::FindVariant(uint32_t category, const GLOB_Name& name, const std::string& key) const {
    const auto& variants = m_variants[Checked(category)];
    const auto it = variants.find(name.CStr() + std::string(1, '\0') + key);
    return it == variants.end() ? GLOB_Name() : it->second;
}

void CSEP_ResourceCache::AddVariant(uint32_t category, const GLOB_Name& name, const GLOB_Object& object,
                                    const std::string& key, const CPDF_GraphicsState& state, const GLOB_Name& newName) {
    const auto at = m_resources[Checked(category)].emplace(name, CSEP_Resource(object));
    at.first->second.AddState(state, newName);
    m_variants[category][name.CStr() + std::string(1, '\0') + key] = newName;
}

const char* CSEP_ResourceCache::Prefix(uint32_t category) {
    static const char* const prefixes[NumCategories] = {"CS", "gs", "Fn", "Fm", "Im", "Ii", "Pt", "Sh"};
    return prefixes[Checked(category)];
}

uint32_t CSEP_ResourceCache::Checked(uint32_t category) {
    GLIB_ASSERT(category < NumCategories);
    // Kept in range for a handler that returns.
    return category < NumCategories ? category : 0;
}

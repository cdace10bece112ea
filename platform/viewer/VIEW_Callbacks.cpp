#include "viewer/VIEW_Callbacks.h"

#include "viewer/VIEW_HostError.h"

#include <string>
#include <vector>

namespace {

struct Entry {
    PDFL_ExtensionID m_owner;
    PDFL_Proc m_proc;
    bool m_live;
};

// Handle n is entry n - 1; handles are never reused, so a stale one is
// recognised.
std::vector<Entry>& Entries() {
    static std::vector<Entry> entries;
    return entries;
}

Entry& Find(PDFL_ASCallback callback, const char* use) {
    const uintptr_t handle = reinterpret_cast<uintptr_t>(callback);
    std::vector<Entry>& entries = Entries();
    if (handle == 0 || handle > entries.size())
        throw VIEW_AssertionFailure(std::string(use) + " of unknown callback " +
                                    std::to_string(handle));
    Entry& entry = entries[handle - 1];
    if (!entry.m_live)
        throw VIEW_AssertionFailure(std::string(use) + " of callback " + std::to_string(handle) +
                                    " after ASCallbackDestroy");
    return entry;
}

}  // namespace

PDFL_ASCallback VIEW_Callbacks::Create(PDFL_ExtensionID extension, PDFL_Proc proc) {
    if (!proc)
        throw VIEW_AssertionFailure("callback of a null procedure");
    Entries().push_back({extension, proc, true});
    return reinterpret_cast<PDFL_ASCallback>(static_cast<uintptr_t>(Entries().size()));
}

void VIEW_Callbacks::Destroy(PDFL_ASCallback callback) {
    Find(callback, "ASCallbackDestroy").m_live = false;
}

PDFL_Proc VIEW_Callbacks::Procedure(PDFL_ASCallback callback) {
    return Find(callback, "call").m_proc;
}

PDFL_ExtensionID VIEW_Callbacks::Owner(PDFL_ASCallback callback) {
    return Find(callback, "owner").m_owner;
}

size_t VIEW_Callbacks::LiveCount() {
    size_t count = 0;
    for (const Entry& entry : Entries())
        count += entry.m_live ? 1 : 0;
    return count;
}

size_t VIEW_Callbacks::LiveCountOf(PDFL_ExtensionID owner) {
    size_t count = 0;
    for (const Entry& entry : Entries())
        count += entry.m_live && entry.m_owner == owner ? 1 : 0;
    return count;
}

void VIEW_Callbacks::DropOwnedBy(PDFL_ExtensionID owner) {
    for (Entry& entry : Entries())
        if (entry.m_owner == owner)
            entry.m_live = false;
}

void VIEW_Callbacks::Reset() {
    Entries().clear();
}

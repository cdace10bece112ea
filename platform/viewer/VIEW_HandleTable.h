// Handles the stand-in hands out for its own objects (path names, files,
// streams): numbers into a table, never 0 and never reused, each kind in
// its own range so a handle of one kind passed as another is unknown. An
// unknown handle is answered with an error that names it, never a crash.
// Ranges in use: 0x57 windows, 0x58 streams, 0x59 POSIX files, 0x5A path
// names, 0x5B host files, 0x5C PD pages, 0x5D PD documents, 0x5E and up
// Cos documents (VIEW_CosHandles.h); page views 0x5000, document windows
// 0x6000.
#pragma once

#include "viewer/VIEW_HostError.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <type_traits>
#include <utility>

template <class Handle, class T>
class VIEW_HandleTable {
public:
    VIEW_HandleTable(const char* kind, uintptr_t first) : m_kind(kind), m_next(first) {}

    Handle Add(T value) {
        const uintptr_t number = m_next++;
        m_entries.emplace(number, std::move(value));
        return FromNumber(number);
    }
    // Null for a handle not in the table.
    T* Find(Handle handle) {
        const auto found = m_entries.find(ToNumber(handle));
        return found == m_entries.end() ? nullptr : &found->second;
    }
    // A VIEW_AssertionFailure for a handle not in the table.
    T& Get(Handle handle) {
        if (T* value = Find(handle))
            return *value;
        throw VIEW_AssertionFailure(Describe(handle) + " is not open");
    }
    // Takes the entry out; a VIEW_AssertionFailure when there is none.
    T Remove(Handle handle) {
        const auto found = m_entries.find(ToNumber(handle));
        if (found == m_entries.end())
            throw VIEW_AssertionFailure(Describe(handle) + " is not open");
        T value = std::move(found->second);
        m_entries.erase(found);
        return value;
    }
    size_t Size() const { return m_entries.size(); }
    std::map<uintptr_t, T>& Entries() { return m_entries; }
    // Numbers are not reused: a handle kept from before still reads unknown.
    void Clear() { m_entries.clear(); }

    std::string Describe(Handle handle) const {
        char number[32];
        std::snprintf(number, sizeof number, "0x%llx",
                      static_cast<unsigned long long>(ToNumber(handle)));
        return std::string(m_kind) + " " + number;
    }

private:
    static uintptr_t ToNumber(Handle handle) {
        if constexpr (std::is_pointer_v<Handle>)
            return reinterpret_cast<uintptr_t>(handle);
        else
            return static_cast<uintptr_t>(handle);
    }
    static Handle FromNumber(uintptr_t number) {
        if constexpr (std::is_pointer_v<Handle>)
            return reinterpret_cast<Handle>(number);
        else
            return static_cast<Handle>(number);
    }

    const char* m_kind;
    uintptr_t m_next;
    std::map<uintptr_t, T> m_entries;
};

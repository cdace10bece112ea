// Private base of handle classes whose core is allocated together with its
// count: copies share the core, the last handle deletes it.
#pragma once

#include "GLIB/GLIB_New.h"

#include <cstdint>
#include <utility>

template <class T>
class GLIB_RefCountPrivateBase {
public:
    GLIB_RefCountPrivateBase() : m_record(new (__LINE__, "GLIB_RefCountPrivateBase") Record()) {
        AddRef();
    }
    GLIB_RefCountPrivateBase(const GLIB_RefCountPrivateBase& other) : m_record(other.m_record) {
        AddRef();
    }
    GLIB_RefCountPrivateBase& operator=(const GLIB_RefCountPrivateBase& other) {
        if (m_record != other.m_record) {
            // Counted before ours goes: other may live inside the core we release.
            GLIB_RefCountPrivateBase keep(other);
            std::swap(m_record, keep.m_record);
        }
        return *this;
    }
    ~GLIB_RefCountPrivateBase() { Release(); }

protected:
    // A core built from arguments instead of by default.
    template <class... Args>
    explicit GLIB_RefCountPrivateBase(std::in_place_t, Args&&... args)
        : m_record(new (__LINE__, "GLIB_RefCountPrivateBase") Record{T(std::forward<Args>(args)...), 0}) {
        AddRef();
    }

    T& Core() const { return m_record->core; }
    int32_t RefCount() const { return m_record ? m_record->count : 0; }
    bool SameCore(const GLIB_RefCountPrivateBase& other) const { return m_record == other.m_record; }

    void AddRef() {
        if (m_record)
            ++m_record->count;
    }
    void Release() {
        if (m_record && --m_record->count <= 0)
            delete m_record;
        m_record = nullptr;
    }

private:
    struct Record {
        T core{};
        int32_t count = 0;
    };
    Record* m_record;
};

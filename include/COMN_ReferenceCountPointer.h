// Shared ownership through a separately allocated counter. The counter owns
// the object; the last handle deletes both. Not thread-safe by design.
#pragma once

#include "GLIB/GLIB_New.h"

#include <cstdint>
#include <utility>

template <class T>
class COMN_ReferenceCountPointer {
public:
    struct Counter {
        int32_t count;
        T* object;
        ~Counter() { delete object; }
    };

    COMN_ReferenceCountPointer() = default;
    // Takes ownership of object; null gives a null handle.
    COMN_ReferenceCountPointer(T* object) { Take(object); }
    COMN_ReferenceCountPointer(const COMN_ReferenceCountPointer& other) : m_counter(other.m_counter) {
        AddRef();
    }
    ~COMN_ReferenceCountPointer() { Release(); }

    COMN_ReferenceCountPointer& operator=(const COMN_ReferenceCountPointer& other) {
        if (m_counter != other.m_counter) {
            // Counted before ours goes: other may live inside the object we
            // release (node = node->next).
            COMN_ReferenceCountPointer keep(other);
            std::swap(m_counter, keep.m_counter);
        }
        return *this;
    }
    COMN_ReferenceCountPointer& operator=(T* object) {
        if (!m_counter || m_counter->object != object) {
            Release();
            Take(object);
        }
        return *this;
    }

    T* get() const { return m_counter ? m_counter->object : nullptr; }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    bool isNull() const { return m_counter == nullptr; }
    int32_t RefCount() const { return m_counter ? m_counter->count : 0; }

private:
    void Take(T* object) {
        m_counter = nullptr;
        if (object) {
            m_counter = new (__LINE__, "COMN_ReferenceCountPointer") Counter{0, object};
            AddRef();
        }
    }
    void AddRef() {
        if (m_counter)
            ++m_counter->count;
    }
    void Release() {
        if (m_counter && --m_counter->count <= 0)
            delete m_counter;
        m_counter = nullptr;
    }

    Counter* m_counter = nullptr;
};

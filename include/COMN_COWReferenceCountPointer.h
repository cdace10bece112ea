// Shared ownership with copy-on-write: reading never copies; Mutable() first
// gives this handle its own copy when the object is shared (or unshareable).
#pragma once

#include "GLIB/GLIB_New.h"

#include <cstdint>
#include <utility>

template <class T>
class COMN_COWReferenceCountPointer {
public:
    COMN_COWReferenceCountPointer() = default;
    // Takes ownership of object; null gives a null handle.
    COMN_COWReferenceCountPointer(T* object) { Take(object); }
    COMN_COWReferenceCountPointer(const COMN_COWReferenceCountPointer& other) : m_holder(other.m_holder) {
        AddRef();
        if (m_holder && !m_holder->shareable) {
            // No destructor runs for a constructor that throws: give the count back.
            try {
                Detach(true);
            } catch (...) {
                Release();
                throw;
            }
        }
    }
    ~COMN_COWReferenceCountPointer() { Release(); }

    COMN_COWReferenceCountPointer& operator=(const COMN_COWReferenceCountPointer& other) {
        if (m_holder != other.m_holder) {
            // Copied before ours goes: other may live inside the object we
            // release, and a failed copy leaves this handle as it was.
            COMN_COWReferenceCountPointer keep(other);
            std::swap(m_holder, keep.m_holder);
        }
        return *this;
    }

    const T* get() const { return m_holder ? m_holder->object : nullptr; }
    const T* operator->() const { return get(); }
    const T& operator*() const { return *get(); }
    bool isNull() const { return m_holder == nullptr; }
    int32_t RefCount() const { return m_holder ? m_holder->count : 0; }

    // The object, after detaching it from other handles.
    T* Mutable() {
        Detach(false);
        return m_holder ? m_holder->object : nullptr;
    }
    // A holder that hands out a pointer for writing can no longer be shared:
    // later copies detach at once.
    void MarkUnshareable() {
        Detach(false);
        if (m_holder)
            m_holder->shareable = false;
    }
    // Copies the object when it is shared with another handle, or when forced.
    void Detach(bool force) {
        if (!m_holder || (m_holder->count <= 1 && !force))
            return;
        Holder* copy = new (__LINE__, "COMN_COWReferenceCountPointer")
            Holder{0, true, new (__LINE__, "COMN_COWReferenceCountPointer") T(*m_holder->object)};
        Release();
        m_holder = copy;
        AddRef();
    }

private:
    struct Holder {
        int32_t count;
        bool shareable;
        T* object;
        ~Holder() { delete object; }
    };

    void Take(T* object) {
        m_holder = nullptr;
        if (object) {
            m_holder = new (__LINE__, "COMN_COWReferenceCountPointer") Holder{0, true, object};
            AddRef();
        }
    }
    void AddRef() {
        if (m_holder)
            ++m_holder->count;
    }
    void Release() {
        if (m_holder && --m_holder->count < 1)
            delete m_holder;
        m_holder = nullptr;
    }

    Holder* m_holder = nullptr;
};

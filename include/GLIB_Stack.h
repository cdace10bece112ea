// A growable stack of values (the operand stack of the PDF parser, the save
// and path stacks of the content model). Elements are stored in push order,
// top last. A full stack grows by its increment or doubles, whichever is more:
// a fixed step alone copies every element once per step, which made a
// million-operand content stream quadratic.
#pragma once

#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

template <class T>
class GLIB_Stack {
public:
    static constexpr uint32_t GrowthIncrement = 32;

    explicit GLIB_Stack(size_t initialCapacity = GrowthIncrement) { Reserve(initialCapacity); }
    // A copy has the source's capacity and copies of its elements.
    GLIB_Stack(const GLIB_Stack& other) {
        Reserve(other.Capacity());
        try {
            for (size_t i = 0; i < other.Size(); ++i)
                Push(other[i]);
        } catch (...) {
            Pop(Size());
            ::operator delete(m_first);
            throw;
        }
    }
    GLIB_Stack& operator=(const GLIB_Stack&) = delete;
    ~GLIB_Stack() {
        Pop(Size());
        ::operator delete(m_first);
    }

    void Push(const T& value) {
        if (m_last < m_end) {
            new (m_last) T(value);
        } else {
            T aside(value);  // value may live in this stack
            Reserve(Size() + std::max<size_t>(m_increment, Size()));
            new (m_last) T(std::move(aside));
        }
        ++m_last;
    }
    // Destroys the top n elements; n never exceeds Size().
    void Pop(size_t n) {
        T* newLast = m_last - n;
        for (T* p = newLast; p < m_last; ++p)
            p->~T();
        m_last = newLast;
    }
    void Reserve(size_t n) {
        T* fresh = static_cast<T*>(::operator new(n * sizeof(T), __LINE__, "GLIB_Stack"));
        size_t copied = 0;
        try {
            for (; copied < Size(); ++copied)
                new (fresh + copied) T(m_first[copied]);
        } catch (...) {
            for (size_t i = 0; i < copied; ++i)
                fresh[i].~T();
            ::operator delete(fresh);
            throw;
        }
        const size_t count = Size();
        Pop(count);
        ::operator delete(m_first);
        m_first = fresh;
        m_last = fresh + count;
        m_end = fresh + n;
    }

// GCC 12 takes a read of the members after Reserve for a read of the block
// Reserve freed (a false positive once both are inlined into a loop).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif
    size_t Size() const { return static_cast<size_t>(m_last - m_first); }
    size_t Capacity() const { return static_cast<size_t>(m_end - m_first); }
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif
    bool Empty() const { return m_last == m_first; }
    // Element i counted from the bottom; Top(k) counts from the top.
    T& operator[](size_t i) { return m_first[i]; }
    const T& operator[](size_t i) const { return m_first[i]; }
    T& Top(size_t k = 0) { return m_last[-1 - static_cast<ptrdiff_t>(k)]; }
    const T& Top(size_t k = 0) const { return m_last[-1 - static_cast<ptrdiff_t>(k)]; }

private:
    T* m_first = nullptr;
    T* m_last = nullptr;
    T* m_end = nullptr;
    uint32_t m_increment = GrowthIncrement;
};

// The value of a PDF array: a sequence of object handles held by a counted
// copy-on-write core. Not tied to a document. A GLOB_Array taken from an
// array object is a snapshot; changes reach the object only through the
// back-end. Positions run from 0 to Length - 1 without gaps; a position where
// nothing was stored holds a Null object.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <vector>

class GLOB_Array {
public:
    // length Null objects of the memory document.
    explicit GLOB_Array(uint32_t length = 0);
    GLOB_Array(const GLOB_Array& other);
    GLOB_Array& operator=(const GLOB_Array& other);
    ~GLOB_Array();

    uint32_t Length() const;
    // A copy of element index; an index at or past Length throws
    // GLIB_Exception 1125003.
    GLOB_Object Get(uint32_t index) const;
    // Sets element index; past the end the array is first extended with
    // Null objects, so that Length becomes index + 1.
    void Put(uint32_t index, const GLOB_Object& value);
    // Inserts before index; at or past the end it appends.
    void Insert(uint32_t index, const GLOB_Object& value);
    // Removes element index; nothing past the end.
    void Remove(uint32_t index);

    // Same length and deeply equal elements in order.
    bool IsDeepEqual(const GLOB_Array& other) const;
    // A value with a core of its own, made as a direct array of the memory
    // document (elements of other back-ends are copied in).
    GLOB_Array Copy() const;

private:
    struct Core {
        uint32_t m_count;
        std::vector<GLOB_Object> m_elements;
        uint32_t RefCount() const { return m_count; }
    };

    void Detach();
    void Release();

    Core* m_arrayCore;
};

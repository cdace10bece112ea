// A Cos object of the viewer stand-in: two 32-bit words of table indexes
// (the document's id and the entry's index in that document's table), never
// a pointer, so a stale object is answered with an error, not a crash.
#pragma once

#include <cstdint>

using VCOS_DocId = uint32_t;  // 0 is no document

struct VCOS_Obj {
    uint32_t m_doc = 0;    // id of the document whose table holds the entry
    uint32_t m_index = 0;  // index in that table; {0, 0} is the Null object

    bool IsNullHandle() const { return m_doc == 0 && m_index == 0; }
    friend bool operator==(VCOS_Obj a, VCOS_Obj b) { return a.m_doc == b.m_doc && a.m_index == b.m_index; }
    friend bool operator!=(VCOS_Obj a, VCOS_Obj b) { return !(a == b); }
};

inline constexpr VCOS_Obj VCOS_NullObj{};

// Deepest nesting of direct containers that the store compares, copies or
// writes; a direct container put into itself reaches it instead of the stack's end.
inline constexpr int VCOS_MaxDepth = 500;

// Most elements an array may be given at once (new array, put past the end).
inline constexpr uint32_t VCOS_MaxArrayLength = 1u << 24;

// The host's Cos types, in the host's numbering.
enum class VCOS_Type : int32_t {
    Null = 0,
    Integer = 1,
    Real = 2,
    Boolean = 3,
    Name = 4,
    String = 5,
    Dict = 6,
    Array = 7,
    Stream = 8,
};

// The stand-in's Cos handles as the plug-in sees them, one conversion pair
// per kind:
// - a Cos object is the store's two words, the document's id in word 0 and
//   the table index in word 1, so {0, 0} is the Null object;
// - a Cos document is CosDocBase + the store's id, never 0;
// - a name is an atom of its bytes.
#pragma once

#include "viewer/cos/VCOS_Object.h"
#include "viewer/host_api.h"

#include <cstdint>
#include <string>

inline constexpr uintptr_t VIEW_CosDocBase = 0x5E000000;

inline VCOS_Obj VIEW_ObjFromCos(PDFL_CosObj obj) { return VCOS_Obj{obj.m_word0, obj.m_word1}; }
inline PDFL_CosObj VIEW_CosFromObj(VCOS_Obj obj) { return PDFL_CosObj{obj.m_doc, obj.m_index}; }

// 0 (no document) for a null handle or one the stand-in never gave.
inline VCOS_DocId VIEW_DocIdFromCosDoc(PDFL_CosDoc doc) {
    const auto number = reinterpret_cast<uintptr_t>(doc);
    return number > VIEW_CosDocBase && number - VIEW_CosDocBase <= UINT32_MAX
               ? static_cast<VCOS_DocId>(number - VIEW_CosDocBase)
               : 0;
}
// A null handle for 0.
inline PDFL_CosDoc VIEW_CosDocFromDocId(VCOS_DocId id) {
    return id == 0 ? nullptr : reinterpret_cast<PDFL_CosDoc>(VIEW_CosDocBase + id);
}

// The bytes of a name from its atom; an atom never given is a
// VIEW_AssertionFailure.
std::string VIEW_NameFromAtom(PDFL_ASAtom atom);
// The atom of a name; a name holding a zero byte has none (VCOS_Error
// BadObject).
PDFL_ASAtom VIEW_AtomFromName(const std::string& name);

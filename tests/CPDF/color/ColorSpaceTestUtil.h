// Shorthands shared by the colour-space tests.
#pragma once

#include "CPDF/CPDF_TestUtil.h"
#include "CPDF/color/CPDF_ColorSpace.h"

#include <string>
#include <vector>

// [/ICCBased stream] in doc, the stream holding profile under the entries of
// dict (raw bytes the back-end encodes through a /Filter of dict).
inline GLOB_Object IccSpace(const GLOB_Doc& doc, const char* dict, const std::string& profile = "") {
    const GLOB_Object array = doc.NewArray(2);
    array.ArrayPut(0, doc.NewName(GLOB_Name("ICCBased")));
    array.ArrayPut(1, StoreStream(doc, profile, dict));
    return array;
}

// An indirect array of doc whose element `self` is the array itself; the
// other elements come from text, parsed.
inline GLOB_Object SelfReferring(const GLOB_Doc& doc, const char* text, uint32_t self) {
    const GLOB_Object array = doc.MakeCosObj(doc.ParseObject(text), 0x01);
    array.ArrayPut(self, array);
    return array;
}

inline std::vector<std::string> Names(const std::vector<CPDF_Colorant>& colorants) {
    std::vector<std::string> names;
    for (const CPDF_Colorant& c : colorants)
        names.push_back(c.CStr() ? c.CStr() : "<empty>");
    return names;
}

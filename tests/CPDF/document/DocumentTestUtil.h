// Shorthands shared by the document-model tests.
#pragma once

#include "CPDF/CPDF_TestUtil.h"
#include "GLIB/GLIB_Geometry.h"

#include <sstream>
#include <string>
#include <vector>

// Objects written in PDF syntax in doc, the first's "Parent" the second,
// the second's the third, and so on; returns the first.
inline GLOB_Object Chain(const GLOB_Doc& doc, const std::vector<std::string>& texts) {
    std::vector<GLOB_Object> objects;
    for (const std::string& text : texts)
        objects.push_back(doc.ParseObject(text.c_str()));
    for (size_t i = 0; i + 1 < objects.size(); ++i)
        objects[i].PutPath("Parent", objects[i + 1]);
    return objects.front();
}

inline std::string RectText(const GLIB_Rect& r) {
    std::ostringstream os;
    os << r.Llx() << " " << r.Lly() << " " << r.Urx() << " " << r.Ury();
    return os.str();
}

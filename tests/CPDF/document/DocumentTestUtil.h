// Shorthands shared by the document-model tests.
#pragma once

#include "CPDF/CPDF_TestUtil.h"
#include "CPDF/document/CPDF_Doc.h"
#include "CPDF/document/CPDF_MemoryImpl.h"

#include <string>
#include <vector>

// An open memory document with an empty page tree.
inline CPDF_Doc NewPageDoc() {
    CPDF_Doc doc = CPDF_MemoryImpl::Make();
    doc.Create();
    return doc;
}

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

// Gives every kid below node its "Parent".
inline void SetParents(const GLOB_Object& node) {
    const GLOB_Object kids = node.IsDict() ? node.GetPath("Kids") : GLOB_Object();
    if (!kids.IsArray())
        return;
    for (uint32_t i = 0; i < kids.Length(); ++i) {
        const GLOB_Object kid = kids.Get(i);
        if (kid.IsDict()) {
            kid.PutPath("Parent", node);
            SetParents(kid);
        }
    }
}

// The document with a root Pages node written in PDF syntax (Parents set),
// or without "Pages" for null.
inline CPDF_Doc DocWithTree(const char* root) {
    CPDF_Doc doc = NewPageDoc();
    if (!root) {
        doc.Root().RemovePath("Pages");
        return doc;
    }
    const GLOB_Object pages = doc.ParseObject(root);
    SetParents(pages);
    doc.CatalogPut("Pages", pages);
    return doc;
}

// PDF objects written as text, for the readers of the content model, which
// need what ParseObject refuses: streams (type 0 and 4 functions, lookup
// tables, ICC profiles, meshes, images) and references ("R"), through which
// objects meet themselves.
//
// The text is cut at every "endobj" into at most MaxObjects object texts,
// each made one object of the document:
//   - a text holding "stream" is a Stream: the dictionary written before the
//     keyword, the data after it and its end of line, up to the end of line
//     before "endstream" or to the end of the text, stored as given, so
//     that its /Filter decodes it when read;
//   - any other text is one object (ParseObject), a dictionary or array made
//     indirect;
//   - a text that does not parse gives a Null.
// In every dictionary and array, and in direct ones inside them, the name
// /@n stands for object n (0 the first): the objects are made first and the
// names replaced after, so a reference may point forward, backward or to
// the object itself.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <cstddef>
#include <string>
#include <vector>

class FUZZ_Objects {
public:
    static constexpr size_t MaxObjects = 16;

    // The objects of text in doc. Exceptions other than the object model's
    // parse errors pass through.
    FUZZ_Objects(const GLOB_Doc& doc, const std::string& text);

    const std::vector<GLOB_Object>& Objects() const { return m_objects; }

    // The text of objects for seeds: each followed by "\nendobj\n"; a
    // stream's dictionary and data joined by "\nstream\n".
    static std::string Text(const std::vector<std::string>& objects);
    static std::string Stream(const std::string& dict, const std::string& data);

private:
    GLOB_Object Make(const GLOB_Doc& doc, const std::string& text) const;
    // Replaces each /@n inside container, and inside direct containers in it.
    void Resolve(const GLOB_Object& container) const;
    // The object a name stands for, or false.
    bool Referred(const GLOB_Object& value, GLOB_Object* out) const;

    std::vector<GLOB_Object> m_objects;
};

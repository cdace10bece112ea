// The forms in which validation messages write object-model values:
//   collector.Stream() << "found " << iCPDF_TypeOf(value);     // "Integer"
//   collector.Stream() << "found " << iCPDF_NameText{name};    // Spot
//   collector.Stream() << "found " << iCPDF_SyntaxOf{value};   // /Spot, [ 1 2 ]
#pragma once

#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <ostream>

// GLOB_Object::TypeString of the object's kind.
inline const char* iCPDF_TypeOf(const GLOB_Object& object) { return GLOB_Object::TypeString(object.Type()); }

// A name's characters, nothing for the empty name.
struct iCPDF_NameText {
    const GLOB_Name& m_name;
};

inline std::ostream& operator<<(std::ostream& os, const iCPDF_NameText& text) { return text.m_name.Print(os); }

// The object in the object model's PDF-like text (GLOB_Object::Print).
struct iCPDF_SyntaxOf {
    const GLOB_Object& m_object;
};

inline std::ostream& operator<<(std::ostream& os, const iCPDF_SyntaxOf& text) { return text.m_object.Print(os); }

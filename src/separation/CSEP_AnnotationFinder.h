// Finds the annotations of a page that print. The engine separates the
// page's content only: an annotation's appearance is on no ink's page, so
// the page separator says once per page that the plates lack them.
//
// Printable here: an entry of the page's "Annots" that is a dictionary whose
// "F" has the Print flag (bit 3) and not the Hidden flag (bit 2), and whose
// "Rect" has an area (a zero-sized one, such as an invisible signature
// field, paints nothing). Malformed entries print nothing and fail nothing.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <string>

class CSEP_AnnotationFinder {
public:
    // The subtype of the page's first printable annotation ("Square"), "?"
    // when it has none; empty when no annotation of the page prints.
    static std::string FirstPrintable(const GLOB_Object& page);

    // Logs the warning "has printable annotations (the first /<subtype>)
    // that are not separated: its plates lack them" when the page has one
    // (the program prints it after the page's name).
    static void WarnFor(const GLOB_Object& page);
};

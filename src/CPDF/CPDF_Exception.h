// The content model's exception family and its codes. Every code below is
// thrown only as a CPDF_Exception, so a handler that tests a code catches
// this family alone: the object model's plain GLIB_Exceptions (a wrong kind
// 1151006, an index past the end 1125003, nesting 1151004) and the
// separation engine's cancel (a plain GLIB_Exception 1128003) pass through
// such a handler untouched.
#pragma once

#include "GLIB/GLIB_Exception.h"

#include <cstdint>
#include <string>

struct Tag_CPDF_Exception {};
using CPDF_Exception = GLIB_DerivedException<Tag_CPDF_Exception>;

// The block 1128001 to 1128026 is shared with the separation engine.
enum : uint32_t {
    CPDF_InvalidColorCode = 1128002,        // a colour array
    CPDF_InvalidColorSpaceCode = 1128003,   // a colour space
    CPDF_InvalidPageCode = 1128004,         // page or resource structure
    CPDF_InvalidIntervalCode = 1128005,     // an interval set or decode array
    CPDF_InvalidFunctionCode = 1128007,     // a function object
    CPDF_InvalidImageCode = 1128008,        // image parameters or dictionary
    CPDF_MissingContentsCode = 1128009,     // a page without content streams
    CPDF_InvalidShadingCode = 1128011,      // a shading dictionary or stream, an Extend array
    CPDF_PSStackUnderflowCode = 1128016,    // PostScript calculator: too few operands or results
    CPDF_PSStackOverflowCode = 1128017,
    CPDF_PSHaltCode = 1128018,
    CPDF_PSTypeCheckCode = 1128019,
    CPDF_PSArithmeticCode = 1128021,
    CPDF_InvalidDocumentCode = 1128023,     // page tree, catalog, copying into itself
    CPDF_InlineImageStreamCode = 1128025,   // an inline image's data asked for twice
    CPDF_NoPageDocumentCode = 1128026,      // no page-level document behind an object-model one
    CPDF_MeshDataEndCode = 1128028,         // "Premature end of mesh data"
    CPDF_GraphicsStateUnderflowCode = 1128031,  // a written clip that no saved state can restore
};

// The ending of every constructor that validates: throws a CPDF_Exception
// with code whose developer message is the validator's lines.
[[noreturn]] void CPDF_ThrowInvalid(uint32_t code, const std::string& lines, const char* file, int32_t line);

#define CPDF_THROW_INVALID(code, lines) CPDF_ThrowInvalid((code), (lines), __FILE__, __LINE__)

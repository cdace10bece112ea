// The one road from an object that may not be a colour space to a space or a
// message, for the validators that report a bad space instead of throwing.
// Only CPDF_Exception 1128003 (a malformed space, one nested too deep) is
// caught: a cancel or any other fault still passes through.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"

#include <string>

// Builds the space of object into *out and returns true; when that throws
// 1128003, returns false with the exception's text in *text (when not null)
// and *out untouched.
bool iCPDF_TryColorSpace(const GLOB_Object& object, CPDF_ColorSpace* out, std::string* text = nullptr);

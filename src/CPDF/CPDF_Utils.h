// Free functions shared by the content model: tests on painting operators,
// the push of a point to the edge of the coordinate range, rectangles and
// matrices as PDF arrays, the validator of numeric arrays, and the linear
// remap of function evaluation, the reader of an optional entry. None holds
// state.
#pragma once

#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <string>

namespace CPDF_Utils {

// The coordinate range that ExtendToLimits pushes to.
constexpr double MaxCoordinate = 32767.0;
constexpr double MinCoordinate = -32768.0;

// op is a code of the content parser's operator table. Fill: b B b* B* f F
// f*. Stroke: b B b* B* s S.
bool IsFillOperator(int op);
bool IsStrokeOperator(int op);

// Each axis alone: a positive direction gives MaxCoordinate, a negative one
// or NaN MinCoordinate, zero keeps p's coordinate.
GLIB_Point ExtendToLimits(const GLIB_Point& p, const GLIB_Point& direction);

// New direct arrays of direct Reals in doc: [llx lly urx ury], [a b c d e f].
GLOB_Object MakeRectObject(const GLOB_Doc& doc, const GLIB_Rect& r);
GLOB_Object MakeMatrixObject(const GLOB_Doc& doc, const GLIB_Matrix& m);
// Read in array order, Integers converted, corners not normalised. Assert an
// Array of length 4 (6); callers check the elements first with IsRect or
// IsValidNumberArray.
GLIB_Rect RectFromObject(const GLOB_Object& rectObj);
GLIB_Matrix MatrixFromObject(const GLOB_Object& matrixObj);
// An Array of four Integers or Reals; writes no message.
bool IsRect(const GLOB_Object& object);

// The object's PDF-like text (GLOB_Object::Print), for messages.
std::string ObjectText(const GLOB_Object& object);

// Validator (iCPDF_ValidationMessage convention) of an Array of Integers and
// Reals; length -1 takes any length. Messages: "Expected type Array, found
// <type>" (then stops), "Expected Array of length <n>, found <length>"
// (then stops), and "Expected array entry <i> to be a number, found <type>"
// for every bad element.
bool IsValidNumberArray(const GLOB_Object& object, int length, std::string* messages);

// Maps count values spaced stride apart from [xmin xmax] to [ymin ymax] in
// place: v := (v - xmin) * ((ymax - ymin) / (xmax - xmin)) + ymin, the scale
// computed first. Outside values are extrapolated; xmin = xmax gives
// infinities or NaN. Nothing changes unless count and stride are positive.
void LinearRemap(double* values, double xmin, double xmax, double ymin, double ymax, int count, int stride);

// The accessors of optional entries: whether dict holds key; when it does
// and out is not null, *out = read(value). What read throws passes.
template <class T, class Read>
bool ReadEntry(const GLOB_Object& dict, const char* key, T* out, Read read) {
    GLOB_Object value;
    if (!dict.Known(GLOB_Name(key), &value))
        return false;
    if (out)
        *out = read(value);
    return true;
}

}  // namespace CPDF_Utils

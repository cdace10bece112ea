#include "CPDF/CPDF_Utils.h"

#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

#include <cmath>
#include <cstdint>
#include <sstream>

namespace {

// Codes of the content parser's operator table.
enum : int { Op_b = 0, Op_B = 1, Op_bStar = 2, Op_BStar = 3, Op_f = 22, Op_F = 23, Op_fStar = 24, Op_s = 47,
             Op_S = 48 };

double Extend(double coordinate, double direction) {
    if (direction > 0)
        return CPDF_Utils::MaxCoordinate;
    if (direction < 0 || std::isnan(direction))
        return CPDF_Utils::MinCoordinate;
    return coordinate;
}

GLOB_Object MakeRealArray(const GLOB_Doc& doc, const double* values, uint32_t n) {
    GLOB_Object array = doc.NewArray(n, false);
    for (uint32_t i = 0; i < n; ++i)
        array.ArrayPut(i, doc.NewReal(values[i], false));
    return array;
}

}  // namespace

bool CPDF_Utils::IsFillOperator(int op) {
    return op == Op_b || op == Op_B || op == Op_bStar || op == Op_BStar || op == Op_f || op == Op_F || op == Op_fStar;
}

bool CPDF_Utils::IsStrokeOperator(int op) {
    return op == Op_b || op == Op_B || op == Op_bStar || op == Op_BStar || op == Op_s || op == Op_S;
}

GLIB_Point CPDF_Utils::ExtendToLimits(const GLIB_Point& p, const GLIB_Point& direction) {
    return GLIB_Point(Extend(p.X(), direction.X()), Extend(p.Y(), direction.Y()));
}

GLOB_Object CPDF_Utils::MakeRectObject(const GLOB_Doc& doc, const GLIB_Rect& r) {
    const double values[] = {r.Llx(), r.Lly(), r.Urx(), r.Ury()};
    return MakeRealArray(doc, values, 4);
}

GLOB_Object CPDF_Utils::MakeMatrixObject(const GLOB_Doc& doc, const GLIB_Matrix& m) {
    const double values[] = {m.A(), m.B(), m.C(), m.D(), m.E(), m.F()};
    return MakeRealArray(doc, values, 6);
}

GLIB_Rect CPDF_Utils::RectFromObject(const GLOB_Object& rectObj) {
    GLIB_ASSERT(rectObj.IsArray());
    GLIB_ASSERT(rectObj.Length() == 4);
    return GLIB_Rect(rectObj.Get(0).AsNumber(), rectObj.Get(1).AsNumber(), rectObj.Get(2).AsNumber(),
                     rectObj.Get(3).AsNumber());
}

GLIB_Matrix CPDF_Utils::MatrixFromObject(const GLOB_Object& matrixObj) {
    GLIB_ASSERT(matrixObj.IsArray());
    GLIB_ASSERT(matrixObj.Length() == 6);
    return GLIB_Matrix(matrixObj.Get(0).AsNumber(), matrixObj.Get(1).AsNumber(), matrixObj.Get(2).AsNumber(),
                       matrixObj.Get(3).AsNumber(), matrixObj.Get(4).AsNumber(), matrixObj.Get(5).AsNumber());
}

bool CPDF_Utils::IsRect(const GLOB_Object& object) { return IsValidNumberArray(object, 4, nullptr); }

std::string CPDF_Utils::ObjectText(const GLOB_Object& object) {
    std::ostringstream os;
    object.Print(os);
    return os.str();
}

bool CPDF_Utils::IsValidNumberArray(const GLOB_Object& object, int length, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!object.IsArray()) {
        collector.Stream() << "Expected type Array, found " << GLOB_Object::TypeString(object.Type());
        return false;
    }
    const uint32_t n = object.Length();
    if (length >= 0 && n != static_cast<uint32_t>(length)) {
        collector.Stream() << "Expected Array of length " << length << ", found " << n;
        return false;
    }
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object element = object.Get(i);
        if (!element.IsNumber())
            collector.Stream() << "Expected array entry " << i << " to be a number, found "
                               << GLOB_Object::TypeString(element.Type());
    }
    return collector.IsValid();
}

void CPDF_Utils::LinearRemap(double* values, double xmin, double xmax, double ymin, double ymax, int count,
                             int stride) {
    if (count <= 0 || stride <= 0)
        return;
    const int64_t end = static_cast<int64_t>(count) * stride;
    const double scale = (ymax - ymin) / (xmax - xmin);
    for (int64_t i = 0; i < end; i += stride)
        values[i] = (values[i] - xmin) * scale + ymin;
}

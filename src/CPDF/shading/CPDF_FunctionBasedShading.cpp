#include "CPDF/shading/CPDF_FunctionBasedShading.h"

#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

namespace {

// [x0 x1 y0 y1] and the rectangle (x0, y0)-(x1, y1) into each other.
GLIB_Rect SwapMiddle(const GLIB_Rect& r) { return GLIB_Rect(r.Llx(), r.Urx(), r.Lly(), r.Ury()); }

}  // namespace

const GLOB_Name CPDF_FunctionBasedShading::ShadingName("FunctionBased");

CPDF_FunctionBasedShading::CPDF_FunctionBasedShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_FunctionBasedShading::CPDF_FunctionBasedShading(const GLOB_Doc& doc, const CPDF_ColorSpace& cSpace,
                                                     const GLOB_Object& function, const GLIB_Rect& domain) {
    GLIB_ASSERT(IsValidColorSpace( cSpace ));
    const GLOB_Object dict = doc.NewDict(4, true);
    dict.DictPut(GLOB_Name("ShadingType"), doc.NewInteger(1));
    dict.DictPut(GLOB_Name("ColorSpace"), cSpace.MakeObject(&doc));
    dict.DictPut(GLOB_Name("Function"), doc.Copy(function, false));
    dict.DictPut(GLOB_Name("Domain"), CPDF_Utils::MakeRectObject(doc, SwapMiddle(domain)));
    SetObject(dict);
}

GLIB_Rect CPDF_FunctionBasedShading::BoundingBox() const {
    GLIB_Rect box = Domain();
    box.Transform(Matrix());
    box.Normalize();
    return box;
}

bool CPDF_FunctionBasedShading::Domain(GLIB_Rect* out) const {
    return CPDF_Utils::ReadEntry(Object(), "Domain", out, [](const GLOB_Object& value) {
        return SwapMiddle(CPDF_Utils::RectFromObject(value));
    });
}

bool CPDF_FunctionBasedShading::Matrix(GLIB_Matrix* out) const {
    return CPDF_Utils::ReadEntry(Object(), "Matrix", out, CPDF_Utils::MatrixFromObject);
}

GLIB_Rect CPDF_FunctionBasedShading::Domain() const {
    GLIB_Rect domain(0, 0, 1, 1);
    Domain(&domain);
    return domain;
}

GLIB_Matrix CPDF_FunctionBasedShading::Matrix() const {
    GLIB_Matrix matrix;
    Matrix(&matrix);
    return matrix;
}

void CPDF_FunctionBasedShading::SetDomain(const GLIB_Rect& domain) {
    Put("Domain", CPDF_Utils::MakeRectObject(Object().Doc(), SwapMiddle(domain)));
}

void CPDF_FunctionBasedShading::SetMatrix(const GLIB_Matrix& matrix) {
    Put("Matrix", CPDF_Utils::MakeMatrixObject(Object().Doc(), matrix));
}

bool CPDF_FunctionBasedShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckCommon(shading, 1, collector))
        return false;
    CheckNumberArray(shading, "Domain", 4, "Shading has invalid Domain: ", collector);
    CheckNumberArray(shading, "Matrix", 6, "Shading has invalid Matrix: ", collector);
    if (!shading.Known(GLOB_Name("Function")))
        collector.Stream() << "FunctionBasedShading missing Function entry.";
    return collector.IsValid();
}

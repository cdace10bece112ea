#include "CPDF/color/iCPDF_TryColorSpace.h"

#include "CPDF/CPDF_Exception.h"

bool iCPDF_TryColorSpace(const GLOB_Object& object, CPDF_ColorSpace* out, std::string* text) {
    try {
        *out = CPDF_ColorSpace(object);
    } catch (const CPDF_Exception& e) {
        if (e.Code() != CPDF_InvalidColorSpaceCode)
            throw;
        if (text)
            *text = e.What();
        return false;
    }
    return true;
}

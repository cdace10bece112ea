#include "separation/CSEP_SepNoneConverter.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "GLIB/GLIB_Assert.h"

void CSEP_SepNoneConverter::ConvertColorSpace(const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT(colorSpace.IsSeparation());
    GLIB_ASSERT(colorSpace.AsSeparation().Colorant() == CPDF_Colorant("None"));
}

void CSEP_SepNoneConverter::ConvertColor(const CPDF_Color&, CPDF_Color&) {}

void CSEP_SepNoneConverter::ConvertImage(const GLOB_Object&, std::vector<GLOB_Object>& out) {
    Distribute({}, {}, [&] { return MakeEmptyForm(); }, out);
}

void CSEP_SepNoneConverter::ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) {
    const unsigned s = space.NumSamples();
    Distribute({}, {}, [&] { return MakeIndexedStandIn(s); }, out);
}

void CSEP_SepNoneConverter::ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) {
    Distribute({}, {}, [&] { return MakeConstantShading(shading); }, out);
}

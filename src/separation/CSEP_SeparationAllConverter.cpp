#include "separation/CSEP_SeparationAllConverter.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "GLIB/GLIB_Assert.h"

void CSEP_SeparationAllConverter::ConvertColorSpace(const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT(colorSpace.IsSeparation());
    GLIB_ASSERT(colorSpace.AsSeparation().Colorant() == CPDF_Colorant("All"));
}

void CSEP_SeparationAllConverter::ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) {
    CheckColors(color, 1, pressColor, 0);
    for (unsigned i = 0; i < pressColor.NumComponents(); ++i)
        pressColor.SetComponent(i, color.Component(0));
}

void CSEP_SeparationAllConverter::ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceImage(image, slices);
    Distribute(slices, std::vector<int32_t>(JobContext().NumColorants(), 0), [&] { return MakeEmptyForm(); }, out);
}

void CSEP_SeparationAllConverter::ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceIndexed(space, slices, false);
    const unsigned s = space.NumSamples();
    Distribute(slices, std::vector<int32_t>(JobContext().NumColorants(), 0),
               [&] { return MakeIndexedStandIn(s); }, out, /*copies=*/true);
}

void CSEP_SeparationAllConverter::ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceShading(shading, slices);
    Distribute(slices, std::vector<int32_t>(JobContext().NumColorants(), 0),
               [&] { return MakeConstantShading(shading); }, out, /*copies=*/true);
}

#include "separation/CSEP_DeviceCMYKConverter.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"

void CSEP_DeviceCMYKConverter::ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) {
    CheckColors(color, 4, pressColor, 4);
    for (unsigned i = 0; i < 4; ++i)
        pressColor.SetComponent(i, color.Component(i));
}

void CSEP_DeviceCMYKConverter::ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceImage(image, slices);
    Distribute(slices, {0, 1, 2, 3}, [&] { return MakeEmptyForm(); }, out);
}

void CSEP_DeviceCMYKConverter::ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceIndexed(space, slices, false);
    const unsigned s = space.NumSamples();
    Distribute(slices, {0, 1, 2, 3}, [&] { return MakeIndexedStandIn(s); }, out);
}

void CSEP_DeviceCMYKConverter::ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceShading(shading, slices);
    Distribute(slices, {0, 1, 2, 3}, [&] { return MakeConstantShading(shading); }, out);
}

#include "separation/CSEP_DeviceGrayConverter.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"

void CSEP_DeviceGrayConverter::ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) {
    CheckColors(color, 1, pressColor, 4);
    for (unsigned i = 0; i < 3; ++i)
        pressColor.SetComponent(i, 0.0);
    pressColor.SetComponent(3, 1.0 - color.Component(0));
}

void CSEP_DeviceGrayConverter::ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) {
    SliceSingleImage(image, out, CPDF_Colorant("Black"), true);
}

void CSEP_DeviceGrayConverter::ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceIndexed(space, slices, true);
    const unsigned s = space.NumSamples();
    Distribute(slices, {-1, -1, -1, 0}, [&] { return MakeIndexedStandIn(s); }, out);
}

void CSEP_DeviceGrayConverter::ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) {
    // A gray shading draws Black's plate already.
    const std::vector<GLOB_Object> copy = {Doc().Copy(shading, true)};
    Distribute(copy, {-1, -1, -1, 0}, [&] { return MakeConstantShading(shading); }, out);
}

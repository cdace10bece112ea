// A Separation space of the colorant "All": every ink, spot inks
// included, takes the tint. The image, indexed space or shading is sliced
// once; every ink gets the image, and a copy each of the indexed space or
// shading.
#pragma once

#include "separation/CSEP_SliceConverter.h"

class CSEP_SeparationAllConverter : public CSEP_SliceConverter {
public:
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) override;
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) override;
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) override;
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) override;
    const char* ClassName() const override { return "CSEP_SeparationAllConverter"; }
    // Asserts a Separation space of the colorant "All".
    void ConvertColorSpace(const CPDF_ColorSpace& colorSpace) override;
};

// A Separation space of the colorant "None": nothing is painted. Colours
// leave every tint as it is; every ink gets the empty form, the stand-in or
// the constant shading.
#pragma once

#include "separation/CSEP_SliceConverter.h"

class CSEP_SepNoneConverter : public CSEP_SliceConverter {
public:
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) override;
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) override;
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) override;
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) override;
    const char* ClassName() const override { return "CSEP_SepNoneConverter"; }
    // Asserts a Separation space of the colorant "None".
    void ConvertColorSpace(const CPDF_ColorSpace& colorSpace) override;
};

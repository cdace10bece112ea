// DeviceCMYK to press space: the four components are the four process
// inks. Images, indexed spaces and shadings are sliced into one object per
// component for inks 0 to 3; spot inks get the empty form, the stand-in or
// the constant shading.
#pragma once

#include "separation/CSEP_SliceConverter.h"

class CSEP_DeviceCMYKConverter : public CSEP_SliceConverter {
public:
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) override;
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) override;
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) override;
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) override;
    const char* ClassName() const override { return "CSEP_DeviceCMYKConverter"; }
};

// DeviceGray to press space: a gray level is Black's plate already.
// Colours: Cyan, Magenta, Yellow 0, Black 1 - gray. An image or an indexed
// space is kept as it is for Black (SliceSingleImage, SliceIndexed with keep);
// a shading is copied for Black; every other ink gets the empty form, the
// stand-in or the constant shading.
#pragma once

#include "separation/CSEP_SliceConverter.h"

class CSEP_DeviceGrayConverter : public CSEP_SliceConverter {
public:
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) override;
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) override;
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) override;
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) override;
    const char* ClassName() const override { return "CSEP_DeviceGrayConverter"; }
};

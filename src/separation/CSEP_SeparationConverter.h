// A Separation space of one colorant that is an ink of the job (not "All"
// or "None"). ConvertColorSpace finds the ink; a colorant the job lacks
// throws CPDF_Exception 1128004 "Separation <name> is not in the list of
// separations to generate. Use a separation to process color converter."
// and the converter keeps the ink it had. Colours set that ink's tint;
// images (SliceSingleImage, Decode mirrored), indexed spaces and shadings go
// to that ink, every other ink gets the empty form, the stand-in or the
// constant shading.
#pragma once

#include "separation/CSEP_SliceConverter.h"

class CSEP_SeparationConverter : public CSEP_SliceConverter {
public:
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) override;
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) override;
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) override;
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) override;
    const char* ClassName() const override { return "CSEP_SeparationConverter"; }
    // Asserts a Separation space of a colorant that is not "All" or "None".
    void ConvertColorSpace(const CPDF_ColorSpace& colorSpace) override;

private:
    // Press-space index of the colorant; -1 before a space is selected.
    int32_t m_ink = -1;
    CPDF_Colorant m_colorant;
};

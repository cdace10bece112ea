// A DeviceN space: each colorant that is an ink of the job paints that ink.
// ConvertColorSpace pairs component j with the ink of colorant j; "None"
// is skipped; any other colorant the job lacks throws CPDF_Exception 1128004
// "Separation <name> is not in the list of separations to generate. Use a
// DeviceN to process color converter." and the pairs stay as they were.
// Colours set each paired ink to its component; images, indexed spaces and
// shadings are sliced per component and handed to the paired inks, every
// other ink gets the empty form, the stand-in or the constant shading.
#pragma once

#include "separation/CSEP_SliceConverter.h"

class CSEP_DeviceNConverter : public CSEP_SliceConverter {
public:
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) override;
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) override;
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) override;
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) override;
    const char* ClassName() const override { return "CSEP_DeviceNConverter"; }
    // Asserts a DeviceN space.
    void ConvertColorSpace(const CPDF_ColorSpace& colorSpace) override;

private:
    struct Pair {
        uint32_t component;
        uint32_t ink;
    };
    // The component each ink takes, -1 for none.
    std::vector<int32_t> InkComponents() const;

    std::vector<Pair> m_pairs;
    unsigned m_numComponents = 0;
};

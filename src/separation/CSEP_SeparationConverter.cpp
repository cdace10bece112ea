#include "separation/CSEP_SeparationConverter.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "GLIB/GLIB_Assert.h"

void CSEP_SeparationConverter::ConvertColorSpace(const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT(colorSpace.IsSeparation());
    const CPDF_Colorant newColorant = colorSpace.AsSeparation().Colorant();
    GLIB_ASSERT(!newColorant.IsMetaColorant());
    const int32_t ink = InkIndex(newColorant);
    if (ink < 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Separation " << newColorant
                                 << " is not in the list of separations to generate. Use a separation to process "
                                    "color converter.");
    m_ink = ink;
    m_colorant = newColorant;
}

void CSEP_SeparationConverter::ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) {
    GLIB_ASSERT(m_ink >= 0);
    CheckColors(color, 1, pressColor, static_cast<unsigned>(m_ink) + 1);
    pressColor.SetComponent(static_cast<unsigned>(m_ink), color.Component(0));
}

void CSEP_SeparationConverter::ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) {
    SliceSingleImage(image, out, m_colorant, false);
}

void CSEP_SeparationConverter::ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) {
    GLIB_ASSERT(m_ink >= 0);
    std::vector<GLOB_Object> slices;
    SliceIndexed(space, slices, false);
    std::vector<int32_t> components(static_cast<size_t>(m_ink) + 1, -1);
    components.back() = 0;
    const unsigned s = space.NumSamples();
    Distribute(slices, components, [&] { return MakeIndexedStandIn(s); }, out);
}

void CSEP_SeparationConverter::ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) {
    GLIB_ASSERT(m_ink >= 0);
    std::vector<GLOB_Object> slices;
    SliceShading(shading, slices);
    std::vector<int32_t> components(static_cast<size_t>(m_ink) + 1, -1);
    components.back() = 0;
    Distribute(slices, components, [&] { return MakeConstantShading(shading); }, out);
}

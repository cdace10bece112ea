#include "separation/CSEP_DeviceNConverter.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "GLIB/GLIB_Assert.h"

#include <algorithm>

void CSEP_DeviceNConverter::ConvertColorSpace(const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT(colorSpace.IsDeviceN());
    const std::vector<CPDF_Colorant> colorants = colorSpace.NamedColorants();
    std::vector<Pair> pairs;
    for (uint32_t j = 0; j < colorants.size(); ++j) {
        const int32_t ink = InkIndex(colorants[j]);
        if (ink >= 0)
            pairs.push_back({j, static_cast<uint32_t>(ink)});
        else if (colorants[j] != CPDF_Colorant("None"))
            GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                       "Separation " << colorants[j]
                                     << " is not in the list of separations to generate. Use a DeviceN to process "
                                        "color converter.");
    }
    m_pairs.swap(pairs);
    m_numComponents = static_cast<unsigned>(colorants.size());
}

void CSEP_DeviceNConverter::ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) {
    unsigned inks = 0;
    for (const Pair& pair : m_pairs)
        inks = std::max(inks, pair.ink + 1);
    CheckColors(color, m_numComponents, pressColor, inks);
    for (const Pair& pair : m_pairs)
        pressColor.SetComponent(pair.ink, color.Component(pair.component));
}

std::vector<int32_t> CSEP_DeviceNConverter::InkComponents() const {
    std::vector<int32_t> components(JobContext().NumColorants(), -1);
    for (const Pair& pair : m_pairs)
        if (pair.ink < components.size())
            components[pair.ink] = static_cast<int32_t>(pair.component);
    return components;
}

void CSEP_DeviceNConverter::ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceImage(image, slices);
    Distribute(slices, InkComponents(), [&] { return MakeEmptyForm(); }, out);
}

void CSEP_DeviceNConverter::ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceIndexed(space, slices, false);
    const unsigned s = space.NumSamples();
    Distribute(slices, InkComponents(), [&] { return MakeIndexedStandIn(s); }, out);
}

void CSEP_DeviceNConverter::ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) {
    std::vector<GLOB_Object> slices;
    SliceShading(shading, slices);
    Distribute(slices, InkComponents(), [&] { return MakeConstantShading(shading); }, out);
}

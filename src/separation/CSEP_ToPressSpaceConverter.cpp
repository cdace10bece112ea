#include "separation/CSEP_ToPressSpaceConverter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

CSEP_ToPressSpaceConverter::~CSEP_ToPressSpaceConverter() = default;

void CSEP_ToPressSpaceConverter::ConvertImage(const GLOB_Object&, std::vector<GLOB_Object>&) {
    GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, ClassName() << " can't separate images yet.");
}

void CSEP_ToPressSpaceConverter::ConvertIndexed(const CPDF_IndexedColorSpace&, std::vector<GLOB_Object>&) {
    GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, ClassName() << " can't separate indexed spaces yet.");
}

void CSEP_ToPressSpaceConverter::ConvertShading(const GLOB_Object&, std::vector<GLOB_Object>&) {
    GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, ClassName() << " can't separate shading dictionaries yet.");
}

void CSEP_ToPressSpaceConverter::ConvertColorSpace(const CPDF_ColorSpace&) {}

void CSEP_ToPressSpaceConverter::CheckColors(const CPDF_Color& color, unsigned n, const CPDF_Color& pressColor,
                                             unsigned minInks) const {
    GLIB_ASSERT(pressColor.NumComponents() >= minInks);
    if (color.NumComponents() < n)
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode,
                   ClassName() << ": a colour of " << color.NumComponents() << " components, " << n << " expected");
}

int32_t CSEP_ToPressSpaceConverter::InkIndex(const CPDF_Colorant& colorant) const {
    for (uint32_t i = 0; i < m_job.NumColorants(); ++i)
        if (m_job.Colorant(i) == colorant)
            return static_cast<int32_t>(i);
    return -1;
}

CSEP_ToPressSpaceConverter::ImageShortfall CSEP_ToPressSpaceConverter::TakeImageShortfall() {
    const ImageShortfall shortfall = m_shortfall;
    m_shortfall = ImageShortfall();
    return shortfall;
}

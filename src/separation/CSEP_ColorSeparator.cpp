#include "separation/CSEP_ColorSeparator.h"

#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <initializer_list>

CSEP_ColorSeparator::CSEP_ColorSeparator()
    : m_pCurrent(&m_deviceGray), m_colorSpace(CPDF_ColorSpace::MakeDeviceGray()) {}

void CSEP_ColorSeparator::SetJobContext(const CSEP_SepJobContext& job) {
    for (CSEP_ToPressSpaceConverter* converter : std::initializer_list<CSEP_ToPressSpaceConverter*>{
             &m_deviceCMYK, &m_deviceGray, &m_deviceN, &m_null, &m_separation, &m_separationAll, &m_sepNone})
        converter->SetJobContext(job);
}

CSEP_ToPressSpaceConverter* CSEP_ColorSeparator::Select(const CPDF_ColorSpace& colorSpace) {
    switch (colorSpace.Type()) {
    case CPDF_ColorSpace::DeviceCMYK:
        return &m_deviceCMYK;
    case CPDF_ColorSpace::DeviceGray:
        return &m_deviceGray;
    case CPDF_ColorSpace::Separation: {
        const CPDF_Colorant colorant = colorSpace.AsSeparation().Colorant();
        if (colorant == CPDF_Colorant("All"))
            return &m_separationAll;
        if (colorant == CPDF_Colorant("None"))
            return &m_sepNone;
        return &m_separation;
    }
    case CPDF_ColorSpace::DeviceN:
        return &m_deviceN;
    case CPDF_ColorSpace::Indexed:
    case CPDF_ColorSpace::Pattern:
        return &m_null;
    case CPDF_ColorSpace::DeviceRGB:
    case CPDF_ColorSpace::ICCBased:
    case CPDF_ColorSpace::CalGray:
    case CPDF_ColorSpace::CalRGB:
    case CPDF_ColorSpace::Lab:
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, "Unsupported colorspace: " << colorSpace);
    default:
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, "Encountered illegal colorspace: " << colorSpace);
    }
}

void CSEP_ColorSeparator::SetColorSpace(const CPDF_ColorSpace& colorSpace) {
    if (colorSpace.Type() == CPDF_ColorSpace::Pattern) {
        const CPDF_ColorSpace underlying = colorSpace.BaseColorSpace();
        if (!underlying.IsNull()) {
            SetColorSpace(underlying);
            m_colorSpace = colorSpace;
            return;
        }
    }
    CSEP_ToPressSpaceConverter* converter = Select(colorSpace);
    converter->ConvertColorSpace(colorSpace);
    m_pCurrent = converter;
    m_colorSpace = colorSpace;
}

void CSEP_ColorSeparator::ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) {
    m_pCurrent->ConvertColor(color, pressColor);
}

void CSEP_ColorSeparator::ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) {
    m_pCurrent->ConvertImage(image, out);
}

void CSEP_ColorSeparator::ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) {
    m_pCurrent->ConvertIndexed(space, out);
}

void CSEP_ColorSeparator::ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) {
    m_pCurrent->ConvertShading(shading, out);
}

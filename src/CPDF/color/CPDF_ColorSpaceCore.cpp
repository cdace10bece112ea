#include "CPDF/color/CPDF_ColorSpaceCore.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"

CPDF_ColorSpaceCore::CPDF_ColorSpaceCore() = default;

CPDF_ColorSpaceCore::~CPDF_ColorSpaceCore() = default;

bool CPDF_ColorSpaceCore::HasBaseColorSpace(CPDF_ColorSpace*) const { return false; }

bool CPDF_ColorSpaceCore::NamedColorants(std::vector<CPDF_Colorant>* out) const {
    CPDF_ColorSpace base;
    if (!HasBaseColorSpace(&base))
        return false;
    return base.Core().NamedColorants(out);
}

std::vector<CPDF_Colorant> CPDF_ColorSpaceCore::Colorants() const { return ProcessColorants(); }

GLOB_Object CPDF_ColorSpaceCore::MakeObject(const GLOB_Doc* doc) const {
    return doc ? doc->Copy(m_object, true) : m_object;
}

CPDF_ColorSpace CPDF_ColorSpaceCore::BaseColorSpace() const {
    CPDF_ColorSpace base;
    HasBaseColorSpace(&base);
    return base;
}

std::vector<CPDF_Colorant> CPDF_ColorSpaceCore::NamedColorantList() const {
    std::vector<CPDF_Colorant> names;
    NamedColorants(&names);
    return names;
}

const std::vector<CPDF_Colorant>& CPDF_ColorSpaceCore::ProcessColorants() {
    static const std::vector<CPDF_Colorant> process = {CPDF_Colorant("Cyan"), CPDF_Colorant("Magenta"),
                                                       CPDF_Colorant("Yellow"), CPDF_Colorant("Black")};
    return process;
}

bool CPDF_ColorSpaceCore::IsValidXYZColor(const CPDF_Color& color, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const unsigned n = color.NumComponents();
    if (n != 3)
        collector.Stream() << "Color in XYZ space should have 3 components, found " << n;
    for (unsigned i = 0; i < n; ++i) {
        if (color.Component(i) < 0)
            collector.Stream() << "Color in XYZ space should have nonnegative values, "
                               << "in component " << i << " found " << color.Component(i);
    }
    return collector.IsValid();
}

bool CPDF_ColorSpaceCore::IsValidWhitePoint(const CPDF_Color& color, std::string* messages) {
    if (!IsValidXYZColor(color, messages))
        return false;
    iCPDF_ValidationMessage collector(messages);
    if (color.Component(1) != 1.0)
        collector.Stream() << "White point color in XYZ space should have Y = 1, found " << color.Component(1);
    return collector.IsValid();
}

void CPDF_ColorSpaceCore::SetObject(const GLOB_Object& object) {
    std::string messages;
    if (!IsValid(object, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidColorSpaceCode, messages);
    m_object = object;
}

bool CPDF_ColorSpaceCore::CheckArrayHead(const GLOB_Object& object, const char* family, uint32_t minLength,
                                         uint32_t maxLength, iCPDF_ValidationMessage& collector, bool orName) {
    if (!object.IsArray()) {
        collector.Stream() << family << " colorspace must be type " << (orName ? "Name or " : "") << "Array, found "
                           << iCPDF_TypeOf(object);
        return false;
    }
    const uint32_t length = object.Length();
    if (length < minLength || length > maxLength) {
        std::ostream& message = collector.Stream();
        message << family << " colorspace array length must be " << minLength;
        if (maxLength > minLength)
            message << " or " << maxLength;
        message << ", found " << length;
        return false;
    }
    const GLOB_Object name = object.Get(0);
    if (!name.IsName() || name.AsName() != family) {
        collector.Stream() << family << " colorspace array entry 0 must be '" << family << "', found "
                           << iCPDF_SyntaxOf{name};
        return false;
    }
    return true;
}

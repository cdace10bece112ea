#include "CPDF/shading/CPDF_ShadingCore.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/color/iCPDF_TryColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

CPDF_ShadingCore::ExtendMode::ExtendMode(const GLOB_Object& object) {
    std::string messages;
    if (!IsValid(object, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidShadingCode, messages);
    m_extendStart = object.Get(0).AsBoolean();
    m_extendEnd = object.Get(1).AsBoolean();
}

GLOB_Object CPDF_ShadingCore::ExtendMode::MakeObject(const GLOB_Doc& doc) const {
    const GLOB_Object array = doc.NewArray(2, false);
    array.ArrayPut(0, doc.NewBoolean(m_extendStart, false));
    array.ArrayPut(1, doc.NewBoolean(m_extendEnd, false));
    return array;
}

bool CPDF_ShadingCore::ExtendMode::IsValid(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!object.IsArray()) {
        collector.Stream() << "Extend mode should be an Array, found " << iCPDF_TypeOf(object);
        return false;
    }
    const uint32_t length = object.Length();
    if (length != 2) {
        collector.Stream() << "Extend mode should be an Array of length 2, found length " << length;
        return false;
    }
    for (uint32_t i = 0; i < length; ++i) {
        const GLOB_Object element = object.Get(i);
        if (!element.IsBoolean())
            collector.Stream() << "Extend mode should be an Array of booleans, at index " << i << " found type "
                               << iCPDF_TypeOf(element);
    }
    return collector.IsValid();
}

std::ostream& CPDF_ShadingCore::Print(std::ostream& os) const {
    return os << "Shading: " << iCPDF_NameText{TypeName()};
}

int CPDF_ShadingCore::ShadingType() const { return m_object.DictGet(GLOB_Name("ShadingType")).AsInteger(); }

CPDF_ColorSpace CPDF_ShadingCore::ColorSpace() const {
    return CPDF_ColorSpace(m_object.DictGet(GLOB_Name("ColorSpace")));
}

bool CPDF_ShadingCore::Background(CPDF_Color* out) const {
    return CPDF_Utils::ReadEntry(m_object, "Background", out,
                                 [](const GLOB_Object& value) { return CPDF_Color(value); });
}

bool CPDF_ShadingCore::Function(GLOB_Object* out) const { return m_object.Known(GLOB_Name("Function"), out); }

bool CPDF_ShadingCore::BBox(GLIB_Rect* out) const {
    return CPDF_Utils::ReadEntry(m_object, "BBox", out, CPDF_Utils::RectFromObject);
}

bool CPDF_ShadingCore::AntiAlias(bool* out) const {
    return CPDF_Utils::ReadEntry(m_object, "AntiAlias", out,
                                 [](const GLOB_Object& value) { return value.AsBoolean(); });
}

bool CPDF_ShadingCore::AntiAlias() const {
    bool flag = false;
    AntiAlias(&flag);
    return flag;
}

GLIB_Rect CPDF_ShadingCore::ClippedBoundingBox() const {
    GLIB_Rect box = BoundingBox();
    GLIB_Rect clip;
    if (BBox(&clip))
        box.Intersect(clip);
    return box;
}

bool CPDF_ShadingCore::operator==(const CPDF_ShadingCore& other) const { return m_object == other.m_object; }

void CPDF_ShadingCore::SetColorSpace(const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT(CPDF_ShadingCore::IsValidColorSpace( colorSpace ));
    CPDF_Color bgColor;
    if (Background(&bgColor))
        GLIB_ASSERT(CPDF_ShadingCore::IsValidColor( bgColor, colorSpace ));
    const GLOB_Doc doc = m_object.Doc();
    Put("ColorSpace", colorSpace.MakeObject(&doc));
}

void CPDF_ShadingCore::SetBackground(const CPDF_Color& backgroundColor) {
    GLIB_ASSERT(CPDF_ShadingCore::IsValidColor( backgroundColor, ColorSpace() ));
    const GLOB_Doc doc = m_object.Doc();
    Put("Background", backgroundColor.MakeObject(&doc));
}

void CPDF_ShadingCore::SetBBox(const GLIB_Rect& bbox) { Put("BBox", CPDF_Utils::MakeRectObject(m_object.Doc(), bbox)); }

void CPDF_ShadingCore::RemoveBBox() { m_object.RemovePath("BBox"); }

void CPDF_ShadingCore::RemoveBackground() { m_object.RemovePath("Background"); }

bool CPDF_ShadingCore::IsValid(const GLOB_Object& object, int expectedType, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!object.IsDict() && !object.IsStream()) {
        collector.Stream() << "Shadings must be a Stream or Dictionary, found " << iCPDF_TypeOf(object);
        return false;
    }
    GLOB_Object value;
    if (!object.Known(GLOB_Name("ShadingType"), &value))
        collector.Stream() << "Shading missing ShadingType entry.";
    else if (!value.IsInteger())
        collector.Stream() << "Shading ShadingType entry should be an Itnteger, found " << iCPDF_TypeOf(value);
    else if (value.AsInteger() != expectedType)
        collector.Stream() << "Shading ShadingType mismatch, expecting " << expectedType << ", found"
                           << value.AsInteger();

    if (object.Known(GLOB_Name("AntiAlias"), &value) && !value.IsBoolean())
        collector.Stream() << "Shading AntiAlias flag must be a Boolean, found " << iCPDF_TypeOf(value);
    CheckNumberArray(object, "BBox", 4, "Shading has invalid BBox: ", collector);

    if (!object.Known(GLOB_Name("ColorSpace"), &value)) {
        collector.Stream() << "Shading missing ColorSpace.";
        return collector.IsValid();
    }
    CPDF_ColorSpace colorSpace;
    std::string nested;
    if (!iCPDF_TryColorSpace(value, &colorSpace, &nested) || !IsValidColorSpace(colorSpace, &nested)) {
        collector.Stream() << "Shading has invalid colorspace: " << nested;
        return false;
    }
    CheckNumberArray(object, "Background", static_cast<int>(colorSpace.NumComponents()),
                     "Shading has invalid background color: ", collector);
    return collector.IsValid();
}

bool CPDF_ShadingCore::IsValidColorSpace(const CPDF_ColorSpace& colorSpace, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (colorSpace.Type() == CPDF_ColorSpace::Pattern)
        collector.Stream() << "Shadings cannot be in a Pattern colorspace.";
    return collector.IsValid();
}

bool CPDF_ShadingCore::IsValidColor(const CPDF_Color& color, const CPDF_ColorSpace& colorSpace,
                                    std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const unsigned expected = colorSpace.NumComponents();
    if (color.NumComponents() != expected)
        collector.Stream() << "Color dimension should match colorspace dimension"
                           << "Expecting " << expected << " found " << color.NumComponents();
    return collector.IsValid();
}

void CPDF_ShadingCore::AttachObject(const GLOB_Object& object) {
    std::string messages;
    if (!IsValid(object, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidShadingCode, messages);
    m_object = object;
}

void CPDF_ShadingCore::Put(const char* key, const GLOB_Object& value) const { m_object.DictPut(GLOB_Name(key), value); }

double CPDF_ShadingCore::NumberAt(const char* key, uint32_t index) const {
    return m_object.DictGet(GLOB_Name(key)).Get(index).AsNumber();
}

void CPDF_ShadingCore::PutNumberAt(const char* key, uint32_t index, double value) const {
    m_object.DictGet(GLOB_Name(key)).ArrayPut(index, m_object.Doc().NewReal(value, false));
}

bool CPDF_ShadingCore::Interval(const char* key, std::pair<double, double>* out) const {
    return CPDF_Utils::ReadEntry(m_object, key, out, [](const GLOB_Object& value) {
        return std::make_pair(value.Get(0).AsNumber(), value.Get(1).AsNumber());
    });
}

void CPDF_ShadingCore::PutInterval(const char* key, const std::pair<double, double>& interval) const {
    Put(key, MakeReals(m_object.Doc(), {interval.first, interval.second}));
}

GLOB_Object CPDF_ShadingCore::MakeReals(const GLOB_Doc& doc, std::initializer_list<double> values) {
    const GLOB_Object array = doc.NewArray(static_cast<uint32_t>(values.size()), false);
    uint32_t i = 0;
    for (const double value : values)
        array.ArrayPut(i++, doc.NewReal(value, false));
    return array;
}

bool CPDF_ShadingCore::ReadExtend(ExtendMode* out) const {
    return CPDF_Utils::ReadEntry(m_object, "Extend", out, [](const GLOB_Object& value) { return ExtendMode(value); });
}

bool CPDF_ShadingCore::CheckCommon(const GLOB_Object& object, int expectedType, iCPDF_ValidationMessage& collector) {
    std::string nested;
    if (IsValid(object, expectedType, &nested))
        return true;
    collector.Stream() << nested;
    return false;
}

void CPDF_ShadingCore::CheckNumberArray(const GLOB_Object& object, const char* key, int length, const char* prefix,
                                        iCPDF_ValidationMessage& collector) {
    GLOB_Object value;
    std::string nested;
    if (object.Known(GLOB_Name(key), &value) && !CPDF_Utils::IsValidNumberArray(value, length, &nested))
        collector.Stream() << prefix << nested;
}

void CPDF_ShadingCore::CheckExtend(const GLOB_Object& object, const char* prefix, iCPDF_ValidationMessage& collector) {
    GLOB_Object value;
    std::string nested;
    if (object.Known(GLOB_Name("Extend"), &value) && !ExtendMode::IsValid(value, &nested))
        collector.Stream() << prefix << nested;
}

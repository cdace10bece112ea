#include "CPDF/image/CPDF_ImageParams.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_ICCBasedColorSpace.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/color/CPDF_LabColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_ObjectFactory.h"

namespace {

// In RenderIntent order.
const char* const IntentNames[] = {"AbsoluteColorimetric", "RelativeColorimetric", "Perceptual", "Saturation"};

bool IsTrue(const GLOB_Object& value) { return value.IsBoolean() && value.AsBoolean(); }

// JPEG 2000 data give their own depth: the dictionary may leave it out
// (ISO 32000-1, table 89).
bool IsJPX(const GLOB_Object& filter) {
    if (filter.IsArray() && filter.AsArray().Length() > 0)
        return IsJPX(filter.AsArray().Get(filter.AsArray().Length() - 1));
    return filter.IsName() && filter.AsName() == "JPXDecode";
}

GLOB_Object MemoryCopy(const CPDF_ColorSpace& space) {
    const GLOB_Doc memory = GLOB_ObjectFactory::MemoryDoc();
    return space.MakeObject(&memory);
}

void CheckSize(iCPDF_ValidationMessage& collector, const GLOB_Object& value, const char* missing,
               const char* name) {
    if (value.IsNull())
        collector.Stream() << missing;
    else if (!value.IsInteger())
        collector.Stream() << "Image " << name << " must be an Integer, found " << iCPDF_TypeOf(value);
    else if (value.AsInteger() < 0)
        collector.Stream() << "Image " << name << " must be non-negative, found " << value.AsInteger();
}

bool IsBitsPerComponent(int bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8; }

std::ostream& BitsText(std::ostream& os, int bits) {
    return os << "Image bits per component must be 1, 2, 4, or 8. Found " << bits;
}

std::ostream& DimensionText(std::ostream& os, unsigned pairs, unsigned components) {
    return os << "Image decode arrray dimension (" << pairs << ") must match colorspace dimension (" << components
              << ")";
}

}  // namespace

CPDF_ImageParams::CPDF_ImageParams() : CPDF_ImageParams(1, 1, 1, CPDF_ColorSpace::MakeDeviceGray()) {}

CPDF_ImageParams::CPDF_ImageParams(int width, int height, int bitsPerComponent, const CPDF_ColorSpace& colorSpace) {
    SetWidth(width);
    SetHeight(height);
    SetBitsPerComponent(bitsPerComponent);
    SetColorSpace(colorSpace);
}

CPDF_ImageParams::CPDF_ImageParams(const GLOB_Object& dict) {
    std::string lines;
    if (!IsValid(dict, &lines))
        CPDF_THROW_INVALID(CPDF_InvalidImageCode, lines);
    m_dictObject = dict;
}

CPDF_ImageParams::CPDF_ImageParams(const GLOB_Dict& dict) {
    std::string lines;
    if (!IsValid(GLOB_ObjectFactory::NewDict(dict), &lines))
        CPDF_THROW_INVALID(CPDF_InvalidImageCode, lines);
    m_privateDict = dict;
}

GLOB_Object CPDF_ImageParams::Value(const char* key) const {
    return m_dictObject.IsNull() ? m_privateDict.Get(key) : m_dictObject.DictGet(GLOB_Name(key));
}

bool CPDF_ImageParams::Lookup(const char* key, GLOB_Object* out) const {
    const GLOB_Object value = Value(key);
    if (value.IsNull())
        return false;
    if (out)
        *out = value;
    return true;
}

int CPDF_ImageParams::Width() const { return Value("Width").AsInteger(); }

int CPDF_ImageParams::Height() const { return Value("Height").AsInteger(); }

int CPDF_ImageParams::BitsPerComponent() const {
    const GLOB_Object bits = Value("BitsPerComponent");
    // A stencil mask's samples are one bit whether or not it says so; a
    // JPX image's depth is its data's, 8 as the drawing gives them.
    if (bits.IsNull() && IsImageMask())
        return 1;
    return bits.IsNull() && IsJPX(Value("Filter")) ? 8 : bits.AsInteger();
}

bool CPDF_ImageParams::IsImageMask() const { return IsTrue(Value("ImageMask")); }

CPDF_ColorSpace CPDF_ImageParams::ColorSpace() const {
    GLIB_ASSERT_CMP(IsImageMask(), ==, false);
    return CPDF_ColorSpace(Value("ColorSpace"));
}

unsigned CPDF_ImageParams::NumComponents() const { return IsImageMask() ? 1u : ColorSpace().NumComponents(); }

CPDF_DecodeArray CPDF_ImageParams::DecodeArray() const {
    GLOB_Object stored;
    if (Lookup("Decode", &stored))
        return CPDF_DecodeArray(stored);
    if (IsImageMask())
        return CPDF_DecodeArray(1u);
    const CPDF_ColorSpace space = ColorSpace();
    CPDF_DecodeArray decode(space.NumComponents());
    switch (space.Type()) {
    case CPDF_ColorSpace::ICCBased: {
        const CPDF_ICCBasedColorSpace icc = space.AsICCBased();
        for (unsigned i = 0; i < decode.Dimension(); ++i)
            decode.Set(i, icc.Range(i).first, icc.Range(i).second);
        break;
    }
    case CPDF_ColorSpace::Indexed:
        decode.Set(0, 0, space.AsIndexed().NumSamples() - 1.0);
        break;
    case CPDF_ColorSpace::Lab: {
        const CPDF_LabColorSpace lab = space.AsLab();
        decode.Set(1, lab.ARange().first, lab.ARange().second);
        decode.Set(2, lab.BRange().first, lab.BRange().second);
        break;
    }
    case CPDF_ColorSpace::Pattern:
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Encountered Invalid image colorspace: " << space);
    default:
        break;
    }
    return decode;
}

GLOB_Name CPDF_ImageParams::IntentName() const {
    GLOB_Object intent;
    return Lookup("Intent", &intent) ? intent.AsName() : RenderIntentName(RelativeColorimetric);
}

CPDF_ImageParams::RenderIntent CPDF_ImageParams::Intent() const { return RenderIntentFromName(IntentName()); }

bool CPDF_ImageParams::Interpolate() const { return IsTrue(Value("Interpolate")); }

void CPDF_ImageParams::MakePrivate() {
    if (m_dictObject.IsNull())
        return;
    GLOB_Dict dict;
    dict.Put("Width", GLOB_ObjectFactory::NewInteger(Width()));
    dict.Put("Height", GLOB_ObjectFactory::NewInteger(Height()));
    if (IsImageMask()) {
        dict.Put("ImageMask", GLOB_ObjectFactory::NewBoolean(true));
        dict.Put("BitsPerComponent", GLOB_ObjectFactory::NewInteger(1));
    } else {
        dict.Put("ColorSpace", MemoryCopy(ColorSpace()));
        dict.Put("BitsPerComponent", GLOB_ObjectFactory::NewInteger(BitsPerComponent()));
        GLOB_Object mask;
        if (Lookup("Mask", &mask))
            dict.Put("Mask", GLOB_ObjectFactory::MemoryDoc().Copy(mask, false));
    }
    if (Lookup("Decode"))
        dict.Put("Decode", DecodeArray().MakeObject());
    if (Lookup("Intent"))
        dict.Put("Intent", GLOB_ObjectFactory::NewName(IntentName()));
    if (Lookup("Interpolate"))
        dict.Put("Interpolate", GLOB_ObjectFactory::NewBoolean(Interpolate()));
    m_privateDict = dict;
    m_dictObject = GLOB_Object();
}

void CPDF_ImageParams::PutPrivate(const char* key, const GLOB_Object& value) {
    MakePrivate();
    m_privateDict.Put(key, value);
}

void CPDF_ImageParams::Put(const char* key, const GLOB_Object& value) { PutPrivate(key, value); }

void CPDF_ImageParams::Remove(const char* key) {
    MakePrivate();
    m_privateDict.Remove(key);
}

void CPDF_ImageParams::SetWidth(int width) { PutPrivate("Width", GLOB_ObjectFactory::NewInteger(width)); }

void CPDF_ImageParams::SetHeight(int height) { PutPrivate("Height", GLOB_ObjectFactory::NewInteger(height)); }

void CPDF_ImageParams::SetBitsPerComponent(int bitsPerComponent) {
    if (IsImageMask())
        GLIB_ASSERT_CMP(bitsPerComponent, ==, 1);
    else
        GLIB_ASSERT(CPDF_ImageParams::IsValidBitsPerComponent(bitsPerComponent, nullptr));
    PutPrivate("BitsPerComponent", GLOB_ObjectFactory::NewInteger(bitsPerComponent));
}

void CPDF_ImageParams::SetColorSpace(const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT_CMP(IsImageMask(), ==, false);
    if (Lookup("Decode"))
        GLIB_ASSERT(CPDF_ImageParams::IsValidDecodeArray(DecodeArray(), colorSpace, nullptr));
    PutPrivate("ColorSpace", MemoryCopy(colorSpace));
}

void CPDF_ImageParams::SetDecodeArray(const CPDF_DecodeArray& decodeArray) {
    if (!IsImageMask())
        GLIB_ASSERT(CPDF_ImageParams::IsValidDecodeArray(decodeArray, ColorSpace(), nullptr));
    PutPrivate("Decode", decodeArray.MakeObject());
}

void CPDF_ImageParams::SetColorSpaceAndDecodeArray(const CPDF_ColorSpace& colorSpace,
                                                   const CPDF_DecodeArray& decode) {
    GLIB_ASSERT(CPDF_ImageParams::IsValidDecodeArray(decode, colorSpace, nullptr));
    PutPrivate("ColorSpace", MemoryCopy(colorSpace));
    PutPrivate("Decode", decode.MakeObject());
}

void CPDF_ImageParams::SetIntent(RenderIntent intent) {
    if (intent == Other)
        Remove("Intent");
    else
        SetIntent(RenderIntentName(intent));
}

void CPDF_ImageParams::SetIntent(const GLOB_Name& intent) { PutPrivate("Intent", GLOB_ObjectFactory::NewName(intent)); }

void CPDF_ImageParams::SetInterpolate(bool interpolate) {
    PutPrivate("Interpolate", GLOB_ObjectFactory::NewBoolean(interpolate));
}

void CPDF_ImageParams::SetImageMask(bool imageMask) {
    if (imageMask) {
        if (IsImageMask())
            return;
        Remove("ColorSpace");
        Remove("Mask");
        PutPrivate("BitsPerComponent", GLOB_ObjectFactory::NewInteger(1));
        PutPrivate("ImageMask", GLOB_ObjectFactory::NewBoolean(true));
        return;
    }
    Remove("ImageMask");
    if (!Lookup("ColorSpace"))
        PutPrivate("ColorSpace", GLOB_ObjectFactory::NewName(GLOB_Name("DeviceGray")));
    if (!Lookup("BitsPerComponent"))
        PutPrivate("BitsPerComponent", GLOB_ObjectFactory::NewInteger(1));
}

void CPDF_ImageParams::WriteDict(const GLOB_Object& dict) const {
    GLIB_ASSERT(dict.IsDict());
    const GLOB_Doc doc = dict.Doc();
    const auto put = [&](const char* key, const GLOB_Object& value) { dict.DictPut(GLOB_Name(key), value); };
    const auto remove = [&](const char* key) { dict.RemovePath(key); };
    put("Width", doc.NewInteger(Width()));
    put("Height", doc.NewInteger(Height()));
    if (IsImageMask()) {
        put("ImageMask", doc.NewBoolean(true));
        remove("ColorSpace");
        remove("Mask");
        put("BitsPerComponent", doc.NewInteger(1));
    } else {
        remove("ImageMask");
        if (Lookup("BitsPerComponent") || !IsJPX(Value("Filter")))
            put("BitsPerComponent", doc.NewInteger(BitsPerComponent()));
        else
            remove("BitsPerComponent");
        put("ColorSpace", ColorSpace().MakeObject(&doc));
        GLOB_Object mask;
        if (Lookup("Mask", &mask))
            put("Mask", mask);
        else
            remove("Mask");
    }
    if (Lookup("Decode"))
        put("Decode", DecodeArray().MakeObject(&doc));
    else
        remove("Decode");
    if (Lookup("Intent"))
        put("Intent", doc.NewName(IntentName()));
    else
        remove("Intent");
    if (Lookup("Interpolate"))
        put("Interpolate", doc.NewBoolean(Interpolate()));
    else
        remove("Interpolate");
}

bool CPDF_ImageParams::IsValid(const GLOB_Object& dict, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!dict.IsDict()) {
        collector.Stream() << "Image parameters must be a Dictionary, found " << iCPDF_TypeOf(dict);
        return false;
    }
    const auto value = [&](const char* key) { return dict.DictGet(GLOB_Name(key)); };
    CheckSize(collector, value("Width"), "Image parameters missing width.", "width");
    CheckSize(collector, value("Height"), "Image parameters missing height.", "height");
    const GLOB_Object bits = value("BitsPerComponent");
    if (bits.IsNull()) {
        if (!IsTrue(value("ImageMask")) && !IsJPX(value("Filter")))  // optional for a stencil mask and JPX
            collector.Stream() << "Image parameters missing BitsPerComponent.";
    } else if (!bits.IsInteger()) {
        collector.Stream() << "Image BitsPerComponent must be an Integer, found " << iCPDF_TypeOf(bits);
    } else if (!IsBitsPerComponent(bits.AsInteger())) {
        BitsText(collector.Stream(), bits.AsInteger());
    }
    const GLOB_Object mask = value("ImageMask");
    if (!mask.IsNull() && !mask.IsBoolean())
        collector.Stream() << "Imagemask flag must be Boolean, found " << iCPDF_TypeOf(mask);

    CPDF_ColorSpace space;
    const GLOB_Object spaceObject = value("ColorSpace");
    if (spaceObject.IsNull()) {
        if (mask.IsBoolean() && !mask.AsBoolean())
            collector.Stream() << "Image parameters missing ColorSpace key and specifies ImageMask"
                               << " is 'false'.  " << "Either ColorSpace must be present or ImageMask must be 'true'.";
        else if (!mask.IsBoolean())
            collector.Stream() << "Image parameters missing both ColorSpace and ImageMask keys."
                               << "One of these keys must be present.";
    } else {
        try {
            space = CPDF_ColorSpace(spaceObject);
        } catch (const CPDF_Exception& e) {
            collector.Stream() << "Image has invalid colorspace: " << e.What();
        }
        if (IsTrue(mask))
            collector.Stream() << "Image parameters specify a ColorSpace and set ImageMask flag"
                               << " to 'true'.  These settings are mutually exclusive";
    }

    const GLOB_Object decodeObject = value("Decode");
    if (!decodeObject.IsNull()) {
        try {
            const CPDF_DecodeArray decode(decodeObject);
            if (!IsTrue(mask) && !space.IsNull() && decode.Dimension() != space.NumComponents())
                DimensionText(collector.Stream() << "Image has bad decode array: ", decode.Dimension(),
                              space.NumComponents());
        } catch (const CPDF_Exception& e) {
            collector.Stream() << "Image has bad decode array: " << e.What();
        }
    }
    const GLOB_Object intent = value("Intent");
    if (!intent.IsNull() && !intent.IsName())
        collector.Stream() << "Image render intent must be a Name, found " << iCPDF_TypeOf(intent);
    const GLOB_Object interpolate = value("Interpolate");
    if (!interpolate.IsNull() && !interpolate.IsBoolean())
        collector.Stream() << "Image interpolate flag must be a Boolean, found " << iCPDF_TypeOf(interpolate);
    return collector.IsValid();
}

bool CPDF_ImageParams::IsValidBitsPerComponent(int bitsPerComponent, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!IsBitsPerComponent(bitsPerComponent))
        BitsText(collector.Stream(), bitsPerComponent);
    return collector.IsValid();
}

bool CPDF_ImageParams::IsValidDecodeArray(const CPDF_DecodeArray& decodeArray, const CPDF_ColorSpace& colorSpace,
                                          std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const unsigned components = colorSpace.NumComponents();
    if (decodeArray.Dimension() != components)
        DimensionText(collector.Stream(), decodeArray.Dimension(), components);
    return collector.IsValid();
}

CPDF_ImageParams::RenderIntent CPDF_ImageParams::RenderIntentFromName(const GLOB_Name& name) {
    for (const RenderIntent intent : {RelativeColorimetric, AbsoluteColorimetric, Perceptual, Saturation})
        if (name == IntentNames[intent])
            return intent;
    return Other;
}

GLOB_Name CPDF_ImageParams::RenderIntentName(RenderIntent intent) {
    if (intent == Other)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Attempted to convert render intent type 'Other' to a name");
    if (intent < AbsoluteColorimetric || intent > Saturation)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                   "Illegal enumeration value (CPDF_ImageParams::RenderIntent): " << static_cast<int32_t>(intent));
    return GLOB_Name(IntentNames[intent]);
}

#include "CPDF/color/CPDF_CIEColorSpaceCore.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_ObjectFactory.h"

namespace {

// One point's message: the check's text, or the colour's own complaint.
void CheckPoint(const GLOB_Object& value, bool whitePoint, const std::string& prefix,
                iCPDF_ValidationMessage& collector) {
    std::string text;
    try {
        const CPDF_Color point(value);
        if (whitePoint ? CPDF_ColorSpaceCore::IsValidWhitePoint(point, &text)
                       : CPDF_ColorSpaceCore::IsValidXYZColor(point, &text))
            return;
    } catch (const CPDF_Exception& e) {
        if (e.Code() != CPDF_InvalidColorCode)
            throw;
        text = e.What();
    }
    collector.Stream() << prefix << text;
}

}  // namespace

CPDF_Color CPDF_CIEColorSpaceCore::WhitePoint() const { return CPDF_Color(Dict().DictGet(GLOB_Name("WhitePoint"))); }

bool CPDF_CIEColorSpaceCore::HasBlackPoint(CPDF_Color* out) const {
    return CPDF_Utils::ReadEntry(Dict(), "BlackPoint", out,
                                 [](const GLOB_Object& value) { return CPDF_Color(value); });
}

CPDF_Color CPDF_CIEColorSpaceCore::BlackPoint() const {
    CPDF_Color blackPoint(3u);
    HasBlackPoint(&blackPoint);
    return blackPoint;
}

void CPDF_CIEColorSpaceCore::SetWhitePoint(const CPDF_Color& whitePoint) {
    GLIB_ASSERT(IsValidWhitePoint(whitePoint, nullptr));
    PutColor("WhitePoint", whitePoint);
}

void CPDF_CIEColorSpaceCore::SetBlackPoint(const CPDF_Color& blackPoint) {
    GLIB_ASSERT(IsValidXYZColor(blackPoint, nullptr));
    PutColor("BlackPoint", blackPoint);
}

GLOB_Object CPDF_CIEColorSpaceCore::DefaultObject(const char* family) {
    const GLOB_Doc doc = GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object dict = doc.NewDict(1, false);
    dict.DictPut(GLOB_Name("WhitePoint"), CPDF_Color(std::vector<double>{1.0, 1.0, 1.0}).MakeObject(&doc));
    const GLOB_Object array = doc.NewArray(2, false);
    array.ArrayPut(0, doc.NewName(GLOB_Name(family)));
    array.ArrayPut(1, dict);
    return array;
}

bool CPDF_CIEColorSpaceCore::CheckDictionary(const GLOB_Object& object, const char* family,
                                             iCPDF_ValidationMessage& collector, GLOB_Object* dict) {
    if (!object.IsArray()) {
        collector.Stream() << family << " colorspace must be type Array, found " << iCPDF_TypeOf(object);
        return false;
    }
    if (object.Length() != 2) {
        collector.Stream() << family << " colorspace array length must be 2, found " << object.Length();
        return false;
    }
    const GLOB_Object name = object.Get(0);
    if (!name.IsName() || name.AsName() != family) {
        collector.Stream() << family << " colorspace array 0 entry must be '" << family << "', found "
                           << iCPDF_SyntaxOf{name};
        return false;
    }
    *dict = object.Get(1);
    if (!dict->IsDict()) {
        collector.Stream() << family << " colorspace array 1 entry must be a dictionary, found " << iCPDF_TypeOf(*dict);
        return false;
    }
    const std::string f(family);
    GLOB_Object value;
    if (!dict->Known(GLOB_Name("WhitePoint"), &value))
        collector.Stream() << f << " colorspace missing whitepoint.";
    CheckPoint(value, true, f + " colorspace has invalid whitepoint: ", collector);
    if (dict->Known(GLOB_Name("BlackPoint"), &value))
        CheckPoint(value, false, f + " colorspace has invalid blackpoint: ", collector);
    return true;
}

std::ostream& CPDF_CIEColorSpaceCore::PrintPoints(std::ostream& os) const {
    const CPDF_Color blackPoint = BlackPoint();
    const CPDF_Color whitePoint = WhitePoint();
    os << "ColorSpace: " << iCPDF_NameText{FamilyName()} << " [ WhitePoint ";
    whitePoint.Print(os) << " BlackPoint ";
    return blackPoint.Print(os);
}

void CPDF_CIEColorSpaceCore::PutReal(const char* key, double value) const {
    const GLOB_Object dict = Dict();
    dict.DictPut(GLOB_Name(key), dict.Doc().NewReal(value));
}

void CPDF_CIEColorSpaceCore::PutColor(const char* key, const CPDF_Color& value) const {
    const GLOB_Object dict = Dict();
    const GLOB_Doc doc = dict.Doc();
    dict.DictPut(GLOB_Name(key), value.MakeObject(&doc));
}

#include "CPDF/document/CPDF_Page.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/document/CPDF_Doc.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Doc.h"

using CPDF_Utils::ObjectText;

namespace {

// Reads count numbers of the kinds accepted into values, stopping at the
// first bad element.
bool NumbersFromArray(const GLOB_Object& array, uint32_t count, bool integersToo, double* values) {
    if (!array.IsArray() || array.Length() != count)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        const GLOB_Object element = array.Get(i);
        const int32_t type = element.Type();
        if (type != GLOB_Object::KindReal && !(integersToo && type == GLOB_Object::KindInteger))
            return false;
        values[i] = element.AsNumber();
    }
    return true;
}

}  // namespace

CPDF_Page::CPDF_Page(const GLOB_Object& page) : m_page(page) {
    if (!page.IsDict())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Page object must be a dictionary, found " << GLOB_Object::TypeString(page.Type()));
}

GLOB_Object CPDF_Page::OwnValue(const char* key) const { return m_page.DictGet(GLOB_Name(key)); }

bool CPDF_Page::InheritedAttribute(const char* key, GLOB_Object* value) const {
    const GLOB_Name name(key);
    const GLOB_Name parentKey("Parent");
    GLOB_Object node = m_page;
    // The page is level 1; a looping chain runs out of levels.
    for (size_t level = 1; node.IsDict() && GLOB_DepthGuard::Admits(level); ++level) {
        if (node.Known(name, value))
            return true;
        node = node.DictGet(parentKey);
    }
    return false;
}

bool CPDF_Page::RectFromArray(const GLOB_Object& array, GLIB_Rect* rect) {
    const GLIB_Rect before = rect ? *rect : GLIB_Rect();
    double corners[4] = {before.Llx(), before.Lly(), before.Urx(), before.Ury()};
    const bool valid = NumbersFromArray(array, 4, /*integersToo=*/true, corners);
    if (rect)
        *rect = GLIB_Rect(corners[0], corners[1], corners[2], corners[3]);
    return valid;
}

bool CPDF_Page::PairFromArray(const GLOB_Object& array, double* pair) {
    return NumbersFromArray(array, 2, /*integersToo=*/false, pair);
}

bool CPDF_Page::OwnBox(const char* key, GLIB_Rect* rect) const {
    GLIB_ASSERT(rect != nullptr);
    GLOB_Object box;
    return m_page.Known(GLOB_Name(key), &box) && RectFromArray(box, rect);
}

bool CPDF_Page::InheritedBox(const char* key, GLIB_Rect* rect) const {
    GLOB_Object box;
    return InheritedAttribute(key, &box) && RectFromArray(box, rect);
}

GLIB_Rect CPDF_Page::MediaBox() const {
    GLIB_Rect box;
    if (!InheritedBox("MediaBox", &box))
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode, "Page missing media box");
    return box;
}

GLIB_Rect CPDF_Page::CropBox() const {
    GLIB_Rect box;
    return InheritedBox("CropBox", &box) ? box : MediaBox();
}

GLIB_Rect CPDF_Page::ArtBox() const {
    GLIB_Rect box;
    return OwnBox("ArtBox", &box) ? box : CropBox();
}

GLIB_Rect CPDF_Page::BleedBox() const {
    GLIB_Rect box;
    return OwnBox("BleedBox", &box) ? box : CropBox();
}

GLIB_Rect CPDF_Page::TrimBox() const {
    GLIB_Rect box;
    return OwnBox("TrimBox", &box) ? box : CropBox();
}

void CPDF_Page::SetBox(const char* key, const GLIB_Rect& rect) {
    m_page.PutPath(key, CPDF_Utils::MakeRectObject(m_page.Doc(), rect));
}

int CPDF_Page::Rotation() const {
    GLOB_Object rotate;
    if (!InheritedAttribute("Rotate", &rotate))
        return 0;
    if (!rotate.IsInteger())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Page rotation must be an integer, found " << ObjectText(rotate));
    int rotation = rotate.AsInteger() % 360;
    if (rotation < 0)
        rotation += 360;
    if (rotation % 90 != 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode, "Invalid page rotation found: " << rotation);
    return rotation;
}

bool CPDF_Page::HasRotation(int* rotation) const {
    if (OwnValue("Rotate").IsNull())
        return false;
    if (rotation)
        *rotation = Rotation();
    return true;
}

void CPDF_Page::SetRotation(int rotation) {
    if (rotation != 0 && rotation != 90 && rotation != 180 && rotation != 270) {
        GLIB_LOG(GLIB_LogFatal, "Invalid page rotation " << rotation);
        return;
    }
    m_page.PutPath("Rotate", m_page.Doc().NewInteger(rotation, false));
}

int16_t CPDF_Page::Orientation() const {
    GLOB_Object orientation;
    if (!m_page.Known(GLOB_Name("VELM_Orientation"), &orientation))
        return 0;
    if (!orientation.IsInteger())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Page orientation must be an integer, found " << ObjectText(orientation));
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(orientation.AsInteger())));
}

bool CPDF_Page::HasOrientation(int16_t* orientation) const {
    if (OwnValue("VELM_Orientation").IsNull())
        return false;
    if (orientation)
        *orientation = Orientation();
    return true;
}

void CPDF_Page::SetOrientation(int16_t orientation) {
    m_page.PutPath("VELM_Orientation", m_page.Doc().NewInteger(orientation, false));
}

std::pair<double, double> CPDF_Page::ScaleFactor() const {
    double pair[2];
    if (!PairFromArray(OwnValue("VELM_ScaleFactor"), pair))
        return {1.0, 1.0};
    return {pair[0], pair[1]};
}

bool CPDF_Page::HasScaleFactor(double* scale) const {
    if (OwnValue("VELM_ScaleFactor").IsNull())
        return false;
    if (scale) {
        const std::pair<double, double> factor = ScaleFactor();
        scale[0] = factor.first;
        scale[1] = factor.second;
    }
    return true;
}

void CPDF_Page::SetScaleFactor(double sx, double sy) {
    // Written so that NaN fails too.
    if (!(sx > 0 && sy > 0)) {
        GLIB_LOG(GLIB_LogFatal, "Invalid page scale factor ( " << sx << ", " << sy << " )");
        return;
    }
    const GLOB_Doc doc = m_page.Doc();
    const GLOB_Object pair = doc.NewArray(2, false);
    pair.ArrayPut(0, doc.NewReal(sx, false));
    pair.ArrayPut(1, doc.NewReal(sy, false));
    m_page.PutPath("VELM_ScaleFactor", pair);
}

GLOB_Object CPDF_Page::Contents() const { return OwnValue("Contents"); }

void CPDF_Page::SetContents(const GLOB_Object& contents) { m_page.PutPath("Contents", contents); }

GLOB_Object CPDF_Page::ContentsArray() const {
    const GLOB_Object contents = Contents();
    if (contents.IsArray())
        return contents;
    // A Null element would break every reader of the contents.
    const GLOB_Object array = m_page.Doc().NewArray(contents.IsNull() ? 0 : 1, false);
    if (!contents.IsNull())
        array.ArrayPut(0, contents);
    return array;
}

void CPDF_Page::AppendContents(const GLOB_Object& stream) {
    const GLOB_Object array = ContentsArray();
    array.ArrayPut(array.Length(), stream);
    m_page.PutPath("Contents", array);
}

void CPDF_Page::PrependContents(const GLOB_Object& stream) {
    const GLOB_Object array = ContentsArray();
    CPDF_Doc::ArrayInsert(array, 0, stream);
    m_page.PutPath("Contents", array);
}

bool CPDF_Page::Resources(CPDF_ResourcesDict* resources) const {
    GLIB_ASSERT(resources != nullptr);
    GLOB_Object found;
    const bool own = m_page.Known(GLOB_Name("Resources"), &found);
    if (!own && !InheritedAttribute("Resources", &found))
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode, "Page missing resource dictionary.");
    if (!found.IsDict())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Resource dictionary must be a dictionary, found " << ObjectText(found));
    resources->SetDict(found);
    return !own;
}

CPDF_ResourcesDict CPDF_Page::ResourcesDict() const {
    CPDF_ResourcesDict resources;
    Resources(&resources);
    return resources;
}

void CPDF_Page::SetResources(const GLOB_Object& resources) { m_page.PutPath("Resources", resources); }

bool CPDF_Page::Annots(GLOB_Object* annots) const {
    GLIB_ASSERT(annots != nullptr);
    GLOB_Object found;
    if (!m_page.Known(GLOB_Name("Annots"), &found))
        return false;
    if (!found.IsArray())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Annotations must be in an array, found " << ObjectText(found));
    *annots = found;
    return true;
}

void CPDF_Page::AddAnnotation(const GLOB_Object& annotation) {
    GLOB_Object annots;
    if (!Annots(&annots)) {
        m_page.PutPath("Annots", m_page.Doc().NewArray(0, true));
        annots = OwnValue("Annots");
    }
    annots.ArrayPut(annots.Length(), annotation);
}

GLOB_Object CPDF_Page::SeparationInfo() const { return OwnValue("SeparationInfo"); }

#include "separation/CSEP_AnnotationFinder.h"

#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Name.h"

namespace {

const int32_t HiddenFlag = 2;
const int32_t PrintFlag = 4;

bool HasArea(const GLOB_Object& rect) {
    if (!rect.IsArray() || rect.Length() < 4)
        return false;
    for (uint32_t i = 0; i < 4; ++i)
        if (!rect.Get(i).IsNumber())
            return false;
    return rect.Get(0).AsNumber() != rect.Get(2).AsNumber() && rect.Get(1).AsNumber() != rect.Get(3).AsNumber();
}

bool Prints(const GLOB_Object& annot) {
    if (!annot.IsDict())
        return false;
    const GLOB_Object flags = annot.DictGet(GLOB_Name("F"));
    if (!flags.IsInteger() || (flags.AsInteger() & (PrintFlag | HiddenFlag)) != PrintFlag)
        return false;
    return HasArea(annot.DictGet(GLOB_Name("Rect")));
}

}  // namespace

std::string CSEP_AnnotationFinder::FirstPrintable(const GLOB_Object& page) {
    const GLOB_Object annots = page.IsDict() ? page.DictGet(GLOB_Name("Annots")) : GLOB_Object();
    if (!annots.IsArray())
        return std::string();
    for (uint32_t i = 0; i < annots.Length(); ++i) {
        const GLOB_Object annot = annots.Get(i);
        if (!Prints(annot))
            continue;
        const GLOB_Object subtype = annot.DictGet(GLOB_Name("Subtype"));
        return subtype.IsName() && !subtype.AsName().IsEmpty() ? subtype.AsName().CStr() : "?";
    }
    return std::string();
}

void CSEP_AnnotationFinder::WarnFor(const GLOB_Object& page) {
    const std::string subtype = FirstPrintable(page);
    if (!subtype.empty())
        GLIB_LOG(GLIB_LogWarning, "has printable annotations (the first /"
                                      << subtype << ") that are not separated: its plates lack them");
}

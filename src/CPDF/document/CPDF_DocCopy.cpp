#include "CPDF/document/CPDF_Doc.h"

#include "CPDF/image/CPDF_Image.h"

#include "CPDF/CPDF_Exception.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Dict.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kBoxKeys[] = {"ArtBox", "BleedBox", "CropBox", "TrimBox"};
const char* const kSeparationKeys[] = {"ColorSpace", "VELM_Recipe"};

const GLOB_Name& SeparationInfoKey() {
    static const GLOB_Name key("SeparationInfo");
    return key;
}

const GLOB_Name& SaveResourceKey() {
    static const GLOB_Name key("SaveResource");
    return key;
}

// The value under key when object is a Dict; Null otherwise.
GLOB_Object EntryOf(const GLOB_Object& object, const GLOB_Name& key) {
    return object.IsDict() ? object.DictGet(key) : GLOB_Object();
}

}  // namespace

void CPDF_Doc::CopyPages(const CPDF_Doc& source, int first, int number, int index) const {
    if (source.Impl() == Impl())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, "Copying pages from a document to itself not supported.");
    std::vector<GLOB_Object> copied;
    const auto wasCopied = [&copied](const GLOB_Object& page) {
        return std::find(copied.begin(), copied.end(), page) != copied.end();
    };
    int destination = index;
    for (int64_t i = first; i < static_cast<int64_t>(first) + number; ++i) {
        const CPDF_Page page = source.Page(static_cast<uint32_t>(i));
        if (wasCopied(page.Object()))
            continue;
        copied.push_back(page.Object());
        GLOB_Object info;
        if (!page.Object().Known(SeparationInfoKey(), &info)) {
            CopyPage(page, destination++);
            continue;
        }
        // A separation page travels with its group, in the group's order.
        const GLOB_Object members = EntryOf(info, GLOB_Name("Pages"));
        if (!members.IsArray())
            continue;
        const uint32_t n = members.Length();
        const GLOB_Object group = NewArray(n, true);
        for (uint32_t j = 0; j < n; ++j) {
            const GLOB_Object member = members.Get(j);
            const CPDF_Page copy = CopyPage(CPDF_Page(member), destination++);
            group.ArrayPut(j, copy.Object());
            copied.push_back(member);
            // A member without separation information of its own gets none.
            const GLOB_Object copyInfo = copy.SeparationInfo();
            if (copyInfo.IsDict())
                copyInfo.PutPath("Pages", group);
        }
    }
}

CPDF_Page CPDF_Doc::CopyPage(const CPDF_Page& source, int index) const {
    const GLOB_Object& from = source.Object();
    // Validated before the page is made, so a damaged thumbnail leaves no
    // half-copied page behind, and again once copied.
    GLOB_Object thumbObject;
    const bool hasThumb = from.Known(GLOB_Name("Thumb"), &thumbObject);
    const CPDF_Image thumb = hasThumb ? CPDF_Image(thumbObject) : CPDF_Image();
    CPDF_Page page = CreatePage(index, source.MediaBox());
    const GLOB_Object& to = page.Object();
    for (const char* key : kBoxKeys) {
        GLIB_Rect box;
        if (source.InheritedBox(key, &box))
            page.SetBox(key, box);
    }
    int rotation = 0;
    if (source.HasRotation(&rotation))
        page.SetRotation(rotation);
    if (hasThumb)
        to.PutPath("Thumb", CPDF_Image(Copy(thumb.Object(), false)).Object());
    GLOB_Object value;
    if (from.Known(GLOB_Name("Annots"), &value))
        to.PutPath("Annots", Copy(value, false));
    page.SetResources(Copy(source.ResourcesDict().Dict(), false));
    page.SetContents(Copy(source.Contents(), false));

    GLOB_Object info;
    if (from.Known(SeparationInfoKey(), &info) && info.IsDict()) {
        const GLOB_Object copyInfo = NewDict(3);
        copyInfo.PutPath("DeviceColorant", Copy(info.DictGet(GLOB_Name("DeviceColorant")), false));
        for (const char* key : kSeparationKeys) {
            GLOB_Object value;
            if (info.Known(GLOB_Name(key), &value))
                copyInfo.PutPath(key, Copy(value, false));
        }
        to.DictPut(SeparationInfoKey(), copyInfo);
    }

    CopyToolsEntry(from, to, GLOB_Name("NORP_Tools"));
    CopyToolsEntry(from, to, GLOB_Name("VELM_Tools"));
    return page;
}

void CPDF_Doc::CopyToolsEntry(const GLOB_Object& source, const GLOB_Object& page, const GLOB_Name& key) const {
    GLOB_Object tools;
    if (!source.Known(key, &tools))
        return;
    if (!tools.IsDict()) {
        page.DictPut(key, Copy(tools, false));
        return;
    }
    // Filled before it is stored: a direct dictionary is stored as a copy.
    const GLOB_Object copy = NewDict(0, !tools.IsDirect());
    const GLOB_Dict entries = tools.AsDict();
    GLOB_Name name;
    GLOB_Object value;
    for (uint32_t i = 0; entries.Entry(i, &name, &value); ++i)
        if (name != SaveResourceKey())
            copy.DictPut(name, Copy(value, false));

    GLOB_Object saved;
    if (tools.Known(SaveResourceKey(), &saved)) {
        GLOB_Object resources;
        if (saved.IsDict() && source.Known(GLOB_Name("Resources"), &resources)) {
            const GLOB_Object newResources = page.DictGet(GLOB_Name("Resources"));
            const GLOB_Object rebuilt = NewDict(0, !saved.IsDirect());
            const GLOB_Dict categories = saved.AsDict();
            for (uint32_t i = 0; categories.Entry(i, &name, &value); ++i) {
                const GLOB_Object from = EntryOf(resources, name);
                const GLOB_Object to = EntryOf(newResources, name);
                rebuilt.DictPut(name, from.IsDict() && to.IsDict() && value.IsDict()
                                          ? RemapSavedResources(from, to, value)
                                          : Copy(value, false));
            }
            copy.DictPut(SaveResourceKey(), rebuilt);
        } else {
            copy.DictPut(SaveResourceKey(), Copy(saved, false));
        }
    }
    page.DictPut(key, copy);
}

GLOB_Object CPDF_Doc::RemapSavedResources(const GLOB_Object& sourceCategory, const GLOB_Object& newCategory,
                                          const GLOB_Object& saved) const {
    GLIB_ASSERT(sourceCategory.IsDict() && newCategory.IsDict() && saved.IsDict());
    const GLOB_Object remapped = NewDict(0, !saved.IsDirect());
    const GLOB_Dict entries = saved.AsDict();
    GLOB_Name name;
    GLOB_Object value;
    for (uint32_t i = 0; entries.Entry(i, &name, &value); ++i) {
        GLOB_Object resource;
        const bool same = sourceCategory.Known(name, &resource) && resource == value;
        remapped.DictPut(name, Copy(same ? newCategory.DictGet(name) : value, false));
    }
    return remapped;
}

#include "CPDF/document/CPDF_ResourcesDict.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_MessageText.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_IndirectObjectMap.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

namespace {

bool IsDictOrStream(const GLOB_Object& object) { return object.IsDict() || object.IsStream(); }

bool IsForm(const GLOB_Object& value) { return value.IsStream() && value.HasSubtype("Form"); }

bool IsTilingPattern(const GLOB_Object& value) {
    if (!value.IsStream())
        return false;
    const GLOB_Object type = value.DictGet(GLOB_Name("PatternType"));
    return type.IsInteger() && type.AsInteger() == 1;
}

bool IsType3Font(const GLOB_Object& value) { return value.IsDict() && value.HasSubtype("Type3"); }

// The space of a resource; a failure's message is led by the resource,
// so that a reader knows which of the page's spaces is at fault.
template <class Make>
CPDF_ColorSpace NamedSpace(const char* kind, const GLOB_Name& name, Make make) {
    try {
        return make();
    } catch (GLIB_Exception& e) {
        e.SetMessage(std::string(kind) + " /" + (name.IsEmpty() ? "" : name.CStr()) + ": " + e.What());
        throw;
    }
}

struct NestedCategory {
    const char* m_category;
    bool (*m_isOwner)(const GLOB_Object&);
    uint32_t m_kind;
};

const NestedCategory kNestedCategories[] = {
    {"XObject", IsForm, CPDF_ResourcesDict::OwnerForm},
    {"Pattern", IsTilingPattern, CPDF_ResourcesDict::OwnerTilingPattern},
    {"Font", IsType3Font, CPDF_ResourcesDict::OwnerType3Font},
};

}  // namespace

// What a walk met, so that each object is read once however many places
// name it. An indirect object is known by its number
// (GLOB_IndirectObjectMap); a resource dictionary written in place by the
// indirect owner that holds it, the one place it sits; any other direct
// dictionary is compared with each such one kept (a Type3 font written in
// place: rare). Other direct objects are met once each time what holds them
// is read, and count as new.
class CPDF_ResourcesDict::Met {
public:
    bool First(const GLOB_Object& object) { return !object.IsIndirect() || Insert(m_indirect, object); }
    bool Holds(const GLOB_Object& object) const { return object.IsIndirect() && m_indirect.Find(object); }
    bool First(const CPDF_ResourcesDict& dict) {
        if (dict.m_dict.IsIndirect())
            return Insert(m_indirect, dict.m_dict);
        if (dict.m_owner.IsIndirect())
            return Insert(m_owners, dict.m_owner);
        if (std::find(m_direct.begin(), m_direct.end(), dict.m_dict) != m_direct.end())
            return false;
        m_direct.push_back(dict.m_dict);
        return true;
    }

private:
    static bool Insert(GLOB_IndirectObjectMap<bool>& map, const GLOB_Object& object) {
        if (map.Find(object))
            return false;
        map.Insert(object, true);
        return true;
    }

    GLOB_IndirectObjectMap<bool> m_indirect;
    GLOB_IndirectObjectMap<bool> m_owners;
    std::vector<GLOB_Object> m_direct;
};

class CPDF_ResourcesDict::NestedWalk {
public:
    Met m_walked;
    Met m_listed;
    // A category dictionary walked to its end under a name holds no owner
    // not met already when met again under it. One met while it is being
    // walked is walked again, so that what it names is met in pre-order.
    Met m_categoriesDone[std::size(kNestedCategories)];
    // An owner met again under a name has nothing more to give there.
    Met m_owners[std::size(kNestedCategories)];
    size_t m_level = 0;
};

// The colour collection's memory, across the dictionaries it reads.
class CPDF_ResourcesDict::SpaceWalk {
public:
    enum Category { Shadings, Spaces, XObjects, Patterns, Categories };

    // The entries of the category, in its order, whose values are met first
    // under it; none when the category is not a Dict or was met before.
    std::vector<std::pair<GLOB_Name, GLOB_Object>> FirstEntries(Category category, const GLOB_Object& values) {
        std::vector<std::pair<GLOB_Name, GLOB_Object>> entries;
        if (!values.IsDict() || !m_categories[category].First(values))
            return entries;
        const GLOB_Dict dict = values.AsDict();
        GLOB_Name key;
        GLOB_Object value;
        for (uint32_t i = 0; dict.Entry(i, &key, &value); ++i)
            if (m_values[category].First(value))
                entries.emplace_back(key, value);
        return entries;
    }
    // Appends the space that object is unless it was met before.
    void Add(std::vector<CPDF_ColorSpace>& spaces, const char* kind, const GLOB_Name& name,
             const GLOB_Object& object) {
        if (m_spaces.First(object))
            spaces.push_back(NamedSpace(kind, name, [&] { return CPDF_ColorSpace(object); }));
    }

private:
    Met m_categories[Categories];
    Met m_values[Categories];
    Met m_spaces;
};

CPDF_ResourcesDict::CPDF_ResourcesDict() = default;

CPDF_ResourcesDict::CPDF_ResourcesDict(const GLOB_Object& dict) { SetDict(dict); }

CPDF_ResourcesDict::CPDF_ResourcesDict(const CPDF_ResourcesDict& other) { SetDict(other.m_dict); }

CPDF_ResourcesDict& CPDF_ResourcesDict::operator=(const CPDF_ResourcesDict& other) {
    SetDict(other.m_dict);
    return *this;
}

CPDF_ResourcesDict::~CPDF_ResourcesDict() = default;

void CPDF_ResourcesDict::SetDict(const GLOB_Object& dict) {
    m_dict = dict;
    m_owner = GLOB_Object();
}

void CPDF_ResourcesDict::SetOwner(const GLOB_Object& owner) {
    const GLOB_Object resources = IsDictOrStream(owner) ? owner.DictGet(GLOB_Name("Resources")) : GLOB_Object();
    if (resources.IsDict()) {
        m_dict = resources;
        m_owner = owner;
    } else {
        SetDict(GLOB_Object());
    }
}

void CPDF_ResourcesDict::SetFromObject(const GLOB_Object& object) {
    SetDict(GLOB_Object());
    if (!IsDictOrStream(object))
        return;
    if (!object.HasType("Page") && !object.HasType("Pages")) {
        SetDict(object.DictGet(GLOB_Name("Resources")));
        m_owner = object;
        return;
    }
    GLOB_Object node = object;
    for (size_t level = 1; node.IsDict() && GLOB_DepthGuard::Admits(level); ++level) {
        const GLOB_Object resources = node.DictGet(GLOB_Name("Resources"));
        if (resources.IsDict()) {
            m_dict = resources;
            m_owner = node;
            return;
        }
        node = node.DictGet(GLOB_Name("Parent"));
    }
}

uint32_t CPDF_ResourcesDict::OwnerKind() const {
    if (m_owner.IsDict()) {
        if (m_owner.HasType("Font", "Type3"))
            return OwnerType3Font;
        if (m_owner.HasType("Pages") || m_owner.HasType("Page"))
            return OwnerPage;
    } else if (m_owner.IsStream()) {
        if (m_owner.HasType("XObject", "Form"))
            return OwnerForm;
        if (m_owner.HasType("Pattern") && IsTilingPattern(m_owner))
            return OwnerTilingPattern;
    }
    return OwnerNone;
}

const GLOB_Object& CPDF_ResourcesDict::Checked() const {
    if (!m_dict.IsDict())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Resources dictionary must be a dictionary, found " << GLOB_Object::TypeString(m_dict.Type()));
    return m_dict;
}

GLOB_Object CPDF_ResourcesDict::Category(const char* category) const {
    return Checked().DictGet(GLOB_Name(category));
}

GLOB_Object CPDF_ResourcesDict::Resource(const char* category, const GLOB_Name& name) const {
    const GLOB_Object values = Category(category);
    return values.IsDict() ? values.DictGet(name) : m_dict.Doc().NewNull();
}

CPDF_ColorSpace CPDF_ResourcesDict::ColorSpace(const GLOB_Name& name) const {
    const GLOB_Object space = Resource("ColorSpace", name);
    return space.IsNull() ? CPDF_ColorSpace() : CPDF_ColorSpace(space);
}

GLOB_Object CPDF_ResourcesDict::CategoryForPut(const char* category) {
    const GLOB_Object& dict = Checked();
    const GLOB_Name key(category);
    GLOB_Object values = dict.DictGet(key);
    if (!values.IsDict()) {
        dict.DictPut(key, dict.Doc().NewDict(0, false));
        values = dict.DictGet(key);
    }
    return values;
}

void CPDF_ResourcesDict::PutResource(const char* category, const GLOB_Name& key, const GLOB_Object& value) {
    CategoryForPut(category).DictPut(key, value);
}

GLOB_Name CPDF_ResourcesDict::AddResource(const char* category, const char* prefix, const GLOB_Object& value) {
    const GLOB_Object values = CategoryForPut(category);
    for (uint32_t n = 1;; ++n) {
        const GLOB_Name key((prefix + std::to_string(n)).c_str());
        if (!values.Known(key)) {
            values.DictPut(key, value);
            return key;
        }
    }
}

void CPDF_ResourcesDict::AddProcSet(const char* procSet) {
    const GLOB_Object& dict = Checked();
    const GLOB_Name key("ProcSet");
    GLOB_Object sets = dict.DictGet(key);
    if (!sets.IsArray()) {
        dict.DictPut(key, dict.Doc().NewArray(0, false));
        sets = dict.DictGet(key);
    }
    const uint32_t n = sets.Length();
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object set = sets.Get(i);
        if (set.IsName() && set.AsName() == procSet)
            return;
    }
    sets.ArrayPut(n, sets.Doc().NewName(GLOB_Name(procSet), false));
}

void CPDF_ResourcesDict::SetProcSets(uint32_t flags) {
    static const struct {
        uint32_t m_flag;
        const char* m_name;
    } sets[] = {{ProcSetPDF, "PDF"}, {ProcSetText, "Text"}, {ProcSetImageB, "ImageB"},
                {ProcSetImageC, "ImageC"}, {ProcSetImageI, "ImageI"}};
    for (const auto& set : sets)
        if (flags & set.m_flag)
            AddProcSet(set.m_name);
}

void CPDF_ResourcesDict::CollectNestedDicts(std::list<CPDF_ResourcesDict>& list, uint32_t kindMask) const {
    Checked();
    NestedWalk walk;
    walk.m_walked.First(*this);
    walk.m_listed.First(*this);
    std::list<CPDF_ResourcesDict> nested;
    WalkNested(nested, kindMask, walk);
    list.splice(list.end(), nested);
}

void CPDF_ResourcesDict::AppendWithNested(std::list<CPDF_ResourcesDict>& list, uint32_t kindMask) const {
    list.push_back(*this);
    CollectNestedDicts(list, kindMask);
}

void CPDF_ResourcesDict::WithNested(std::vector<CPDF_ResourcesDict>& dicts, uint32_t kindMask) const {
    dicts.clear();
    std::list<CPDF_ResourcesDict> list;
    AppendWithNested(list, kindMask);
    dicts.assign(list.begin(), list.end());
}

void CPDF_ResourcesDict::WalkNested(std::list<CPDF_ResourcesDict>& list, uint32_t kindMask, NestedWalk& walk) const {
    if (!GLOB_DepthGuard::Admits(++walk.m_level))
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "Resources nested deeper than " << GLOB_Object::MaxNesting << " levels");
    for (size_t c = 0; c < std::size(kNestedCategories); ++c) {
        const NestedCategory& nested = kNestedCategories[c];
        const GLOB_Object values = Category(nested.m_category);
        if (!values.IsDict() || walk.m_categoriesDone[c].Holds(values))
            continue;
        const GLOB_Dict entries = values.AsDict();
        GLOB_Object value;
        for (uint32_t i = 0; entries.Entry(i, nullptr, &value); ++i) {
            if (!walk.m_owners[c].First(value) || !nested.m_isOwner(value))
                continue;
            CPDF_ResourcesDict inner;
            inner.SetOwner(value);
            if (!inner.m_dict.IsDict())
                continue;
            if ((kindMask & nested.m_kind) && walk.m_listed.First(inner))
                list.push_back(inner);
            if (walk.m_walked.First(inner))
                inner.WalkNested(list, kindMask, walk);
        }
        walk.m_categoriesDone[c].First(values);
    }
    --walk.m_level;
}

void CPDF_ResourcesDict::ColorSpacesUsed(std::vector<CPDF_ColorSpace>& spaces) const {
    SpaceWalk walk;
    std::vector<CPDF_ColorSpace> used;
    AppendSpaces(used, walk);
    spaces.insert(spaces.end(), used.begin(), used.end());
}

void CPDF_ResourcesDict::AppendSpaces(std::vector<CPDF_ColorSpace>& spaces, SpaceWalk& walk) const {
    for (const auto& entry : walk.FirstEntries(SpaceWalk::Shadings, ShadingDict())) {
        const GLOB_Object& shading = entry.second;
        if (IsDictOrStream(shading)) {
            const GLOB_Object space = shading.DictGet(GLOB_Name("ColorSpace"));
            walk.Add(spaces, "shading", entry.first, space);
        } else {
            GLIB_LOG(GLIB_LogWarning, "Found invalid shading colorspace: " << iCPDF_SyntaxOf{shading});
        }
    }
    for (const auto& entry : walk.FirstEntries(SpaceWalk::Spaces, ColorSpaceDict()))
        walk.Add(spaces, "colour space", entry.first, entry.second);
    for (const auto& entry : walk.FirstEntries(SpaceWalk::XObjects, XObjectDict())) {
        const GLOB_Object& xobject = entry.second;
        if (!xobject.IsStream()) {
            GLIB_LOG(GLIB_LogWarning, "Found invalid xObject: " << iCPDF_SyntaxOf{xobject});
            continue;
        }
        const GLOB_Object mask = xobject.DictGet(GLOB_Name("ImageMask"));
        if (xobject.HasSubtype("Image") && !(mask.IsBoolean() && mask.AsBoolean())) {
            const GLOB_Object space = xobject.DictGet(GLOB_Name("ColorSpace"));
            walk.Add(spaces, "image", entry.first, space);
        }
    }
    for (const auto& entry : walk.FirstEntries(SpaceWalk::Patterns, PatternDict())) {
        const GLOB_Object& pattern = entry.second;
        if (!IsDictOrStream(pattern)) {
            GLIB_LOG(GLIB_LogWarning, "Found invalid pattern: " << iCPDF_SyntaxOf{pattern});
            continue;
        }
        const GLOB_Object type = pattern.DictGet(GLOB_Name("PatternType"));
        const GLOB_Object shading = pattern.DictGet(GLOB_Name("Shading"));
        if (type.IsInteger() && type.AsInteger() == 2 && IsDictOrStream(shading)) {
            const GLOB_Object space = shading.DictGet(GLOB_Name("ColorSpace"));
            walk.Add(spaces, "pattern", entry.first, space);
        }
    }
}

void CPDF_ResourcesDict::ColorantsUsed(std::vector<CPDF_Colorant>& colorants) const {
    std::vector<CPDF_ColorSpace> spaces;
    ColorSpacesUsed(spaces);
    for (const CPDF_ColorSpace& space : spaces)
        for (const CPDF_Colorant& name : space.NamedColorants())
            if (std::find(colorants.begin(), colorants.end(), name) == colorants.end())
                colorants.push_back(name);
}

std::list<CPDF_ResourcesDict> CPDF_ResourcesDict::ThisAndNested(bool thisDictOnly) const {
    std::list<CPDF_ResourcesDict> dicts;
    if (thisDictOnly)
        dicts.push_back(*this);
    else
        AppendWithNested(dicts, OwnerAll);
    return dicts;
}

void CPDF_ResourcesDict::CollectColorSpaces(std::vector<CPDF_ColorSpace>* spaces, bool thisDictOnly,
                                            bool clearFirst) const {
    GLIB_ASSERT(spaces != nullptr);
    if (clearFirst)
        spaces->clear();
    SpaceWalk walk;
    std::vector<CPDF_ColorSpace> used;
    for (const CPDF_ResourcesDict& dict : ThisAndNested(thisDictOnly))
        dict.AppendSpaces(used, walk);
    spaces->insert(spaces->end(), used.begin(), used.end());
}

void CPDF_ResourcesDict::CollectSpotColorants(std::vector<CPDF_Colorant>* colorants, bool thisDictOnly,
                                              bool clearFirst) const {
    GLIB_ASSERT(colorants != nullptr);
    if (clearFirst)
        colorants->clear();
    std::vector<CPDF_ColorSpace> spaces;
    CollectColorSpaces(&spaces, thisDictOnly, /*clearFirst=*/false);
    std::vector<CPDF_Colorant> names;
    for (const CPDF_ColorSpace& space : spaces)
        for (const CPDF_Colorant& name : space.NamedColorants())
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
    for (const CPDF_Colorant& name : names)
        if (!name.IsCMYKColorant() && !name.IsMetaColorant())
            colorants->push_back(name);
}

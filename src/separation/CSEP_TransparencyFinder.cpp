#include "separation/CSEP_TransparencyFinder.h"

#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/content/CPDF_ContentStream.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Dict.h"
#include "separation/CSEP_DocProgressMeter.h"
#include "separation/CSEP_SepJobContext.h"

#include <cmath>
#include <sstream>

namespace {

std::string Describe(const char* kind, const GLOB_Name& name, const std::string& what) {
    return std::string(kind) + " " + (name.IsEmpty() ? "" : name.CStr()) + " with " + what;
}

// Below 1 only when it is a number: anything else is no alpha at all.
bool IsPartial(const GLOB_Object& alpha) {
    return alpha.IsNumber() && alpha.AsNumber() < 1;
}

// Each ink's page is grey, so a mode that mixes the colour's components
// sees one: hue, saturation and colour are the backdrop's, luminosity the
// source's. A spot ink's plate takes only the separable modes that keep
// white, the others as /Normal.
std::string BlendEffect(const GLOB_Name& mode) {
    if (mode == "Luminosity")
        return "its plates blend each ink alone, so this mode paints as /Normal";
    if (mode == "Hue" || mode == "Saturation" || mode == "Color")
        return "its plates blend each ink alone, so this mode paints only where nothing lies beneath (spot: /Normal)";
    if (mode == "Difference" || mode == "Exclusion")
        return "its plates blend ink by ink (spot: /Normal)";
    return "its plates blend ink by ink";
}

}  // namespace

void CSEP_TransparencyFinder::WarnFor(const CPDF_Page& page, const CPDF_ResourcesDict& pageResources,
                                      const CSEP_ObjectSet& masksSet) {
    CSEP_TransparencyFinder finder;
    // The page's content is opened only where its resources hold a construct.
    std::string construct = finder.FirstConstruct(pageResources.Dict(), masksSet);
    if (!construct.empty())
        construct = finder.FirstUsedConstruct(GLOB_Stream(GLIB_NEW CPDF_ContentStream(page, pageResources)),
                                              pageResources.Dict(), masksSet);
    if (!construct.empty())
        GLIB_LOG(GLIB_LogWarning, "uses transparency (" << construct << "); " << finder.Effect());
}

bool CSEP_TransparencyFinder::HoldsMask(const GLOB_Object& extGState) {
    if (!extGState.IsDict())
        return false;
    const GLOB_Object mask = extGState.DictGet(GLOB_Name("SMask"));
    return !mask.IsNull() && !(mask.IsName() && mask.AsName() == "None");
}

std::string CSEP_TransparencyFinder::FirstConstruct(const GLOB_Object& resources,
                                                    const CSEP_ObjectSet& masksSet) {
    m_masksSet = &masksSet;
    m_used = nullptr;
    m_entered.Clear();
    m_effect.clear();
    return InResources(resources, 0);
}

std::string CSEP_TransparencyFinder::FirstUsedConstruct(const GLOB_Stream& content, const GLOB_Object& resources,
                                                        const CSEP_ObjectSet& masksSet) {
    // Content is read only where the resources hold a construct at all.
    if (FirstConstruct(resources, masksSet).empty())
        return std::string();
    CSEP_ObjectSet used;
    m_entered.Clear();
    UsesIn(content, resources, 0, used);
    m_used = &used;
    m_entered.Clear();
    m_effect.clear();
    std::string found = InResources(resources, 0);
    m_used = nullptr;
    return found;
}

std::string CSEP_TransparencyFinder::InResources(const GLOB_Object& resources, uint32_t depth) {
    if (!resources.IsDict())
        return std::string();
    std::string found = InCategory(resources, "ExtGState", &CSEP_TransparencyFinder::InExtGState, depth);
    if (found.empty())
        found = InCategory(resources, "XObject", &CSEP_TransparencyFinder::InXObject, depth);
    if (found.empty())
        found = InCategory(resources, "Pattern", &CSEP_TransparencyFinder::InPattern, depth);
    if (found.empty())
        found = InCategory(resources, "Font", &CSEP_TransparencyFinder::InFont, depth);
    return found;
}

std::string CSEP_TransparencyFinder::InCategory(
    const GLOB_Object& resources, const char* category,
    std::string (CSEP_TransparencyFinder::*visit)(const GLOB_Name&, const GLOB_Object&, uint32_t), uint32_t depth) {
    const GLOB_Object entries = resources.DictGet(GLOB_Name(category));
    if (!entries.IsDict())
        return std::string();
    const GLOB_Dict dict = entries.AsDict();
    GLOB_Name name;
    GLOB_Object value;
    for (uint32_t i = 0; dict.Entry(i, &name, &value); ++i) {
        if (m_used && !m_used->Holds(value))
            continue;
        const std::string found = (this->*visit)(name, value, depth);
        if (!found.empty())
            return found;
    }
    return std::string();
}

std::string CSEP_TransparencyFinder::InExtGState(const GLOB_Name& name, const GLOB_Object& dict, uint32_t) {
    if (!dict.IsDict())
        return std::string();
    GLOB_Object mode = dict.DictGet(GLOB_Name("BM"));
    if (mode.IsArray() && mode.Length() > 0)
        mode = mode.Get(0);
    if (mode.IsName() && !(mode.AsName() == "Normal") && !(mode.AsName() == "Compatible")) {
        m_effect = BlendEffect(mode.AsName());
        return Describe("ExtGState", name, std::string("BM /") + mode.AsName().CStr());
    }
    if (HoldsMask(dict) && m_masksSet->Holds(dict)) {
        m_effect = "its plates apply the same mask to every ink";
        return Describe("ExtGState", name, "SMask");
    }
    for (const char* key : {"CA", "ca"}) {
        const GLOB_Object alpha = dict.DictGet(GLOB_Name(key));
        if (IsPartial(alpha)) {
            std::ostringstream text;
            // To four decimals: through the host a value is 16.16 fixed
            // point, 0.9 arriving as 0.899994.
            text << key << " " << std::round(alpha.AsNumber() * 10000) / 10000;
            m_effect = "its plates apply the alpha ink by ink";
            return Describe("ExtGState", name, text.str());
        }
    }
    return std::string();
}

std::string CSEP_TransparencyFinder::GroupOf(const GLOB_Name& name, const GLOB_Object& form) {
    const GLOB_Object group = form.DictGet(GLOB_Name("Group"));
    const GLOB_Object kind = group.IsDict() ? group.DictGet(GLOB_Name("S")) : GLOB_Object();
    if (!kind.IsName() || !(kind.AsName() == "Transparency"))
        return std::string();
    m_effect = "its plates compose the group ink by ink";
    return Describe("Form", name, "a transparency group");
}

std::string CSEP_TransparencyFinder::InXObject(const GLOB_Name& name, const GLOB_Object& xobject, uint32_t depth) {
    if (!xobject.IsStream() || !xobject.HasSubtype("Form"))
        return std::string();
    const std::string group = GroupOf(name, xobject);
    return group.empty() ? Enter(xobject, depth) : group;
}

std::string CSEP_TransparencyFinder::InPattern(const GLOB_Name& name, const GLOB_Object& pattern, uint32_t depth) {
    if (!pattern.IsDict() && !pattern.IsStream())
        return std::string();
    const GLOB_Object extGState = pattern.DictGet(GLOB_Name("ExtGState"));
    if (extGState.IsDict())
        return InExtGState(name, extGState, depth);
    return pattern.IsStream() ? Enter(pattern, depth) : std::string();
}

std::string CSEP_TransparencyFinder::InFont(const GLOB_Name&, const GLOB_Object& font, uint32_t depth) {
    return font.IsDict() && font.HasSubtype("Type3") ? Enter(font, depth) : std::string();
}

std::string CSEP_TransparencyFinder::Enter(const GLOB_Object& object, uint32_t depth) {
    if (depth >= CSEP_SepJobContext::MaxNesting || !m_entered.Insert(object))
        return std::string();
    return InResources(object.DictGet(GLOB_Name("Resources")), depth + 1);
}

void CSEP_TransparencyFinder::UsesIn(const GLOB_Stream& content, const GLOB_Object& resources, uint32_t depth,
                                     CSEP_ObjectSet& used) {
    CPDF_ContentParser parser;
    try {
        parser.Start(content, resources);
        while (parser.Step()) {
            const std::string op = parser.OperatorText();
            const GLOB_OperandStack& operands = parser.Operands();
            // A selecting operator's name: the last operand, but Tf's first.
            const size_t at = op == "Tf" ? 1 : 0;
            const GLOB_Object name = operands.Size() > at ? operands.Operand(at) : GLOB_Object();
            const char* category = op == "gs"                   ? "ExtGState"
                                   : op == "Do"                 ? "XObject"
                                   : op == "scn" || op == "SCN" ? "Pattern"
                                   : op == "Tf"                 ? "Font"
                                                                : nullptr;
            if (!category || !name.IsName())
                continue;
            const GLOB_Object value = parser.Resource(category, name.AsName());
            if (value.IsNull() || !used.Insert(value))
                continue;
            if (value.IsStream() && !value.HasSubtype("Image"))
                UsesInStream(value, resources, depth, used);  // a form or a tiling pattern's cell
            else if (value.IsDict() && value.HasSubtype("Type3"))
                UsesInGlyphs(value, resources, depth, used);
        }
    } catch (GLIB_Exception& e) {
        // Malformed content is read as far as it parses.
        if (e.Code() == GLIB_OutOfMemoryCode || CSEP_DocProgressMeter::IsCancel(e))
            throw;
    }
}

void CSEP_TransparencyFinder::UsesInGlyphs(const GLOB_Object& font, const GLOB_Object& resources, uint32_t depth,
                                           CSEP_ObjectSet& used) {
    const GLOB_Object own = font.DictGet(GLOB_Name("Resources"));
    const GLOB_Object glyphs = font.DictGet(GLOB_Name("CharProcs"));
    if (!glyphs.IsDict())
        return;
    const GLOB_Dict dict = glyphs.AsDict();
    GLOB_Object glyph;
    for (uint32_t i = 0; dict.Entry(i, nullptr, &glyph); ++i)
        UsesInStream(glyph, own.IsDict() ? own : resources, depth, used);
}

void CSEP_TransparencyFinder::UsesInStream(const GLOB_Object& stream, const GLOB_Object& resources, uint32_t depth,
                                           CSEP_ObjectSet& used) {
    if (!stream.IsStream() || depth >= CSEP_SepJobContext::MaxNesting || !m_entered.Insert(stream))
        return;
    const GLOB_Object own = stream.DictGet(GLOB_Name("Resources"));
    try {
        UsesIn(stream.OpenStream(2), own.IsDict() ? own : resources, depth + 1, used);
    } catch (GLIB_Exception& e) {
        if (e.Code() == GLIB_OutOfMemoryCode || CSEP_DocProgressMeter::IsCancel(e))
            throw;
    }
}

#include "CPDF/content/CPDF_GraphicsState.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB_Stack.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_ObjectWriter.h"

#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace {

using Core = iCPDF_GraphicsStateCore;
using Entries = std::vector<std::pair<const char*, GLOB_Object>>;

// How ExtGState entries are made: in which document, whether objects of
// that document are copied all the same, and whether a Null function or
// halftone of this state is left out.
struct EntryRules {
    GLOB_Doc doc;
    bool forceCopy;
    bool skipNull;
};

// A default function (or halftone) as /Default, the IdentityFunction as
// /Identity when it may stand there, else a copy of the object.
GLOB_Object DeviceObject(const GLOB_Object& object, const GLOB_Object& byDefault, bool identity,
                         const EntryRules& rules) {
    if (object == byDefault)
        return rules.doc.NewName(GLOB_Name("Default"));
    if (identity && object == Core::IdentityFunction())
        return rules.doc.NewName(GLOB_Name("Identity"));
    return rules.doc.Copy(object, rules.forceCopy);
}

GLOB_Object IntegerPair(const GLOB_Doc& doc, int32_t x, int32_t y) {
    const GLOB_Object pair = doc.NewArray(2);
    pair.ArrayPut(0, doc.NewInteger(x));
    pair.ArrayPut(1, doc.NewInteger(y));
    return pair;
}

// The parameters that only an ExtGState sets: SA OP op OPM BG2 UCR2 TR2 HT
// HTP SM, those of s that differ from o, or all of them without o.
void AddDeviceEntries(const CPDF_GraphicsState& s, const CPDF_GraphicsState* o, const EntryRules& rules,
                      Entries& entries) {
    const GLOB_Doc& doc = rules.doc;
    if (!o || s.StrokeAdjustment() != o->StrokeAdjustment())
        entries.emplace_back("SA", doc.NewBoolean(s.StrokeAdjustment()));
    if (!o || s.StrokeOverprint() != o->StrokeOverprint())
        entries.emplace_back("OP", doc.NewBoolean(s.StrokeOverprint()));
    if (!o || s.FillOverprint() != o->FillOverprint())
        entries.emplace_back("op", doc.NewBoolean(s.FillOverprint()));
    if (!o || s.OverprintMode() != o->OverprintMode())
        entries.emplace_back("OPM", doc.NewInteger(s.OverprintMode()));
    const struct {
        const char* key;
        GLOB_Object mine;
        GLOB_Object other;
        GLOB_Object byDefault;
        bool identity;
    } objects[] = {
        {"BG2", s.BlackGeneration(), o ? o->BlackGeneration() : GLOB_Object(), Core::DefaultBlackGeneration(), false},
        {"UCR2", s.UndercolorRemoval(), o ? o->UndercolorRemoval() : GLOB_Object(), Core::DefaultUndercolorRemoval(),
         false},
        {"TR2", s.Transfer(), o ? o->Transfer() : GLOB_Object(), Core::DefaultTransfer(), true},
        {"HT", s.Halftone(), o ? o->Halftone() : GLOB_Object(), Core::DefaultHalftone(), false},
    };
    for (const auto& f : objects) {
        if (o && ((rules.skipNull && f.mine.IsNull()) || f.mine.IsDeepEqual(f.other)))
            continue;
        entries.emplace_back(f.key, DeviceObject(f.mine, f.byDefault, f.identity, rules));
    }
    if (!o || s.HalftonePhaseX() != o->HalftonePhaseX() || s.HalftonePhaseY() != o->HalftonePhaseY())
        entries.emplace_back("HTP", IntegerPair(doc, s.HalftonePhaseX(), s.HalftonePhaseY()));
    if (!o || s.Smoothness() != o->Smoothness())
        entries.emplace_back("SM", doc.NewReal(s.Smoothness()));
}

void WriteClipPath(GLOB_ObjectWriter& writer, const CPDF_Path& path) {
    path.Write(writer, true);
    switch (path.FillRule()) {
    case GLOB_Path::NonZeroWindingFill: writer.WriteOperator("W"); break;
    case GLOB_Path::EvenOddFill: writer.WriteOperator("W*"); break;
    default: GLIB_LOG(GLIB_LogFatal, "Illegal fill rule specified for clipping path: " << path.FillRule()); return;
    }
    writer.WriteOperator("n");
}

void LogUnwritable(const char* what, const CPDF_ColorSpace& space, const CPDF_Color& color) {
    GLIB_MessageStream ms;
    ms << what << "color space:\n" << space << "\ncolor:\n";
    color.Print(ms);
    ms.Log(GLIB_LogFatal, __FILE__, __LINE__);
}

std::string UpperCase(std::string op) {
    for (char& c : op)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return op;
}

}  // namespace

void CPDF_GraphicsState::WriteChanges(const CPDF_PathList* pendingClip, GLOB_ObjectWriter& writer,
                                      CPDF_ResourcesDict& resources, GLIB_Stack<CPDF_GraphicsState>& gsStack) const {
    GLIB_ASSERT(!gsStack.Empty());
    const Core& s = *m_core;
    if (s.m_clipPath != gsStack.Top().ClipPath()) {
        const CPDF_PathList common = s.m_clipPath.CommonPrefix(gsStack.Top().ClipPath());
        while (!gsStack.Empty() && !common.StartsWith(gsStack.Top().ClipPath())) {
            gsStack.Pop(1);
            writer.WriteOperator("Q");
        }
        if (gsStack.Empty())
            GLIB_THROW(CPDF_Exception, CPDF_GraphicsStateUnderflowCode,
                       "Graphics state underflow, cannot restore previous clipping path: " << s.m_clipPath);
        const CPDF_GraphicsState saved = gsStack.Top();
        gsStack.Push(saved);
        writer.WriteOperator("q");
        const GLIB_Matrix back = saved.CTM().Inverse();
        const CPDF_PathList added = s.m_clipPath.After(saved.ClipPath());
        // Path(i) walks back from the last path: one walk for them all.
        for (CPDF_PathList::Iterator it(added); it.HasMore();) {
            CPDF_Path path = it.Next();
            path.Transform(back);
            WriteClipPath(writer, path);
        }
    }
    const CPDF_GraphicsState top = gsStack.Top();
    const Core& t = *top.m_core;
    if (s.m_ctm != t.m_ctm) {
        const GLIB_Matrix m = s.m_ctm * t.m_ctm.Inverse();
        for (double v : {m.A(), m.B(), m.C(), m.D(), m.E(), m.F()})
            writer.WriteReal(v);
        writer.WriteOperator("cm");
    }
    for (bool fill : {false, true}) {
        const bool spaceChanged = fill ? s.m_fillColorSpace != t.m_fillColorSpace
                                       : s.m_strokeColorSpace != t.m_strokeColorSpace;
        if (spaceChanged || (fill ? s.m_fillColor != t.m_fillColor : s.m_strokeColor != t.m_strokeColor))
            WriteColor(fill, spaceChanged, writer, resources);
    }

    const auto number = [&writer](double mine, double other, const char* op) {
        if (mine != other) {
            writer.WriteReal(mine);
            writer.WriteOperator(op);
        }
    };
    const auto integer = [&writer](int32_t mine, int32_t other, const char* op) {
        if (mine != other) {
            writer.WriteInteger(mine);
            writer.WriteOperator(op);
        }
    };
    number(s.m_lineWidth, t.m_lineWidth, "w");
    integer(s.m_lineCap, t.m_lineCap, "J");
    integer(s.m_lineJoin, t.m_lineJoin, "j");
    number(s.m_miterLimit, t.m_miterLimit, "M");
    if (s.m_dashPattern != t.m_dashPattern) {
        const GLOB_Object dash = s.m_dashPattern.AsObject();
        writer.WriteArray(dash.Get(0));
        writer.WriteReal(s.m_dashPattern.Phase());
        writer.WriteOperator("d");
    }
    number(s.m_flatness, t.m_flatness, "i");
    if (s.m_renderingIntent != t.m_renderingIntent) {
        writer.WriteName(s.m_renderingIntent);
        writer.WriteOperator("ri");
    }
    const CPDF_TextState& st = s.m_textState;
    const CPDF_TextState& tt = t.m_textState;
    number(st.CharSpacing(), tt.CharSpacing(), "Tc");
    number(st.WordSpacing(), tt.WordSpacing(), "Tw");
    // The text state keeps a factor; Tz takes a percentage.
    number(st.HorizontalScaling() * 100.0, tt.HorizontalScaling() * 100.0, "Tz");
    number(st.Leading(), tt.Leading(), "TL");
    number(st.Rise(), tt.Rise(), "Ts");
    integer(st.RenderMode(), tt.RenderMode(), "Tr");

    const GLOB_Doc doc = resources.Dict().Doc();
    if (!st.Font().IsNull() && st.FontSize() > 0.0 && (st.Font() != tt.Font() || st.FontSize() != tt.FontSize())) {
        writer.WriteName(resources.AddResource("Font", "F", doc.Copy(st.Font(), false)));
        writer.WriteReal(st.FontSize());
        writer.WriteOperator("Tf");
    }
    Entries entries;
    AddDeviceEntries(*this, &top, EntryRules{doc, false, false}, entries);
    if (!entries.empty()) {
        const GLOB_Object dict = doc.NewDict(static_cast<uint32_t>(entries.size() + 1), true);
        for (const auto& [key, value] : entries)
            dict.DictPut(GLOB_Name(key), value);
        dict.DictPut(GLOB_Name("Type"), doc.NewName(GLOB_Name("ExtGState")));
        writer.WriteName(resources.AddResource("ExtGState", "GS", dict));
        writer.WriteOperator("gs");
    }

    gsStack.Top() = *this;
    if (pendingClip) {
        writer.WriteOperator("q");
        CPDF_PathList clip(*pendingClip);
        clip.Transform(s.m_ctm);
        CPDF_GraphicsState clipped(*this);
        clipped.IntersectClipPath(clip);
        gsStack.Push(clipped);
    }
}

void CPDF_GraphicsState::WriteColor(bool fill, bool spaceChanged, GLOB_ObjectWriter& writer,
                                    CPDF_ResourcesDict& resources) const {
    const CPDF_ColorSpace& space = fill ? m_core->m_fillColorSpace : m_core->m_strokeColorSpace;
    const CPDF_Color& color = fill ? m_core->m_fillColor : m_core->m_strokeColor;
    // Per kind: the component count (0: the colour's own), the operator that
    // also selects a device space (none: a "CS" resource and cs), and the
    // operator of the colour alone.
    static const struct {
        unsigned count;
        const char* device;
        const char* op;
    } forms[CPDF_ColorSpace::NumTypes] = {
        {4, "k", "sc"},        {1, "g", "sc"},        {3, "rg", "sc"},       {1, nullptr, "scn"},
        {0, nullptr, "scn"},   {0, nullptr, "scn"},   {1, nullptr, "sc"},    {1, nullptr, "sc"},
        {3, nullptr, "sc"},    {3, nullptr, "sc"},    {0, nullptr, nullptr},
    };
    const int32_t kind = space.Type();
    if (kind == CPDF_ColorSpace::Pattern) {
        GLIB_LOG(GLIB_LogWarning, "Not yet able to pattern in content stream, ignored");
        return;
    }
    if (kind < 0 || kind >= CPDF_ColorSpace::NumTypes) {
        LogUnwritable("Requested to write unsupported color to content stream: \n", space, color);
        return;
    }
    const auto& form = forms[kind];
    if (form.count != 0 && form.count != color.NumComponents()) {
        LogUnwritable("Requested to write color with incorrect dimension to content stream: \n", space, color);
        return;
    }
    const auto cased = [fill](const char* op) { return fill ? std::string(op) : UpperCase(op); };
    if (spaceChanged && !form.device) {
        const GLOB_Doc doc = resources.Dict().Doc();
        writer.WriteName(resources.AddResource("ColorSpace", "CS", space.MakeObject(&doc)));
        writer.WriteOperator(cased("cs").c_str());
    }
    for (unsigned i = 0; i < color.NumComponents(); ++i)
        writer.WriteReal(color.Component(i));
    writer.WriteOperator(cased(spaceChanged && form.device ? form.device : form.op).c_str());
}

GLOB_Dict CPDF_GraphicsState::MakeExtGState(bool all, const CPDF_GraphicsState& other) const {
    const Core& s = *m_core;
    const Core* o = all ? nullptr : other.m_core.get();
    const CPDF_GraphicsState* others = all ? nullptr : &other;
    const EntryRules rules{GLOB_ObjectFactory::MemoryDoc(), true, true};
    const GLOB_Doc& doc = rules.doc;
    const GLOB_Object dict = GLOB_ObjectFactory::NewEmptyDict();
    dict.DictPut(GLOB_Name("Type"), doc.NewName(GLOB_Name("ExtGState")));
    Entries entries;
    AddDeviceEntries(*this, others, rules, entries);
    const CPDF_TextState& st = s.m_textState;
    if (!o || (!st.Font().IsNull() && st.FontSize() > 0.0 &&
               (st.FontSize() != o->m_textState.FontSize() || !st.Font().IsDeepEqual(o->m_textState.Font())))) {
        const GLOB_Object font = doc.NewArray(2);
        font.ArrayPut(0, doc.Copy(st.Font(), true));
        font.ArrayPut(1, doc.NewReal(st.FontSize()));
        entries.emplace_back("Font", font);
    }
    if (!o || s.m_lineWidth != o->m_lineWidth)
        entries.emplace_back("LW", doc.NewReal(s.m_lineWidth));
    if (!o || s.m_lineCap != o->m_lineCap)
        entries.emplace_back("LC", doc.NewInteger(s.m_lineCap));
    if (!o || s.m_lineJoin != o->m_lineJoin)
        entries.emplace_back("LJ", doc.NewInteger(s.m_lineJoin));
    if (!o || s.m_miterLimit != o->m_miterLimit)
        entries.emplace_back("ML", doc.NewReal(s.m_miterLimit));
    if (!o || s.m_dashPattern != o->m_dashPattern)
        entries.emplace_back("D", s.m_dashPattern.AsObject(doc));
    if (!o || s.m_flatness != o->m_flatness)
        entries.emplace_back("FL", doc.NewReal(s.m_flatness));
    if (!o || s.m_renderingIntent != o->m_renderingIntent)
        entries.emplace_back("RI", doc.NewName(s.m_renderingIntent));
    for (const auto& [key, value] : entries)
        dict.DictPut(GLOB_Name(key), value);
    return dict.AsDict();
}

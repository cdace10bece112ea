#include "separation/CSEP_ContentSeparator.h"

#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "CPDF/content/CPDF_ContentOperator.h"
#include "CPDF/image/CPDF_Image.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "separation/CSEP_InkOutputs.h"
#include "separation/CSEP_InlineImageWriter.h"
#include "separation/CSEP_LeadMessage.h"
#include "separation/CSEP_SliceConverter.h"
#include "separation/CSEP_SoftMaskGroup.h"
#include "separation/CSEP_TransparencyFinder.h"
#include "separation/iCSEP_PaintTables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Op = CPDF_ContentOperator;

const auto& PaintTable = iCSEP_PaintTables::PathKeywords;
const auto& TextModeTable = iCSEP_PaintTables::TextModes;

// The column of a painting operator in PaintTable; -1 for any other.
int PaintColumn(int32_t op) {
    static const int32_t columns[] = {Op::Op_b, Op::Op_B,     Op::Op_bStar, Op::Op_BStar, Op::Op_f,
                                      Op::Op_F, Op::Op_fStar, Op::Op_n,     Op::Op_s,     Op::Op_S};
    const int32_t* const at = std::find(std::begin(columns), std::end(columns), op);
    return at == std::end(columns) ? -1 : static_cast<int>(at - std::begin(columns));
}

const char* NameText(const GLOB_Name& name) { return name.IsEmpty() ? "" : name.CStr(); }

CPDF_ColorSpace SpaceOf(const CPDF_GraphicsState& state, bool stroke) {
    return stroke ? state.StrokeColorSpace() : state.FillColorSpace();
}

}  // namespace

CSEP_ContentSeparator::CSEP_ContentSeparator() = default;

CSEP_ContentSeparator::~CSEP_ContentSeparator() = default;

void CSEP_ContentSeparator::SetJobContext(const CSEP_SepJobContext& job) {
    m_job = job;
    for (CSEP_ColorSeparator& separator : m_colorSeparators)
        separator.SetJobContext(job);
}

bool CSEP_ContentSeparator::SeparateStream(GLOB_Stream stream, const CPDF_ResourcesDict& resources,
                                           const CPDF_GraphicsState& initialState, std::vector<GLOB_Object>& out,
                                           CSEP_ResourceCache* pResourceCache, const CSEP_InkStreamState& inkState) {
    GLIB_ASSERT(pResourceCache != NULL);
    const uint32_t n = m_job.NumColorants();
    // Their files deleted, should the walk fail, with the handles that own them.
    CSEP_InkOutputs outputs(m_job, m_glyphProcedures);
    m_writer.SetStreams(outputs.Streams());
    m_pressColor.SetNumComponents(n);
    for (CSEP_ColorSeparator& separator : m_colorSeparators) {
        separator.SetJobContext(m_job);
        separator.SetColorSpace(CPDF_ColorSpace::MakeDeviceGray());
    }
    m_resources = resources;
    m_inlineImages.Init(m_job, &m_inlineImageResources, resources);
    m_pResourceCache = pResourceCache;
    m_groupInheritance.Clear();
    m_inkStacks.assign(n, CSEP_InkStateStack());
    m_insideGroup = m_job.InsideIsolatedOrKnockoutGroup();
    m_multiplyState = GLOB_Name();
    m_heldPath.clear();
    m_holdingPath = m_heldPathClips = m_textClipShown = m_textClipAtEnd = m_inTextObject = false;
    m_textObject.clear();
    m_inkStates.assign(1, inkState.Inherited());
    if (!ProcessStream(stream, resources, initialState))
        return false;
    ReleasePath();
    m_writer.Reset();
    outputs.MakeStreams(out);
    return true;
}

void CSEP_ContentSeparator::Poll() { m_job.ProgressMeter().PollCancel(); }

void CSEP_ContentSeparator::RecordUse(uint32_t category, const char* key, const GLOB_Object& name) {
    // Only what the content names: a Type 3 font without resources takes
    // the page's, whose ExtGState may hold that very font.
    const GLOB_Object value =
        name.IsName() && m_resources.Dict().IsDict() ? m_resources.Resource(key, name.AsName()) : GLOB_Object();
    if (!value.IsNull())
        m_pResourceCache->Put(category, name.AsName(), CSEP_Resource(value));
}

GLOB_Object CSEP_ContentSeparator::ExtGStateSet() {
    const GLOB_Object name = Parser().Operands().Top();
    return name.IsName() && m_resources.Dict().IsDict() ? m_resources.ExtGState(name.AsName()) : GLOB_Object();
}

bool CSEP_ContentSeparator::WriteSoftMaskState(const GLOB_Object& value) {
    if (!CSEP_SoftMaskGroup::DrawsGroup(value))
        return false;
    // A group that sets every colour it paints with keeps its one mask.
    const uint32_t taken = m_groupInheritance.Taken(value.DictGet(GLOB_Name("SMask")).DictGet(GLOB_Name("G")));
    if (taken == 0)
        return false;
    const CPDF_GraphicsState state = Parser().GraphicsState();
    const std::string key = ColorStateKey(state, taken);
    const uint32_t category = CSEP_ResourceCache::ExtGStateCategory;
    const GLOB_Object name = Parser().Operands().Top();
    GLOB_Name variant = m_pResourceCache->FindVariant(category, name.AsName(), key);
    if (variant.IsEmpty()) {
        variant = m_pResourceCache->NewName(category);
        // The content's other graphics states keep their names beside these.
        while (!m_resources.ExtGState(variant).IsNull())
            variant = m_pResourceCache->NewName(category);
        m_pResourceCache->AddVariant(category, name.AsName(), value, key, TakenState(state, taken), variant);
    }
    m_writer.WriteName(variant);
    m_writer.WriteOperator("gs");
    return true;
}

std::string CSEP_ContentSeparator::ColorStateKey(const CPDF_GraphicsState& state, uint32_t taken) {
    std::string key(1, static_cast<char>(taken));
    const auto add = [&key](const void* bytes, size_t size) { key.append(static_cast<const char*>(bytes), size); };
    for (const bool stroke : {false, true}) {
        if ((taken & (stroke ? CSEP_GroupInheritance::StrokeTaken : CSEP_GroupInheritance::FillTaken)) == 0)
            continue;
        const CPDF_ColorSpace space = SpaceOf(state, stroke);
        const int32_t type = space.Type();
        add(&type, sizeof type);
        // Other spaces by their object: two of one kind may differ.
        if (type != CPDF_ColorSpace::DeviceGray && type != CPDF_ColorSpace::DeviceRGB &&
            type != CPDF_ColorSpace::DeviceCMYK && !space.IsNull()) {
            key += CSEP_GroupInheritance::ObjectKey(space.MakeObject());
        }
        const CPDF_Color color = stroke ? state.StrokeColor() : state.FillColor();
        const uint32_t count = color.NumComponents();
        add(&count, sizeof count);
        if (count > 0)
            add(color.Components(), count * sizeof(double));
        const GLOB_Name pattern = stroke ? state.StrokePattern() : state.FillPattern();
        key += NameText(pattern);
        key += '\0';
    }
    if (taken & CSEP_GroupInheritance::TextModeTaken) {
        const int32_t mode = state.TextState().RenderMode();
        add(&mode, sizeof mode);
    }
    return key;
}

CPDF_GraphicsState CSEP_ContentSeparator::TakenState(const CPDF_GraphicsState& state, uint32_t taken) {
    // What the group does not take is written plainly: it sets its own.
    CPDF_GraphicsState kept = state;
    CPDF_Color black;
    black.SetNumComponents(1);
    black.SetComponent(0, 0.0);
    if ((taken & CSEP_GroupInheritance::FillTaken) == 0) {
        kept.SetFillColorSpace(CPDF_ColorSpace::MakeDeviceGray());
        kept.SetFillColor(black);
        kept.SetFillPattern(GLOB_Name());
    }
    if ((taken & CSEP_GroupInheritance::StrokeTaken) == 0) {
        kept.SetStrokeColorSpace(CPDF_ColorSpace::MakeDeviceGray());
        kept.SetStrokeColor(black);
        kept.SetStrokePattern(GLOB_Name());
    }
    if ((taken & CSEP_GroupInheritance::TextModeTaken) == 0) {
        CPDF_TextState text = kept.TextState();
        text.SetRenderingMode(0);
        kept.SetTextState(text);
    }
    return kept;
}

void CSEP_ContentSeparator::WriteToInks(const std::function<bool(uint32_t)>& selected, bool uniform,
                                        const std::function<void(uint32_t)>& write) {
    bool all = true;
    for (uint32_t i = 0; i < NumInks() && all; ++i)
        all = selected(i);
    if (all && uniform) {
        write(0);
        return;
    }
    for (uint32_t i = 0; i < NumInks(); ++i) {
        if (!selected(i))
            continue;
        m_writer.SetTarget(static_cast<int32_t>(i));
        write(i);
    }
    m_writer.SetTarget(-1);
}

void CSEP_ContentSeparator::WriteGrays(const std::function<void()>& operands, const char* op) {
    bool uniform = true;
    for (uint32_t i = 1; i < NumInks(); ++i)
        uniform = uniform && m_pressColor.Component(i) == m_pressColor.Component(0);
    WriteToInks([](uint32_t) { return true; }, uniform,
                [&](uint32_t i) {
                    m_writer.WriteReal(1.0 - m_pressColor.Component(i));
                    if (operands)
                        operands();
                    m_writer.WriteOperator(op);
                });
}

void CSEP_ContentSeparator::WriteToPaintingInks(const GLOB_Name& name, const char* op) {
    WriteToInks([&](uint32_t i) { return (m_inkStacks[i].Flags() & CSEP_InkState::FillFlag) != 0; }, true,
                [&](uint32_t) {
                    m_writer.WriteName(name);
                    m_writer.WriteOperator(op);
                });
}

void CSEP_ContentSeparator::SetPaintFlag(uint32_t ink, bool stroke, bool on, bool leaves) {
    const uint32_t flag = stroke ? CSEP_InkState::StrokeFlag : CSEP_InkState::FillFlag;
    m_inkStacks[ink].SetFlag(flag, on);
    m_inkStacks[ink].SetLeftFlag(flag, leaves);
}

void CSEP_ContentSeparator::UpdatePaintFlags(const CPDF_ColorSpace& space, bool stroke, const CPDF_GraphicsState& state,
                                             bool objectFlag) {
    const uint32_t n = NumInks();
    // Overprint alone leaves an ink: a mark in None makes none.
    const auto setAll = [&](bool on) {
        for (uint32_t i = 0; i < n; ++i)
            SetPaintFlag(i, stroke, on, false);
    };
    const bool isNone = space.IsSeparation() && space.AsSeparation().Colorant() == CPDF_Colorant("None");
    if (isNone || !(stroke ? state.StrokeOverprint() : state.FillOverprint())) {
        setAll(!isNone);
        return;
    }
    switch (space.Type()) {
    case CPDF_ColorSpace::DeviceGray:
        // A gray is the process colour (0, 0, 0, 1 - g): it names all four
        // process inks, whatever the overprint mode, and no spot ink.
        for (uint32_t i = 0; i < n; ++i)
            SetPaintFlag(i, stroke, i < 4);
        return;
    case CPDF_ColorSpace::DeviceCMYK: {
        const CPDF_Color color = stroke ? state.StrokeColor() : state.FillColor();
        const bool byComponent = state.OverprintMode() == 1 && !objectFlag && color.NumComponents() >= 4;
        for (uint32_t i = 0; i < n; ++i)
            SetPaintFlag(i, stroke, i < 4 && (!byComponent || std::fabs(color.Component(i)) > 1e-6));
        return;
    }
    case CPDF_ColorSpace::Separation: {
        const CPDF_Colorant colorant = space.AsSeparation().Colorant();
        for (uint32_t i = 0; i < n; ++i)
            SetPaintFlag(i, stroke, colorant == CPDF_Colorant("All") || m_job.Colorant(i) == colorant);
        return;
    }
    case CPDF_ColorSpace::DeviceN: {
        const std::vector<CPDF_Colorant> colorants = space.NamedColorants();
        for (uint32_t i = 0; i < n; ++i) {
            const CPDF_Colorant ink = m_job.Colorant(i);
            SetPaintFlag(i, stroke, std::find(colorants.begin(), colorants.end(), ink) != colorants.end());
        }
        return;
    }
    case CPDF_ColorSpace::Indexed:
        UpdatePaintFlags(space.BaseColorSpace(), stroke, state, true);
        return;
    case CPDF_ColorSpace::Pattern: {
        const CPDF_ColorSpace underlying = space.BaseColorSpace();
        // Inside a group its cells cover every ink (CSEP_ContentSeparator.h).
        if (!underlying.IsNull() && m_insideGroup)
            setAll(true);
        else if (!underlying.IsNull())
            UpdatePaintFlags(underlying, stroke, state, false);
        else
            UpdatePatternPaintFlags(stroke ? state.StrokePattern() : state.FillPattern(), stroke);
        return;
    }
    default:
        setAll(true);
        return;
    }
}

void CSEP_ContentSeparator::UpdatePatternPaintFlags(const GLOB_Name& patternName, bool stroke) {
    const GLOB_Object pattern =
        patternName.IsEmpty() || !m_resources.Dict().IsDict() ? GLOB_Object() : m_resources.Pattern(patternName);
    const GLOB_Object type = pattern.IsDict() ? pattern.DictGet(GLOB_Name("PatternType")) : GLOB_Object();
    if (!type.IsInteger() || type.AsInteger() != 2) {
        for (uint32_t i = 0; i < NumInks(); ++i)
            SetPaintFlag(i, stroke, true, false);
        return;
    }
    const GLOB_Object shading = pattern.DictGet(GLOB_Name("Shading"));
    if (!shading.IsDict() && !shading.IsStream())
        GLIB_THROW(GLIB_Exception, CSEP_PatternCode, "Shading pattern missing shading object");
    const GLOB_Object space = shading.DictGet(GLOB_Name("ColorSpace"));
    if (space.IsNull())
        GLIB_THROW(GLIB_Exception, CSEP_PatternCode, "Shading pattern missing colorspace");
    CPDF_GraphicsState patternState;
    const GLOB_Object extGState = pattern.DictGet(GLOB_Name("ExtGState"));
    if (!extGState.IsNull())
        patternState.ApplyExtGState(extGState);
    UpdatePaintFlags(CPDF_ColorSpace(space), stroke, patternState, true);
}

void CSEP_ContentSeparator::RefreshPaintFlags(bool stroke) {
    const CPDF_GraphicsState state = Parser().GraphicsState();
    UpdatePaintFlags(SpaceOf(state, stroke), stroke, state, false);
}

void CSEP_ContentSeparator::UpdateTextRenderMode(int32_t mode) {
    if (mode < 0 || mode > 7)
        return;
    std::vector<int32_t> modes;
    std::vector<bool> changed;
    for (const CSEP_InkStateStack& stack : m_inkStacks) {
        // Once white shows began, the text clip waits for ET (ReplayTextClip).
        modes.push_back(TextModeTable[stack.Flags()][mode] & (m_textClipAtEnd ? 3 : 7));
        changed.push_back(modes.back() != stack.TextMode());
    }
    const bool uniform = std::all_of(modes.begin(), modes.end(), [&](int32_t m) { return m == modes.front(); });
    WriteToInks([&](uint32_t i) { return changed[i]; }, uniform,
                [&](uint32_t i) {
                    m_writer.WriteInteger(modes[i]);
                    m_writer.WriteOperator("Tr");
                });
    for (uint32_t i = 0; i < NumInks(); ++i)
        m_inkStacks[i].SetTextMode(modes[i]);
}

GLOB_Name CSEP_ContentSeparator::SeparatedResourceName(uint32_t category, const GLOB_Name& name,
                                                       const GLOB_Object& object, const CPDF_GraphicsState& state) {
    // A form starts in what the inks' streams have in force here; a
    // transparency group's marks in alpha 1 and Normal, which apply to the
    // group as a whole. Outside an isolated or knockout group no mark reads
    // them: one separation serves every alpha.
    CSEP_InkStreamState inkState;
    const GLOB_Object group = object.IsStream() ? object.DictGet(GLOB_Name("Group")) : GLOB_Object();
    const GLOB_Object kind = group.IsDict() ? group.DictGet(GLOB_Name("S")) : GLOB_Object();
    if (category == CSEP_ResourceCache::FormCategory && m_insideGroup &&
        !(kind.IsName() && kind.AsName() == "Transparency"))
        inkState = m_inkStates.back().Inherited();
    CSEP_Resource record;
    if (m_pResourceCache->Find(category, name, &record)) {
        for (uint32_t i = 0; i < record.NumStates(); ++i)
            if (IsSameColorState(category, record.State(i), state) && record.InkState(i).SameInherited(inkState))
                return record.Name(i);
    } else {
        record = CSEP_Resource(object);
    }
    const GLOB_Name newName = m_pResourceCache->NewName(category);
    record.AddState(state, newName, inkState);
    m_pResourceCache->Put(category, name, record);
    return newName;
}

bool CSEP_ContentSeparator::IsSameColorState(uint32_t category, const CPDF_GraphicsState& a,
                                             const CPDF_GraphicsState& b) {
    const bool same = a.UndercolorRemoval().IsDeepEqual(b.UndercolorRemoval()) &&
                      a.BlackGeneration().IsDeepEqual(b.BlackGeneration()) &&
                      a.RenderingIntent() == b.RenderingIntent() && a.StrokeOverprint() == b.StrokeOverprint() &&
                      a.FillOverprint() == b.FillOverprint() && a.OverprintMode() == b.OverprintMode() &&
                      a.TextState().RenderMode() == b.TextState().RenderMode();
    if (!same || (category != CSEP_ResourceCache::FormCategory && category != CSEP_ResourceCache::FontCategory))
        return same;
    const auto type3 = [](const GLOB_Object& font) { return font.IsDict() && font.HasSubtype("Type3"); };
    if ((type3(a.Font()) || type3(b.Font())) && !(a.Font() == b.Font()))
        return false;
    return a.FillColorSpace() == b.FillColorSpace() && a.StrokeColorSpace() == b.StrokeColorSpace() &&
           a.FillColor() == b.FillColor() && a.StrokeColor() == b.StrokeColor() && a.FillPattern() == b.FillPattern() &&
           a.StrokePattern() == b.StrokePattern();
}

GLOB_Name CSEP_ContentSeparator::ColorSpaceName(const CPDF_ColorSpace& space) {
    const GLOB_OperandStack& operands = Parser().Operands();
    if (!AtStreamStart() && operands.Size() > 0 && operands.Top().IsName())
        return operands.Top().AsName();
    // The space came with the stream's initial state: any key names it
    // that the content's own names, all of the resources, cannot reach.
    const GLOB_Object object = space.MakeObject();
    for (CSEP_ResourceCache::Iterator it = m_pResourceCache->Begin(CSEP_ResourceCache::ColorSpaceCategory);
         !it.AtEnd();) {
        const CSEP_ResourceCache::Entry entry = it.Next();
        if (entry.second.Object() == object)
            return entry.first;
    }
    const GLOB_Object names = m_resources.Dict().IsDict() ? m_resources.ColorSpaceDict() : GLOB_Object();
    for (;;) {
        const GLOB_Name key = m_pResourceCache->NewName(CSEP_ResourceCache::ColorSpaceCategory);
        if (!m_pResourceCache->Find(CSEP_ResourceCache::ColorSpaceCategory, key, nullptr) &&
            !(names.IsDict() && names.Known(key))) {
            m_pResourceCache->Put(CSEP_ResourceCache::ColorSpaceCategory, key, CSEP_Resource(object));
            return key;
        }
    }
}

void CSEP_ContentSeparator::BeginStream() {
    const CPDF_GraphicsState state = Parser().GraphicsState();
    SetColorSpace(state.FillColorSpace(), false);
    SetColor(state.FillColor(), false);
    SetColorSpace(state.StrokeColorSpace(), true);
    SetColor(state.StrokeColor(), true);
}

void CSEP_ContentSeparator::SetColorSpace(const CPDF_ColorSpace& space, bool stroke) {
    RecordTextFlush();
    m_pressColor.Zero();
    CSEP_ColorSeparator& separator = m_colorSeparators[stroke ? 1 : 0];
    const CPDF_GraphicsState state = Parser().GraphicsState();
    const bool silent = AtStreamStart() && (m_glyphProcedures || space.Type() == CPDF_ColorSpace::Pattern);
    const char* const op = stroke ? "CS" : "cs";
    if (!silent) {
        if (space.Type() == CPDF_ColorSpace::Indexed) {
            const GLOB_Name name = ColorSpaceName(space);
            m_writer.WriteName(
                SeparatedResourceName(CSEP_ResourceCache::ColorSpaceCategory, name, space.MakeObject(), state));
            m_writer.WriteOperator(op);
        } else if (space.Type() == CPDF_ColorSpace::Pattern) {
            GLOB_Name name = ColorSpaceName(space);
            if (!(name == "Pattern")) {
                CSEP_Resource record;
                if (m_pResourceCache->Find(CSEP_ResourceCache::ColorSpaceCategory, name, &record) &&
                    record.NumStates() > 0) {
                    name = record.Name(0);
                } else {
                    const GLOB_Name newName = m_pResourceCache->NewName(CSEP_ResourceCache::ColorSpaceCategory);
                    m_pResourceCache->Put(CSEP_ResourceCache::ColorSpaceCategory, name,
                                          CSEP_Resource(space.MakeObject(), CPDF_GraphicsState(), newName));
                    name = newName;
                }
            }
            m_writer.WriteName(name);
            m_writer.WriteOperator(op);
        } else {
            const CPDF_ColorSpace::SpaceType previous = separator.ColorSpace().Type();
            if (previous == CPDF_ColorSpace::Indexed || previous == CPDF_ColorSpace::Pattern) {
                m_writer.WriteName(GLOB_Name("DeviceGray"));
                m_writer.WriteOperator(op);
            }
        }
    }
    separator.SetColorSpace(space);
    RefreshPaintFlags(stroke);
}

void CSEP_ContentSeparator::SetColor(const CPDF_Color& color, bool stroke) {
    RecordTextFlush();
    const CPDF_GraphicsState state = Parser().GraphicsState();
    const CPDF_ColorSpace space = SpaceOf(state, stroke);
    // A pattern colour at the start is the pattern of the drawing content.
    if (AtStreamStart() && (m_glyphProcedures || space.Type() == CPDF_ColorSpace::Pattern))
        return;
    if (space.Type() == CPDF_ColorSpace::Indexed) {
        m_writer.WriteReal(color.Component(0));
        m_writer.WriteOperator(stroke ? "SC" : "sc");
    } else {
        // Zeroed for each colour: a space restored by Q reaches fewer inks
        // than the one it replaced.
        m_pressColor.Zero();
        m_colorSeparators[stroke ? 1 : 0].ConvertColor(color, m_pressColor);
        WriteGrays(nullptr, stroke ? "G" : "g");
    }
    if (space.Type() == CPDF_ColorSpace::DeviceCMYK && state.OverprintMode() == 1)
        RefreshPaintFlags(stroke);
}

void CSEP_ContentSeparator::SetPatternColor(const GLOB_Name& name, const GLOB_Object& pattern, bool stroke) {
    RecordTextFlush();
    m_pResourceCache->Put(CSEP_ResourceCache::PatternCategory, name, CSEP_Resource(pattern));
    const char* const op = stroke ? "SCN" : "scn";
    const GLOB_Object paintType = pattern.IsStream() ? pattern.DictGet(GLOB_Name("PaintType")) : GLOB_Object();
    if (paintType.IsInteger() && paintType.AsInteger() == 2) {
        const CPDF_GraphicsState state = Parser().GraphicsState();
        const CPDF_Color color = stroke ? state.StrokeColor() : state.FillColor();
        if (SpaceOf(state, stroke).BaseColorSpace().Type() == CPDF_ColorSpace::Indexed) {
            m_writer.WriteReal(color.Component(0));
            m_writer.WriteName(name);
            m_writer.WriteOperator(op);
        } else {
            m_pressColor.Zero();
            m_colorSeparators[stroke ? 1 : 0].ConvertColor(color, m_pressColor);
            WriteGrays([&] { m_writer.WriteName(name); }, op);
        }
    } else {
        m_writer.WriteName(name);
        m_writer.WriteOperator(op);
    }
    RefreshPaintFlags(stroke);
}

void CSEP_ContentSeparator::PaintPath(int32_t op) {
    const int column = PaintColumn(op);
    if (column < 0)
        GLIB_THROW(GLIB_Exception, ParseErrorCode, "Invalid paint operator " << Parser().OperatorText());
    if (m_holdingPath) {
        PaintHeldPath(column);
        return;
    }
    const auto keyword = [&](uint32_t i) { return PaintTable[m_inkStacks[i].Flags()][column]; };
    bool uniform = true;
    for (uint32_t i = 1; i < NumInks(); ++i)
        uniform = uniform && std::strcmp(keyword(i), keyword(0)) == 0;
    WriteToInks([](uint32_t) { return true; }, uniform, [&](uint32_t i) { m_writer.WriteOperator(keyword(i)); });
}

void CSEP_ContentSeparator::DoForm(const GLOB_Name& name, const GLOB_Object& form) {
    // The form's streams start each ink at mode 0 and write Tr only where
    // their own text needs another; the mode an ink's page left in force
    // (3 where its fill does not paint) would hide the form's text.
    WriteToInks([&](uint32_t i) { return m_inkStacks[i].TextMode() != 0; }, true,
                [&](uint32_t) {
                    m_writer.WriteInteger(0);
                    m_writer.WriteOperator("Tr");
                });
    for (CSEP_InkStateStack& stack : m_inkStacks)
        stack.SetTextMode(0);
    m_writer.WriteName(SeparatedResourceName(CSEP_ResourceCache::FormCategory, name, form, Parser().GraphicsState()));
    m_writer.WriteOperator("Do");
}

void CSEP_ContentSeparator::DoImage(const GLOB_Name& name, const GLOB_Object& image) {
    const GLOB_Name newName =
        SeparatedResourceName(CSEP_ResourceCache::ImageCategory, name, image, Parser().GraphicsState());
    const GLOB_Object isMask = image.DictGet(GLOB_Name("ImageMask"));
    const bool mask = isMask.IsBoolean() && isMask.AsBoolean();
    const bool masked = !image.DictGet(GLOB_Name("SMask")).IsNull() || !image.DictGet(GLOB_Name("Mask")).IsNull();
    PaintImage(newName, mask, masked,
               mask ? CPDF_ColorSpace() : CPDF_ColorSpace(image.DictGet(GLOB_Name("ColorSpace"))));
}

void CSEP_ContentSeparator::PaintImage(const GLOB_Name& name, bool isMask, bool masked, const CPDF_ColorSpace& space) {
    // A stencil mask paints with the fill colour, whose flags stand.
    if (!isMask)
        UpdatePaintFlags(space, false, Parser().GraphicsState(), true);
    WriteToPaintingInks(name, "Do");
    PaintBackdropImage(name, isMask || masked);
    if (!isMask)
        RefreshPaintFlags(false);
}

void CSEP_ContentSeparator::DoInlineImage(CPDF_InlineImage image) {
    const GLOB_Doc doc = m_job.Doc();
    const GLOB_Object attributes = doc.NewDict(2, false);
    if (!image.Filter().IsNull())
        attributes.DictPut(GLOB_Name("Filter"), doc.Copy(image.Filter(), true));
    if (!image.DecodeParms().IsNull())
        attributes.DictPut(GLOB_Name("DecodeParms"), doc.Copy(image.DecodeParms(), true));
    GLOB_Stream data = image.Stream(0);
    // Flag 1: the data keep the encoding the content gave them.
    const GLOB_Object stream = doc.NewStream(data, 1, attributes, GLOB_Object(), -1);
    data.Close();
    const CPDF_ImageParams params = image.ImageParams();
    const CPDF_Image xobject(params, stream, false);
    std::vector<GLOB_Object> pieces;
    try {
        m_inlineImages.SeparateInlineImage(xobject.Object(), pieces);
    } catch (GLIB_Exception& e) {
        CSEP_LeadMessage(e, "inline image");
        throw;
    }
    const bool mask = params.IsImageMask();
    const CPDF_ColorSpace space = mask ? CPDF_ColorSpace() : params.ColorSpace();
    if (!std::all_of(pieces.begin(), pieces.end(), CSEP_InlineImageWriter::CanWrite)) {
        // Kept as made: the cache hands the inks' pieces to the resources.
        const GLOB_Object perInk = doc.NewArray(static_cast<uint32_t>(pieces.size()), false);
        for (uint32_t i = 0; i < pieces.size(); ++i)
            perInk.ArrayPut(i, pieces[i]);
        const GLOB_Name newName = m_pResourceCache->NewName(CSEP_ResourceCache::ImageCategory);
        m_pResourceCache->Put(CSEP_ResourceCache::InlineImageCategory, newName,
                              CSEP_Resource(perInk, Parser().GraphicsState(), newName));
        PaintImage(newName, mask, false, space);
        return;
    }
    // A stencil mask paints with the fill colour, whose flags stand.
    if (!mask)
        UpdatePaintFlags(space, false, Parser().GraphicsState(), true);
    WriteToInks([&](uint32_t i) { return (m_inkStacks[i].Flags() & CSEP_InkState::FillFlag) != 0; }, false,
                [&](uint32_t i) {
                    m_writer.Flush();
                    CSEP_InlineImageWriter::Write(pieces[i], xobject.Object(), m_writer.Stream());
                });
    PaintBackdropMarks(false, [&](uint32_t i) {
        if (!mask) {
            WriteWhiteUnitSquare();
            return;
        }
        m_writer.Flush();
        CSEP_InlineImageWriter::Write(pieces[i], xobject.Object(), m_writer.Stream());
    });
    if (!mask)
        RefreshPaintFlags(false);
}

void CSEP_ContentSeparator::DoShading(const GLOB_Name& name, const GLOB_Object& shading) {
    if (!shading.IsDict() && !shading.IsStream())
        GLIB_THROW(GLIB_Exception, CSEP_ShadingCode, "Missing shading " << NameText(name));
    m_pResourceCache->Put(CSEP_ResourceCache::ShadingCategory, name, CSEP_Resource(shading));
    UpdatePaintFlags(CPDF_ColorSpace(shading.DictGet(GLOB_Name("ColorSpace"))), false, Parser().GraphicsState(), true);
    WriteToPaintingInks(name, "sh");
    // An ink the shading does not reach has it white (CSEP_SliceConverter).
    PaintBackdropMarks(true, [&](uint32_t) {
        m_writer.WriteName(name);
        m_writer.WriteOperator("sh");
    });
    RefreshPaintFlags(false);
}

void CSEP_ContentSeparator::ShowText(int32_t op) {
    const int32_t mode = Parser().GraphicsState().TextState().RenderMode();
    const std::vector<std::vector<SideMark>> marks = BackdropTextMarks(mode);
    // A clip applied here replays the text object, whose fonts then stand
    // as the content named them: the show's copy is named after it.
    BeginTextShow(mode, !marks.empty());
    SelectGlyphColours();
    UpdateTextRenderMode(mode);
    RecordTextOperation(op, mode);
    if (marks.empty())
        PassThrough(op);
    else
        ShowBackdropText(op, marks);
    m_textClipShown = m_textClipShown || (m_textClipAtEnd && mode >= 4);
}

void CSEP_ContentSeparator::PassThrough(int32_t op) {
    if (HoldPathOperation(op))
        return;
    const bool flushesText = RecordTextOperation(op, -1);
    switch (op) {
    case Op::Op_gs: {
        RefreshPaintFlags(true);
        RefreshPaintFlags(false);
        const GLOB_Object state = ExtGStateSet();
        m_inkStates.back().ApplyExtGState(state);
        // Its font, separated whole, is the one in force now.
        if (state.IsDict() && state.Known(GLOB_Name("Font"))) {
            m_inkStates.back().ForgetGlyphFont();
            const CPDF_GraphicsState now = Parser().GraphicsState();
            if (m_inTextObject && now.Font().IsDict())
                RecordText("Tf", {m_job.Doc().NewName(FontName(now.Font())),
                                  m_job.Doc().NewReal(now.TextState().FontSize())}, -1);
        }
        if (CSEP_TransparencyFinder::HoldsMask(state))
            m_job.NoteMaskSet(state);
        if (!WriteSoftMaskState(state)) {
            RecordUse(CSEP_ResourceCache::ExtGStateCategory, "ExtGState", Parser().Operands().Top());
            m_writer.WriteOperation(Parser().OperatorText(), Parser().Operands());
        }
        // The inks' state may have lost what made the drawing apply the
        // clip of the text shown before: it applies there all the same.
        if (flushesText)
            WriteTextFlush();
        return;
    }
    case Op::Op_Tf: {
        const GLOB_Object name = Parser().Operands().Operand(1);
        const bool coloured = name.IsName() && m_resources.Dict().IsDict() &&
                              TakesColours(m_resources.Resource("Font", name.AsName()));
        m_inkStates.back().ForgetGlyphFont();
        if (!coloured) {
            RecordUse(CSEP_ResourceCache::FontCategory, "Font", name);
            RecordText("Tf", {name, Parser().Operands().Operand(0)}, -1);
            break;
        }
        SelectGlyphColours();
        RecordText("Tf", {m_job.Doc().NewName(m_inkStates.back().m_glyphWritten), Parser().Operands().Operand(0)},
                   -1);
        return;
    }
    case Op::Op_d0:
        if (m_glyphProcedures) {
            m_writer.WriteOperation(Parser().OperatorText(), Parser().Operands());
            WriteGlyphColours();
            return;
        }
        break;
    case Op::Op_q:
        for (CSEP_InkStateStack& stack : m_inkStacks)
            stack.Push();
        m_inkStates.push_back(m_inkStates.back());
        break;
    case Op::Op_Q: {
        for (CSEP_InkStateStack& stack : m_inkStacks)
            stack.Pop();
        if (m_inkStates.size() > 1)
            m_inkStates.pop_back();
        const CPDF_GraphicsState state = Parser().GraphicsState();
        m_colorSeparators[0].SetColorSpace(state.FillColorSpace());
        m_colorSeparators[1].SetColorSpace(state.StrokeColorSpace());
        break;
    }
    case Op::Op_Tr:
        UpdateTextRenderMode(Parser().GraphicsState().TextState().RenderMode());
        return;
    case Op::Op_BT:
        BeginTextObject();
        break;
    case Op::Op_ET:
        ReplayTextClip();
        break;
    default:
        break;
    }
    m_writer.WriteOperation(Parser().OperatorText(), Parser().Operands());
}

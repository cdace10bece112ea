// ExtGState dictionaries applied to a graphics state: each entry, each bad
// entry's warning, and what changes as a result.
#include "CPDF/content/CPDF_GraphicsState.h"

#include "CPDF/CPDF_TestUtil.h"
#include "CPDF/content/iCPDF_ExtGStateKeyTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace {

using Core = iCPDF_GraphicsStateCore;

// Names a device object: which default it is, or its kind.
std::string Which(const GLOB_Object& object) {
    if (object == Core::IdentityFunction())
        return "Identity";
    if (object == Core::DefaultTransfer())  // also the default black generation
        return "Default";
    if (object == Core::DefaultUndercolorRemoval())
        return "DefaultUCR";
    return GLOB_Object::TypeString(object.Type());
}

// "KEY=value" for every parameter that differs from a fresh state's.
std::string Changes(const CPDF_GraphicsState& s) {
    const auto values = [](const CPDF_GraphicsState& g) {
        std::ostringstream os;
        os << "OP=" << g.StrokeOverprint() << "|op=" << g.FillOverprint() << "|OPM=" << g.OverprintMode()
           << "|BG=" << Which(g.BlackGeneration()) << "|UCR=" << Which(g.UndercolorRemoval())
           << "|TR=" << Which(g.Transfer()) << "|HT=" << Which(g.Halftone()) << "|HTP=" << g.HalftonePhaseX() << ","
           << g.HalftonePhaseY() << "|D=" << g.DashPattern() << "|Font=" << Which(g.Font()) << " "
           << g.TextState().FontSize() << "|LC=" << g.LineCap() << "|LJ=" << g.LineJoin() << "|LW=" << g.LineWidth()
           << "|ML=" << g.MiterLimit() << "|FL=" << g.Flatness() << "|SM=" << g.Smoothness()
           << "|SA=" << g.StrokeAdjustment() << "|RI=";
        g.RenderingIntent().Print(os) << "|";
        return os.str();
    };
    std::istringstream mine(values(s)), fresh(values(CPDF_GraphicsState()));
    std::string changes, a, b;
    while (std::getline(mine, a, '|') && std::getline(fresh, b, '|'))
        if (a != b)
            changes += (changes.empty() ? "" : " ") + a;
    return changes;
}

}  // namespace

TEST(CPDF_GraphicsState, ExtGStateEntriesApplyOrWarn) {
    const struct {
        const char* dict;
        const char* warning;  // the one logged, if any
        const char* changes;
    } cases[] = {
        // Overprint: OP alone sets both; op wins for filling in either order.
        {"<< /OP true >>", "", "OP=1 op=1"},
        {"<< /OP true /op false >>", "", "OP=1"},
        {"<< /op false /OP true >>", "", "OP=1"},
        {"<< /op true >>", "", "op=1"},
        {"<< /OP 1 >>", "Non boolean value found for 'OP' entry", ""},
        {"<< /OPM 1.0 >>", "Non integer value found for 'OPM' entry", ""},
        {"<< /OPM 2 >>", "Illegal value '2' found for 'OPM' entry", ""},
        {"<< /OPM 1 /SA false /RI /Perceptual >>", "", "OPM=1 SA=0 RI=Perceptual"},
        // Numbers out of range are clamped.
        {"<< /LW -3 >>", "Illegal value '-3' for 'LW' entry, set to minimum value '0'", "LW=0"},
        {"<< /ML 0.5 >>", "Illegal value '0.5' for 'ML' entry, set to minimum value '1'", "ML=1"},
        {"<< /FL 150 >>", "Illegal value '150' for 'FL' entry, set to closest supported value '100'", "FL=100"},
        {"<< /SM -0.5 >>", "Illegal value '-0.5' for 'SM' entry, set to closest supported value '0'", "SM=0"},
        {"<< /LC 2 /LJ 1 >>", "", "LC=2 LJ=1"},
        {"<< /LC 3 >>", "Illegal value '3' found for 'LC' entry", ""},
        // Functions: a bad TR falls back on the default, other bad ones are skipped.
        {"<< /TR /Identity >>", "", "TR=Identity"},
        {"<< /TR /Foo >>", "Invalid name value 'Foo' found for 'TR' entry. Using /Default instead.", ""},
        {"<< /TR 5 >>", "Non dictionary/array/stream found for 'TR' entry. Using /Default instead.", ""},
        {"<< /TR /Identity /TR2 /Foo >>", "Invalid name value 'Foo' found for 'TR2' entry. Using /Default instead.", ""},
        {"<< /TR /Identity /TR2 5 >>", "Non dictionary/array/stream found for 'TR2' entry. Using /Default instead.", ""},
        {"<< /TR [/Identity /Default /Identity /Identity] >>", "", "TR=Array"},
        {"<< /UCR << >> /UCR2 /Identity >>", "", ""},
        {"<< /BG2 << >> /BG /Foo >>", "Invalid name value 'Foo' found for 'BG' entry", "BG=Dict"},
        {"<< /BG2 5 >>", "Non dictionary/stream found for 'BG2' entry", ""},
        {"<< /HT << >> >>", "", "HT=Dict"},
        {"<< /HT << >> /HT2 /Default >>", "", ""},
        {"<< /HT 1 >>", "Non dictionary or stream found for 'HT' entry", ""},
        // Pairs.
        {"<< /D [[3 2] 1] >>", "", "D=[3 2] 1"},
        {"<< /D [3 2] >>", "Non array array value found for 'D' entry", ""},
        {"<< /D [[3] 1 2] >>", "Invalid array length '3' found for 'D' entry", ""},
        {"<< /D [[-1] 0] >>", "Non numeric or negative dash length found for 'D' entry", ""},
        {"<< /D 5 >>", "Non array value found for 'D' entry", ""},
        {"<< /Font [<< /Type /Font >> 10] >>", "", "Font=Dict 10"},
        {"<< /Font [/F1 10] >>", "Non Dict font object found for 'Font' entry", ""},
        {"<< /HTP [1 -2] >>", "", "HTP=1,-2"},
        {"<< /HTP [1 2.5] >>", "Non integer array values found for 'HTP' entry", ""},
        // Type is checked, other keys are skipped in silence.
        {"<< /Type /ExtGState /CA 0.5 /BM /Multiply >>", "", ""},
        {"<< /Type /Pattern >>", "Unexpected value 'Pattern' found for 'Type' entry", ""},
        {"[/LW 3]", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        LogCapture log;
        CPDF_GraphicsState state;
        state.ApplyExtGState(Obj(c.dict));
        std::string warnings;
        for (const LogCapture::Entry& entry : log.Entries())
            warnings += (entry.level == GLIB_LogWarning ? "" : "not a warning: ") + entry.text;
        EXPECT_EQ(warnings, c.warning);
        EXPECT_EQ(Changes(state), c.changes);
    }
}

// A bad TR and a UCR of /Identity install the defaults, not what was there.
TEST(CPDF_GraphicsState, ExtGStateNamesReplaceFunctionsWithTheDefaults) {
    const LogCapture quiet;
    const struct {
        const char* dict;
        const char* which;
        std::function<GLOB_Object(const CPDF_GraphicsState&)> read;
    } cases[] = {
        {"<< /TR /Foo >>", "Default", &CPDF_GraphicsState::Transfer},
        {"<< /TR 5 >>", "Default", &CPDF_GraphicsState::Transfer},
        {"<< /UCR /Identity >>", "DefaultUCR", &CPDF_GraphicsState::UndercolorRemoval},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        CPDF_GraphicsState state;
        state.SetTransfer(Obj("<< /FunctionType 2 /Domain [0 1] /N 2 >>"));
        state.SetUndercolorRemoval(Obj("<< /FunctionType 2 /Domain [0 1] /N 3 >>"));
        state.ApplyExtGState(Obj(c.dict));
        EXPECT_EQ(Which(c.read(state)), c.which);
    }
}

TEST(CPDF_GraphicsState, ExtGStateChangesOnlyItsOwnCopy) {
    CPDF_GraphicsState state;
    state.SetLineWidth(2);
    const CPDF_GraphicsState saved = state;
    state.ApplyExtGState(Obj("<< /LW 5 /OP true /D [[1] 0] >>"));
    EXPECT_EQ(saved.LineWidth(), 2);
    EXPECT_FALSE(saved.FillOverprint());
    EXPECT_TRUE(saved.DashPattern().IsSolid());
    EXPECT_EQ(state.LineWidth(), 5);
}

TEST(iCPDF_ExtGStateKeyTable, NamesEveryKeyAtItsCode) {
    using Table = iCPDF_ExtGStateKeyTable;
    ASSERT_EQ(Table::Size(), 23);
    for (int32_t code = 0; code < Table::Size(); ++code)
        EXPECT_EQ(Table::Find(Table::KeyName(code)), code);
    EXPECT_STREQ(Table::KeyName(22), "op");
    EXPECT_STREQ(Table::KeyName(23), "?");
    EXPECT_STREQ(Table::KeyName(-1), "?");
    EXPECT_EQ(Table::Find("CA"), -1);
}

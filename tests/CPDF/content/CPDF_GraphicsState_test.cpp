// The graphics state: the listing of its defaults, comparison field by field,
// copy-on-write of its setters, the asserting setters, the default functions
//
#include "CPDF/content/CPDF_GraphicsState.h"

#include "ContentTestUtil.h"
#include "CPDF/function/CPDF_Function.h"
#include "GLIB/GLIB_Assert.h"
#include "support/TestSupport.h"
#include "GLIB_Stack.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Change = std::function<void(CPDF_GraphicsState&)>;
using Core = iCPDF_GraphicsStateCore;

double Evaluated(const GLOB_Object& function, double x) {
    double out = 0;
    CPDF_Function(function).Evaluate(&x, &out, 1);
    return out;
}

std::vector<std::string> g_asserted;

}  // namespace

TEST(CPDF_GraphicsState, FreshStateListsItsDefaults) {
    const CPDF_GraphicsState fresh;
    EXPECT_TRUE(fresh == CPDF_GraphicsState());
    std::ostringstream text;
    CPDF_TextState().Print(text);
    EXPECT_EQ(Printed(fresh), "\n***** Graphics State *****\n"
                              "CTM                : [ 1 0 0 1 0 0 ]\n"
                              "Clip Path          : \n\n"
                              "Overprint mode     : Off\n"
                              "Fill color         : Color: 0 \n"
                              "Fill colorspace    : ColorSpace: DeviceGray\n"
                              "Fill pattern       : \n"
                              "Fill Overprint     : False\n"
                              "Stroke color       : Color: 0 \n"
                              "Stroke colorspace  : ColorSpace: DeviceGray\n"
                              "Stroke pattern     : \n"
                              "Stroke Overprint   : False\n"
                              "Line Width         : 1\n"
                              "Line Cap Style     : Butt End Caps\n"
                              "Line Join Style    : MiterJoins\n"
                              "Miter Limit        : 10\n"
                              "Dash Pattern       : [] 0\n"
                              "Stroke Adjustment  : True\n"
                              "Flatness           : 0\n"
                              "Smoothness         : 0.02\n"
                              "Black Generation   : -dict-\n"
                              "Undercolor Removal : -dict-\n"
                              "Gray Transfer      : -dict-\n"
                              "Halftone           : null\n"
                              "Rendering Intent   : RelativeColorimetric\n"
                              "Halftone Phase     : [0,0]\n" + text.str());
    LogCapture log;
    fresh.Dump();
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, Printed(fresh)));
}

TEST(CPDF_GraphicsState, ListsOtherValuesByName) {
    EXPECT_STREQ(CPDF_GraphicsState::LineCapName(7), "?");
    EXPECT_STREQ(CPDF_GraphicsState::LineJoinName(2), "Bevel Joins");
    EXPECT_STREQ(CPDF_GraphicsState::TextRenderModeName(6), "FillStrokeAndClip");
    CPDF_GraphicsState state;
    state.SetFillColorSpace(CPDF_ColorSpace(GLOB_ObjectFactory::NewName(GLOB_Name("Pattern"))));
    state.SetFillPattern(GLOB_Name("P1"));
    state.SetHalftonePhase(3, -4);
    for (const char* line : {"Fill colorspace    : ColorSpace: Pattern\nFill pattern       : P1\n",
                             "Halftone Phase     : [3,-4]\n"}) {
        SCOPED_TRACE(line);
        EXPECT_NE(Printed(state).find(line), std::string::npos);
    }
}

TEST(CPDF_GraphicsState, DefaultFunctionsAreLinearAndToldApartByObject) {
    const GLOB_Object identity = Core::IdentityFunction(), transfer = Core::DefaultTransfer();
    EXPECT_DOUBLE_EQ(Evaluated(identity, 0.3), 0.3);
    EXPECT_DOUBLE_EQ(Evaluated(transfer, 0.7), 0.7);
    EXPECT_DOUBLE_EQ(Evaluated(Core::DefaultUndercolorRemoval(), 0.3), -0.4);  // -1 at 0 to 1 at 1
    EXPECT_TRUE(transfer == Core::DefaultBlackGeneration());
    EXPECT_FALSE(transfer == identity);
    EXPECT_TRUE(transfer.IsDeepEqual(identity));
    EXPECT_TRUE(Core::DefaultHalftone().IsNull());
    EXPECT_TRUE(CPDF_GraphicsState().Transfer() == transfer);
    EXPECT_TRUE(CPDF_GraphicsState().UndercolorRemoval() == Core::DefaultUndercolorRemoval());
}

TEST(CPDF_GraphicsState, ComparesFieldByField) {
    const GLOB_Object dict = GLOB_ObjectFactory::NewEmptyDict();
    const CPDF_DashPattern dash(0, {3});
    const struct {
        const char* what;
        Change change;
        bool equal;
    } cases[] = {
        {"same width", [](CPDF_GraphicsState& s) { s.SetLineWidth(1.0); }, true},
        {"equal colour, own core", [](CPDF_GraphicsState& s) { s.SetFillColor(CPDF_Color(1u)); }, true},
        {"CTM e by 0.0005", [](CPDF_GraphicsState& s) { s.ConcatCTM(GLIB_Matrix(1, 0, 0, 1, 0.0005, 0)); }, true},
        {"transfer deep-equal", [](CPDF_GraphicsState& s) { s.SetTransfer(Core::IdentityFunction()); }, true},
        {"empty fill pattern", [](CPDF_GraphicsState& s) { s.SetFillPattern(GLOB_Name()); }, true},
        {"back to defaults", [&](CPDF_GraphicsState& s) { s.SetHalftone(dict), s.SetTextRise(1), s.SetDefaults(); },
         true},
        {"CTM e by 0.002", [](CPDF_GraphicsState& s) { s.ConcatCTM(GLIB_Matrix(1, 0, 0, 1, 0.002, 0)); }, false},
        {"clip", [](CPDF_GraphicsState& s) { s.AppendClipPath(PathOf("0 0 5 5 re")); }, false},
        {"fill overprint", [](CPDF_GraphicsState& s) { s.SetFillOverprint(true); }, false},
        {"overprint mode", [](CPDF_GraphicsState& s) { s.SetOverprintMode(1); }, false},
        {"stroke space, same colour",
         [](CPDF_GraphicsState& s) { s.SetStrokeColorSpace(CPDF_ColorSpace::MakeDeviceCMYK()); }, false},
        {"stroke colour", [](CPDF_GraphicsState& s) { s.SetStrokeColor(CPDF_Color(std::vector<double>{0.5})); }, false},
        {"fill pattern \"\"", [](CPDF_GraphicsState& s) { s.SetFillPattern(GLOB_Name("")); }, false},
        {"black generation", [&](CPDF_GraphicsState& s) { s.SetBlackGeneration(dict); }, false},
        {"halftone phase y", [](CPDF_GraphicsState& s) { s.SetHalftonePhase(0, 1); }, false},
        {"dash", [&](CPDF_GraphicsState& s) { s.SetDashPattern(dash); }, false},
        {"width by 1e-9", [](CPDF_GraphicsState& s) { s.SetLineWidth(1 + 1e-9); }, false},
        {"flatness", [](CPDF_GraphicsState& s) { s.SetFlatness(1); }, false},
        {"stroke adjustment", [](CPDF_GraphicsState& s) { s.SetStrokeAdjustment(false); }, false},
        {"intent", [](CPDF_GraphicsState& s) { s.SetRenderingIntent(GLOB_Name("Perceptual")); }, false},
        {"text state", [](CPDF_GraphicsState& s) { s.SetTextRenderingMode(CPDF_TextState::Clip); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPDF_GraphicsState changed;
        c.change(changed);
        EXPECT_EQ(changed == CPDF_GraphicsState(), c.equal);
        EXPECT_EQ(CPDF_GraphicsState() != changed, !c.equal);
    }
}

TEST(CPDF_GraphicsState, ChangesReachNoOtherHolder) {
    // Made beforehand, so that a change allocates only what the state does.
    const CPDF_Color colors[2] = {CPDF_Color(2u), CPDF_Color(3u)};
    const GLOB_Name names[2] = {GLOB_Name("P1"), GLOB_Name("P2")};
    const CPDF_ColorSpace spaces[2] = {CPDF_ColorSpace::MakeDeviceRGB(), CPDF_ColorSpace::MakeDeviceCMYK()};
    size_t flip = 0;
    const Change cases[] = {
        [](CPDF_GraphicsState& s) { s.SetLineWidth(s.LineWidth() + 1); },
        [](CPDF_GraphicsState& s) { s.ConcatCTM(GLIB_Matrix(1, 0, 0, 1, 0, 1)); },
        [](CPDF_GraphicsState& s) { s.SetFillOverprint(!s.FillOverprint()); },
        [&](CPDF_GraphicsState& s) { s.SetFontSize(static_cast<double>(++flip)); },
        [](CPDF_GraphicsState& s) { s.ConcatTextLineMatrix(GLIB_Matrix(1, 0, 0, 1, 10, 20)); },
        [&](CPDF_GraphicsState& s) { s.SetStrokeColor(colors[flip++ % 2]); },
        [&](CPDF_GraphicsState& s) { s.SetFillPattern(names[flip++ % 2]); },
        [&](CPDF_GraphicsState& s) { s.SetStrokeColorSpace(spaces[flip++ % 2]); },
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        ExpectCopyOnWrite(CPDF_GraphicsState(), cases[i], Printed<CPDF_GraphicsState>);
    }
}

// The dash pattern and clip a state hands out are values: changing them
// reaches neither the state nor a copy of it until they are set back.
TEST(CPDF_GraphicsState, HandedOutPatternsAndClipsAreValues) {
    CPDF_GraphicsState state;
    const CPDF_DashPattern dashes(0, {3, 2});
    state.SetDashPattern(dashes);
    state.AppendClipPath(PathOf("0 0 5 5 re"));
    const CPDF_GraphicsState copy = state;

    CPDF_DashPattern pattern = state.DashPattern();
    pattern.Append(1);
    pattern.Set(0, 7);
    CPDF_PathList clip = state.ClipPath();
    clip.Append(PathOf("1 1 m"));
    clip.Transform(GLIB_Matrix(1, 0, 0, 1, 10, 0));
    for (const CPDF_GraphicsState& s : {state, copy}) {
        EXPECT_TRUE(s.DashPattern() == dashes);
        EXPECT_EQ(s.ClipPath().NumPaths(), 1u);
        EXPECT_EQ(Walk(s.ClipPath().Path(0)), "re 0 0 5 5");
    }
    state.SetDashPattern(pattern);
    state.AssignClipPath(clip);
    EXPECT_EQ(Streamed(state.DashPattern()), "[7 2 1] 0");
    EXPECT_EQ(state.ClipPath().NumPaths(), 2u);
    EXPECT_TRUE(copy.DashPattern() == dashes);
    EXPECT_EQ(copy.ClipPath().NumPaths(), 1u);
}

// The parser's save stack holds handles that share their records: growing
// it, from empty or past three saved states, copies the handles in order.
TEST(CPDF_GraphicsState, TheSaveStackGrowsKeepingOrderAndSharing) {
    std::vector<CPDF_GraphicsState> saved(3);
    GLIB_Stack<CPDF_GraphicsState> stack(0);
    for (size_t i = 0; i < saved.size(); ++i) {
        saved[i].SetLineWidth(2.0 + i);
        stack.Push(saved[i]);
    }
    stack.Reserve(stack.Capacity() + 1);
    ASSERT_EQ(stack.Size(), 3u);
    const size_t* allocations = Allocations();
    for (size_t i = 0; i < saved.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(stack[i] == saved[i]);
        // Still shared: the first change of the original copies its record.
        const size_t from = allocations ? *allocations : 0;
        saved[i].SetLineWidth(10);
        if (allocations) {
            EXPECT_GT(*allocations - from, 0u);
        }
        EXPECT_EQ(stack[i].LineWidth(), 2.0 + i);
    }
    stack.Pop(stack.Size());
    EXPECT_EQ(saved[2].LineWidth(), 10);
}

TEST(CPDF_GraphicsState, SettersKeepWhatTheyDoNotSet) {
    CPDF_GraphicsState state;
    state.SetFillColor(CPDF_Color(std::vector<double>{0.25}));
    state.SetFillPattern(GLOB_Name("P1"));
    state.SetFillColorSpace(CPDF_ColorSpace::MakeDeviceRGB());
    EXPECT_TRUE(state.FillPattern().IsEmpty());
    EXPECT_TRUE(state.FillColor() == CPDF_Color(std::vector<double>{0.25}));
    // A matrix given to cm is applied before the CTM in force.
    state.SetCTM(GLIB_Matrix(2, 0, 0, 2, 0, 0));
    state.ConcatCTM(GLIB_Matrix(1, 0, 0, 1, 10, 20));
    EXPECT_TRUE(state.CTM() == GLIB_Matrix(2, 0, 0, 2, 20, 40));
    state.AppendClipPath(PathOf("0 0 m"));
    state.IntersectClipPath(state.ClipPath());  // the pending clip may be the clip itself
    const CPDF_PathList clip = state.ClipPath();
    state.ClearClipPath();
    EXPECT_EQ(clip.NumPaths(), 2u);
    EXPECT_EQ(state.ClipPath().NumPaths(), 0u);
}

TEST(CPDF_GraphicsState, OutOfRangeValuesAssertAndAreStored) {
    const GLOB_Object number = GLOB_ObjectFactory::NewInteger(1);
    const struct {
        Change change;
        const char* expression;
    } cases[] = {
        {[](CPDF_GraphicsState& s) { s.SetLineCap(-1); }, "style>=ButtEndCaps :: -1>=0"},
        {[](CPDF_GraphicsState& s) { s.SetLineJoin(3); }, "style<=BevelJoins :: 3<=2"},
        {[](CPDF_GraphicsState& s) { s.SetLineWidth(-2); }, "width>=0.0 :: -2>=0"},
        {[](CPDF_GraphicsState& s) { s.SetMiterLimit(0.5); }, "ratio>=1.0 :: 0.5>=1"},
        {[](CPDF_GraphicsState& s) { s.SetSmoothness(1.5); }, "percent<=1.0 :: 1.5<=1"},
        {[&](CPDF_GraphicsState& s) { s.SetUndercolorRemoval(number); }, "function.IsDict() || function.IsStream()"},
        {[&](CPDF_GraphicsState& s) { s.SetTransfer(number); },
         "function.IsDict() || function.IsStream() || function.IsArray()"},
        {[&](CPDF_GraphicsState& s) { s.SetHalftone(number); }, "dict.IsNull() || dict.IsDict() || dict.IsStream()"},
    };
    const GLIB_AssertHandler previous =
        GLIB_SetAssertHandler([](const char* expression, const char*, uint32_t) { g_asserted.push_back(expression); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        g_asserted.clear();
        CPDF_GraphicsState state;
        c.change(state);
        EXPECT_EQ(g_asserted, std::vector<std::string>{c.expression});
        EXPECT_FALSE(state == CPDF_GraphicsState());
    }
    GLIB_SetAssertHandler(previous);
}

// A graphics state written as the content operators that bring an output's
// state to it, and as an ExtGState dictionary.
#include "CPDF/content/CPDF_GraphicsState.h"

#include "CPDF/CPDF_TestUtil.h"
#include "CPDF/content/ContentTestUtil.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLIB_Stack.h"
#include "GLOB/GLOB_Dict.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using Change = std::function<void(CPDF_GraphicsState&)>;

// What write writes.
std::string Written(const std::function<void(GLOB_ObjectWriter&)>& write) {
    GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
    GLOB_ObjectWriter writer{GLOB_Stream(core)};
    write(writer);
    writer.Flush();
    return core->written;
}

std::string Text(const GLOB_Object& object) {
    return Written([&](GLOB_ObjectWriter& writer) { writer.WriteObject(object); });
}

struct Output {
    GLOB_Object resources = Obj("<< >>");
    GLIB_Stack<CPDF_GraphicsState> stack;
    std::string text;

    void Write(const CPDF_GraphicsState& state, const CPDF_PathList* pendingClip = nullptr) {
        CPDF_ResourcesDict dict(resources);
        text = Written([&](GLOB_ObjectWriter& writer) { state.WriteChanges(pendingClip, writer, dict, stack); });
    }
};

CPDF_Path Clip(const char* path, uint32_t rule) {
    CPDF_Path clip = PathOf(path);
    clip.SetFillRule(rule);
    return clip;
}

}  // namespace

TEST(CPDF_GraphicsState, WritesOnlyWhatDiffers) {
    const GLOB_Object font = Obj("<< /Type /Font >>");
    const CPDF_ColorSpace separation(Obj("[/Separation /Spot /DeviceGray << /FunctionType 2 /Domain [0 1] /C0 [0] "
                                         "/C1 [1] /N 1 >>]"));
    const struct {
        const char* what;
        Change change;
        const char* text;
        const char* resources;
    } cases[] = {
        {"nothing", [](CPDF_GraphicsState&) {}, "", "<< >>"},
        {"fill overprint", [](CPDF_GraphicsState& s) { s.SetFillOverprint(true); }, "/GS1 gs\n",
         "<< /ExtGState << /GS1 << /op true /Type /ExtGState >> >> >>"},
        {"device functions", [](CPDF_GraphicsState& s) {
             s.ApplyExtGState(Obj("<< /TR /Identity /BG2 << /N 2 >> /SA false /HTP [1 2] /HT << /A 1 >> >>"));
         },
         // The identity transfer equals the default one: nothing to write.
         "/GS1 gs\n", "<< /ExtGState << /GS1 << /SA false /BG2 << /N 2 >> /HT << /A 1 >> /HTP [1 2] "
                      "/Type /ExtGState >> >> >>"},
        {"gray to RGB", [](CPDF_GraphicsState& s) {
             s.SetFillColorSpace(CPDF_ColorSpace::MakeDeviceRGB());
             s.SetFillColor(CPDF_Color(std::vector<double>{0.1, 0.2, 0.3}));
         },
         "0.1 0.2 0.3 rg\n", "<< >>"},
        {"stroke colour alone", [](CPDF_GraphicsState& s) { s.SetStrokeColor(CPDF_Color(std::vector<double>{0.5})); },
         "0.5 SC\n", "<< >>"},
        {"separation", [&](CPDF_GraphicsState& s) {
             s.SetFillColorSpace(separation);
             s.SetFillColor(CPDF_Color(std::vector<double>{0.5}));
         },
         "/CS1 cs\n0.5 scn\n",
         "<< /ColorSpace << /CS1 [/Separation /Spot /DeviceGray << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] "
         "/N 1 >>] >> >>"},
        {"pattern", [](CPDF_GraphicsState& s) {
             s.SetFillColorSpace(CPDF_ColorSpace(GLOB_ObjectFactory::NewName(GLOB_Name("Pattern"))));
         },
         "", "<< >>"},
        // Placed before the top's CTM, the matrix gives this state's.
        {"CTM", [](CPDF_GraphicsState& s) { s.SetCTM(GLIB_Matrix(2, 0, 0, 2, 10, 10)); }, "1 0 0 1 5 5 cm\n", "<< >>"},
        {"line and text", [](CPDF_GraphicsState& s) {
             s.SetLineWidth(2), s.SetLineCap(1), s.SetLineJoin(2), s.SetMiterLimit(4);
             s.SetDashPattern(CPDF_DashPattern(1, {3, 2})), s.SetFlatness(5);
             s.SetRenderingIntent(GLOB_Name("Perceptual")), s.SetCharSpacing(1), s.SetWordSpacing(2);
             s.SetHorizontalScaling(0.5), s.SetTextLeading(3), s.SetTextRise(4), s.SetTextRenderingMode(7);
         },
         "2 w\n1 J\n2 j\n4 M\n[3 2] 1 d\n5 i\n/Perceptual ri\n1 Tc\n2 Tw\n50 Tz\n3 TL\n4 Ts\n7 Tr\n", "<< >>"},
        {"font", [&](CPDF_GraphicsState& s) { s.SetFont(font), s.SetFontSize(12), s.SetStrokeOverprint(true); },
         "/F1 12 Tf\n/GS1 gs\n", "<< /Font << /F1 << /Type /Font >> >> /ExtGState << /GS1 << /OP true "
                                "/Type /ExtGState >> >> >>"},
        {"font of no size", [&](CPDF_GraphicsState& s) { s.SetFont(font); }, "", "<< >>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log;
        CPDF_GraphicsState top;
        top.SetCTM(GLIB_Matrix(2, 0, 0, 2, 0, 0));
        Output out;
        out.stack.Push(top);
        CPDF_GraphicsState state = top;
        c.change(state);
        out.Write(state);
        EXPECT_EQ(out.text, c.text);
        EXPECT_EQ(Text(out.resources), Text(Obj(c.resources)));
        ASSERT_EQ(out.stack.Size(), 1u);
        EXPECT_TRUE(out.stack.Top() == state);
    }
}

TEST(CPDF_GraphicsState, WritesClipsWithTheStatesTheyNeed) {
    CPDF_GraphicsState base;
    base.SetCTM(GLIB_Matrix(2, 0, 0, 2, 0, 0));
    CPDF_GraphicsState clipped = base;
    clipped.AppendClipPath(Clip("0 0 20 20 re", 1));
    // An extension of the top's clip: q and the new path in the top's space.
    Output out;
    out.stack.Push(base);
    out.Write(clipped);
    EXPECT_EQ(out.text, "q\n0 0 10 10 re\nW\nn\n");
    ASSERT_EQ(out.stack.Size(), 2u);
    EXPECT_TRUE(out.stack.Top() == clipped);
    EXPECT_EQ(out.stack[0].ClipPath().NumPaths(), 0u);

    // Another clip: back to the state without one, then the new path.
    CPDF_GraphicsState other = base;
    other.AppendClipPath(Clip("0 0 2 4 re", 2));
    out.Write(other);
    EXPECT_EQ(out.text, "Q\nq\n0 0 1 2 re\nW*\nn\n");
    EXPECT_EQ(out.stack.Size(), 2u);

    // A pending clip: q, and a saved state whose clip holds it in device space.
    const CPDF_PathList pending = other.ClipPath();
    out.Write(other, &pending);
    EXPECT_EQ(out.text, "q\n");
    ASSERT_EQ(out.stack.Size(), 3u);
    ASSERT_EQ(out.stack.Top().ClipPath().NumPaths(), 2u);
    EXPECT_EQ(Corners(out.stack.Top().ClipPath().Path(1).BoundingBox()), (std::vector<double>{0, 0, 4, 8}));

    // No saved state without a clip to go back to.
    Output underflow;
    underflow.stack.Push(clipped);
    EXPECT_EQ(Thrown([&] { underflow.Write(other); }).substr(0, 73),
              "1128031 Graphics state underflow, cannot restore previous clipping path: ");
}

TEST(CPDF_GraphicsState, MakesExtGStateOfTheDifferenceOrOfEverything) {
    const struct {
        const char* what;
        bool all;
        Change mine;
        Change other;
        const char* dict;
    } cases[] = {
        {"equal", false, [](CPDF_GraphicsState&) {}, [](CPDF_GraphicsState&) {}, "<< /Type /ExtGState >>"},
        {"defaults, all", true, [](CPDF_GraphicsState&) {}, [](CPDF_GraphicsState& o) { o.SetLineWidth(9); },
         "<< /Type /ExtGState /SA true /OP false /op false /OPM 0 /BG2 /Default /UCR2 /Default /TR2 /Default "
         "/HT /Default /HTP [0 0] /SM 0.02 /Font [null 0] /LW 1 /LC 0 /LJ 0 /ML 10 /D [[] 0] /FL 0 "
         "/RI /RelativeColorimetric >>"},
        // Null objects of this state are never written, whatever the other's.
        {"null halftone and font", false, [](CPDF_GraphicsState&) {},
         [](CPDF_GraphicsState& o) { o.SetHalftone(Obj("<< /HalftoneType 1 >>")), o.SetFont(Obj("<< >>")); },
         "<< /Type /ExtGState >>"},
        {"dash phase", false, [](CPDF_GraphicsState& s) { s.SetDashPattern(CPDF_DashPattern(1, {3, 2})); },
         [](CPDF_GraphicsState& o) { o.SetDashPattern(CPDF_DashPattern(0, {3, 2})); },
         "<< /Type /ExtGState /D [[3 2] 1] >>"},
        {"identity transfer and a font", false,
         [](CPDF_GraphicsState& s) { s.ApplyExtGState(Obj("<< /TR /Identity /Font [<< /Type /Font >> 10] >>")); },
         [](CPDF_GraphicsState& o) { o.SetTransfer(Obj("<< /FunctionType 2 /C0 [1] /C1 [0] >>")); },
         "<< /Type /ExtGState /TR2 /Identity /Font [<< /Type /Font >> 10] >>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPDF_GraphicsState mine, other;
        c.mine(mine);
        c.other(other);
        EXPECT_EQ(Text(GLOB_ObjectFactory::NewDict(mine.MakeExtGState(c.all, other))), Text(Obj(c.dict)));
    }
}

// A colour whose component count is not its space's cannot be written: the
// writer logs it as fatal rather than write operands the space refuses.
TEST(CPDF_GraphicsStateDeathTest, RefusesAColourOfTheWrongDimension) {
    const CPDF_ColorSpace separation(Obj("[/Separation /Spot /DeviceGray << /FunctionType 2 /Domain [0 1] /C0 [0] "
                                         "/C1 [1] /N 1 >>]"));
    const struct {
        CPDF_ColorSpace space;
        std::vector<double> color;
    } cases[] = {
        {separation, {0.5, 0.5}},
        {CPDF_ColorSpace::MakeDeviceCMYK(), {0.1, 0.2, 0.3}},
    };
    for (const auto& c : cases) {
        CPDF_GraphicsState state;
        state.SetFillColorSpace(c.space);
        state.SetFillColor(CPDF_Color(c.color));
        Output out;
        out.stack.Push(CPDF_GraphicsState());
        EXPECT_DEATH(out.Write(state), "Requested to write color with incorrect dimension to content stream");
    }
}

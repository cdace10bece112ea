// The text state record: defaults, comparison with the matrix tolerances,
// sharing, matrices and the debug listing.
#include "CPDF/content/CPDF_TextState.h"

#include "ContentTestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

TEST(CPDF_TextState, FreshRecordListsItsDefaults) {
    const CPDF_TextState fresh;
    EXPECT_TRUE(fresh == CPDF_TextState());
    EXPECT_TRUE(fresh.Font().IsNull());
    EXPECT_EQ(Printed(fresh),
              "\n***** Text State *****\n"
              "Font               : null\n"
              "Font Size          : 0\n"
              "Character Spacing  : 0\n"
              "Word Spacing       : 0\n"
              "Horizontal Scaling : 1\n"
              "Text Leading       : 0\n"
              "Rendering Mode     : Fill\n"
              "Text Rise          : 0\n"
              "Text Matrix        : [ 1 0 0 1 0 0 ]\n"
              "Line Matrix        : [ 1 0 0 1 0 0 ]\n");

    EXPECT_STREQ(CPDF_TextState::RenderingModeName(CPDF_TextState::FillStrokeAndClip), "FillStrokeAndClip");
    EXPECT_STREQ(CPDF_TextState::RenderingModeName(8), "?");
    EXPECT_STREQ(CPDF_TextState::RenderingModeName(-1), "?");
}

TEST(CPDF_TextState, ComparesNumbersExactlyAndMatricesWithinTolerance) {
    const GLOB_Object font = GLOB_ObjectFactory::NewEmptyDict();
    const struct {
        const char* what;
        std::function<void(CPDF_TextState&)> change;
        bool equal;
    } cases[] = {
        {"e by 0.0005", [](CPDF_TextState& s) { s.SetTextMatrix(GLIB_Matrix(1, 0, 0, 1, 0.0005, 0)); }, true},
        {"e by 0.002", [](CPDF_TextState& s) { s.SetTextMatrix(GLIB_Matrix(1, 0, 0, 1, 0.002, 0)); }, false},
        {"line a by 2e-6", [](CPDF_TextState& s) { s.SetLineMatrix(GLIB_Matrix(1 + 2e-6, 0, 0, 1, 0, 0)); }, false},
        {"spacing by 1e-9", [](CPDF_TextState& s) { s.SetCharSpacing(1e-9); }, false},
        {"word spacing", [](CPDF_TextState& s) { s.SetWordSpacing(1); }, false},
        {"scaling", [](CPDF_TextState& s) { s.SetHorizontalScaling(0.5); }, false},
        {"size", [](CPDF_TextState& s) { s.SetFontSize(12); }, false},
        {"leading", [](CPDF_TextState& s) { s.SetLeading(14); }, false},
        {"rise", [](CPDF_TextState& s) { s.SetRise(-3); }, false},
        {"mode", [](CPDF_TextState& s) { s.SetRenderingMode(CPDF_TextState::Clip); }, false},
        {"font", [&](CPDF_TextState& s) { s.SetFont(font); }, false},
        {"back to defaults", [&](CPDF_TextState& s) { s.SetFont(font), s.SetRise(2), s.SetDefaults(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPDF_TextState changed;
        c.change(changed);
        EXPECT_EQ(changed == CPDF_TextState(), c.equal);
        EXPECT_EQ(CPDF_TextState() != changed, !c.equal);
    }
}

TEST(CPDF_TextState, MatricesConcatenateTheirArgumentFirst) {
    CPDF_TextState state;
    const GLIB_Matrix shift(1, 0, 0, 1, 10, 20);
    state.ConcatLineMatrix(shift);
    EXPECT_EQ(Streamed(state.LineMatrix()), "[ 1 0 0 1 10 20 ]");
    state.ConcatLineMatrix(shift);
    EXPECT_EQ(Streamed(state.LineMatrix()), "[ 1 0 0 1 20 40 ]");
    // Scaled by 2, then moved by (10, 20) in the scaled space: moved by (20, 40).
    state.SetTextMatrix(GLIB_Matrix(2, 0, 0, 2, 0, 0));
    state.ConcatTextMatrix(shift);
    EXPECT_EQ(Streamed(state.TextMatrix()), "[ 2 0 0 2 20 40 ]");
    state.SetFontSize(12);
    state.SetHorizontalScaling(0.5);
    state.SetRise(3);
    state.SetTextMatrix(GLIB_Matrix(1, 0, 0, 1, 100, 200));
    EXPECT_EQ(Streamed(state.TextRenderingMatrix()), "[ 6 0 0 12 100 203 ]");
}

TEST(CPDF_TextState, ChangesReachNoOtherHolder) {
    ExpectCopyOnWrite(CPDF_TextState(), [](CPDF_TextState& s) { s.SetLeading(s.Leading() + 1); },
                      [](const CPDF_TextState& s) { return s.Leading(); });
    ExpectCopyOnWrite(CPDF_TextState(), [](CPDF_TextState& s) { s.ConcatTextMatrix(GLIB_Matrix(1, 0, 0, 1, 1, 0)); },
                      [](const CPDF_TextState& s) { return Streamed(s.TextMatrix()); });
}

TEST(CPDF_TextState, OutOfRangeValuesAssert) {
    CPDF_TextState state;
    EXPECT_THROW(state.SetRenderingMode(8), TestAssertionFailure);
    EXPECT_THROW(state.SetRenderingMode(-1), TestAssertionFailure);
    EXPECT_THROW(state.SetFont(GLOB_ObjectFactory::NewInteger(1)), TestAssertionFailure);
    EXPECT_EQ(state.RenderMode(), CPDF_TextState::Fill);
}

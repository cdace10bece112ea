// Colours through the transfer functions, and the line width in device
// space.
#include "CPDF/content/CPDF_GraphicsState.h"

#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<double> Components(const CPDF_Color& color) {
    return std::vector<double>(color.Components(), color.Components() + color.NumComponents());
}

}  // namespace

TEST(CPDF_GraphicsState, TransfersGrayAndCMYKColoursOnly) {
    const char* const invert = "<< /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0] /N 1 >>";
    const std::string inverting = std::string("<< /TR ") + invert + " >>";
    const std::string lastInverts = std::string("<< /TR [/Identity /Identity /Identity ") + invert + "] >>";
    const struct {
        const char* what;
        std::string extGState;
        const char* space;
        std::vector<double> color;
        std::vector<double> transferred;
    } cases[] = {
        {"default, CMYK", "<< >>", "/DeviceCMYK", {0.1, 0.2, 0.3, 0.4}, {0.1, 0.2, 0.3, 0.4}},
        {"inverting, CMYK", inverting, "/DeviceCMYK", {0.1, 0.2, 0.3, 0.4}, {0.9, 0.8, 0.7, 0.6}},
        {"inverting, gray", inverting, "/DeviceGray", {0.25}, {0.75}},
        {"inverting, RGB", inverting, "/DeviceRGB", {0.1, 0.2, 0.3}, {0.1, 0.2, 0.3}},
        {"identity", "<< /TR /Identity >>", "/DeviceGray", {0.25}, {0.25}},
        // Gray goes through the black (fourth) function of an array.
        {"array, gray", lastInverts, "/DeviceGray", {0.25}, {0.75}},
        // Index 2.7 is entry 2 of the table, 0x80.
        {"indexed", inverting, "[/Indexed /DeviceGray 3 <00408000>]", {2.7}, {1 - 128 / 255.0}},
        {"indexed, negative", inverting, "[/Indexed /DeviceGray 3 <40408000>]", {-3}, {1 - 64 / 255.0}},
        {"pattern over CMYK", inverting, "[/Pattern /DeviceCMYK]", {0, 0, 0, 1}, {1, 1, 1, 0}},
        {"coloured pattern", inverting, "/Pattern", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CPDF_GraphicsState state;
        state.ApplyExtGState(Obj(c.extGState));
        state.SetStrokeColorSpace(CPDF_ColorSpace(Obj(c.space)));
        CPDF_Color result;
        state.TransferStrokeColor(CPDF_Color(c.color), result);
        ExpectNear(Components(result), c.transferred);
        state.TransferColor(CPDF_ColorSpace(Obj(c.space)), CPDF_Color(c.color), result);
        ExpectNear(Components(result), c.transferred);
    }
}

TEST(CPDF_GraphicsState, TransferFaultsAreReportedNotAsserted) {
    CPDF_GraphicsState state;
    CPDF_Color result;
    const CPDF_Color gray(std::vector<double>{0.25});
    state.SetTransfer(Obj("[/Identity /Identity /Foo]"));
    EXPECT_EQ(Thrown([&] { state.TransferFillColor(gray, result); }),
              "1128007 A transfer function array must hold 4 functions, found 3");
    state.SetTransfer(Obj("[/Identity /Identity /Identity 5]"));
    EXPECT_EQ(Thrown([&] { state.TransferFillColor(gray, result); }).substr(0, 8), "1128007 ");
    // An unknown name is the default, which maps every value to itself.
    LogCapture log;
    state.SetTransfer(Obj("[/Identity /Identity /Identity /Foo]"));
    state.TransferFillColor(gray, result);
    EXPECT_EQ(Components(result), std::vector<double>{0.25});
    EXPECT_TRUE(log.Contains(GLIB_LogWarning,
                             "Invalid name value 'Foo' found for transfer function. Using /Default instead."));
}

TEST(CPDF_GraphicsState, LineWidthInDeviceSpace) {
    const struct {
        double width;
        GLIB_Matrix ctm;
        double least, greatest;
    } cases[] = {
        {2, {2, 0, 0, 3, 0, 0}, 4, 6},
        {2, {0, 2, -2, 0, 0, 0}, 4, 4},  // rotated and scaled alike
        {2, {-3, 0, 0, 1, 5, 5}, 2, 6},
        {0, {2, 0, 0, 3, 0, 0}, 0, 0},
        // A shear: the singular values of [1 0 1 1] are the golden ratio's.
        {1, {1, 0, 1, 1, 0, 0}, (std::sqrt(5.0) - 1) / 2, (std::sqrt(5.0) + 1) / 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        CPDF_GraphicsState state;
        state.SetLineWidth(c.width);
        state.SetCTM(c.ctm);
        double least = -1, greatest = -1;
        state.DeviceLineWidth(&least, &greatest);
        EXPECT_NEAR(least, c.least, 1e-12);
        EXPECT_NEAR(greatest, c.greatest, 1e-12);
    }
}

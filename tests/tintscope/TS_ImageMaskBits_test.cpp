// A stencil mask's samples are one bit, so a mask that leaves out
// BitsPerComponent is drawn as one that says 1, as an image XObject and
// inline.
#include "TS_ProgramFixture.h"

#include <algorithm>

namespace {

// Eight rows of alternating bits.
const std::string Checks = "\x55\xAA\x55\xAA\x55\xAA\x55\xAA";

std::string MaskPage(bool inlineImage, const std::string& bits) {
    const std::string paint = "0 1 0 0 k q 80 0 0 80 10 10 cm ";
    if (inlineImage)
        return TS_OnePage("", paint + "BI /W 8 /H 8 /IM true " + bits + " ID " + Checks + " EI Q");
    const std::string image = "<< /Type /XObject /Subtype /Image /Width 8 /Height 8 /ImageMask true " + bits +
                              " /Length 8 >>\nstream\n" + Checks + "\nendstream";
    return TS_OnePage("/XObject << /Im 5 0 R >>", paint + "/Im Do Q", {image});
}

TEST_F(TS_ProgramTest, AnImageMaskWithoutBitsPerComponentIsDrawnAsOneBit) {
    const struct {
        const char* what;
        bool inlineImage;
        const char* said;  // the mask's own words for its bits
    } rows[] = {
        {"an image XObject", false, "/BitsPerComponent 1"},
        {"an inline image", true, "/BPC 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::vector<uint8_t>> plates[2];
        for (const bool says : {true, false}) {
            const TS_Run run =
                Run(WithOut({WriteFile("mask.pdf", MaskPage(row.inlineImage, says ? row.said : "")), "--dpi", "150"}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            EXPECT_EQ(run.m_err, "");
            for (const char* ink : {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png",
                                    "plate-3-Black.png"})
                plates[says].push_back(Output(ink).m_pixels);
        }
        ASSERT_EQ(plates[0].size(), 4u);
        ASSERT_EQ(plates[1].size(), 4u);
        // The mask paints about half its square on Magenta.
        const std::vector<uint8_t>& magenta = plates[1][1];
        EXPECT_GT(std::count_if(magenta.begin(), magenta.end(), [](uint8_t v) { return v < 128; }), 1000);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_TRUE(plates[0][i] == plates[1][i]) << "plate " << i << " differs from the mask that says 1 bit";
    }
}

}  // namespace

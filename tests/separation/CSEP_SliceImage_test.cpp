#include "separation/CSEP_ColorSeparator.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/image/CPDF_Image.h"
#include "CSEP_TestUtil.h"
#include "FILT/FILT_DCTTestJpeg.h"

#include <zlib.h>

#include <algorithm>
#include <utility>

namespace {

using CSEP_SliceImageTest = CSEP_TempDirTest;

std::vector<GLOB_Object> Images(const CSEP_SepJobContext& job, const GLOB_Object& image) {
    return Separated(job, image, &CSEP_ColorSeparator::ConvertImage);
}

std::string Inverted(std::string data) {
    for (char& c : data)
        c = static_cast<char>(255 - static_cast<uint8_t>(c));
    return data;
}

// Every components-th byte of data from the first.
std::string Component(const std::string& data, size_t first, size_t components) {
    std::string bytes;
    for (size_t i = first; i < data.size(); i += components)
        bytes += data[i];
    return bytes;
}

void ExpectEmptyForm(const GLOB_Object& object) {
    EXPECT_TRUE(object.HasType("XObject", "Form"));
    EXPECT_EQ(StreamData(object), "1 g\n0 0 1 1 re F\n");
}

std::string Inflated(const std::string& stored) {
    std::string inflated(1 << 16, '\0');
    uLongf length = static_cast<uLongf>(inflated.size());
    if (uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &length, reinterpret_cast<const Bytef*>(stored.data()),
                   static_cast<uLong>(stored.size())) != Z_OK)
        return "not a zlib stream";
    return inflated.substr(0, length);
}

// Width x height CMYK samples of 8 bits that vary over the image.
std::string Ramp4(int width, int height) {
    return Packed(width, height, 4, 8, [](int x, int y, int c) { return (x * 31 + y * 17 + c * 60) % 256; });
}

}  // namespace

TEST_F(CSEP_SliceImageTest, CMYKImagesSliceToInvertedGrayImagesAtTheirDepth) {
    const GLOB_Doc source = NewDoc();
    for (int bits : {1, 2, 4, 8}) {
        const int max = (1 << bits) - 1;
        const auto sample = [&](int x, int y, int c) { return (x * 3 + y * 5 + c * 7 + x * c * 11) % (max + 1); };
        const GLOB_Object image = NewStreamObject(
            source, "<< /Subtype /Image /Width 9 /Height 3 /ColorSpace /DeviceCMYK /Interpolate true "
                    "/BitsPerComponent " + std::to_string(bits) + " >>",
            Packed(9, 3, 4, bits, sample));
        // Unfiltered, Flate, and Flate for a job of external files, whose
        // small slices are embedded all the same.
        for (uint32_t mode : {0, 1, 2}) {
            SCOPED_TRACE(testing::Message() << bits << " bits, mode " << mode);
            const CSEP_SepJobContext job = NewJob({"Spot"}, mode == 0 ? 1 : 0, mode == 2);
            const std::vector<GLOB_Object> out = Images(job, image);
            ExpectEmptyForm(out[4]);
            for (int c = 0; c < 4; ++c) {
                const GLOB_Object slice = out[static_cast<size_t>(c)];
                const std::string expected =
                    Packed(9, 3, 1, bits, [&](int x, int y, int) { return max - sample(x, y, c); });
                EXPECT_EQ(Keys(slice, {"Width", "Height", "BitsPerComponent", "ColorSpace", "Interpolate", "Decode",
                                       "Filter", "FFilter"}),
                          "93" + std::to_string(bits) + "/DeviceGraytruenull" +
                              (mode == 0 ? "nullnull" : "/FlateDecodenull"));
                EXPECT_EQ(StreamData(slice, 2), expected);
                EXPECT_EQ(mode == 0 ? StreamData(slice) : Inflated(StreamData(slice)), expected);
            }
            EXPECT_EQ(TempFiles().size(), 0u);
        }
    }
}

// Slices of up to SmallSliceBytes each are made without a temporary file and
// embedded, for a job of external files too: they come out right with no
// temporary folder at all, while larger ones still stream through files
// (kept by the job as external streams when it uses them) and fail there.
// The same bytes either way.
TEST_F(CSEP_SliceImageTest, SmallEmbeddedImagesSliceWithoutTemporaryFiles) {
    const GLOB_Doc source = NewDoc();
    const struct {
        int width, height, bits;
        bool needsFiles;
    } cases[] = {
        {4, 4, 8, false}, {9, 3, 1, false}, {256, 256, 8, false}, {257, 256, 8, true}, {2048, 257, 1, true},
    };
    for (const auto& c : cases) {
        const int max = (1 << c.bits) - 1;
        const auto sample = [&](int x, int y, int k) { return (x * 7 + y * 3 + k * 5) % (max + 1); };
        const GLOB_Object image = NewStreamObject(
            source, "<< /Subtype /Image /ColorSpace /DeviceCMYK /Width " + std::to_string(c.width) + " /Height " +
                        std::to_string(c.height) + " /BitsPerComponent " + std::to_string(c.bits) + " >>",
            Packed(c.width, c.height, 4, c.bits, sample));
        for (const auto& [compression, external] :
             {std::pair<uint32_t, uint32_t>{0, 0}, {0, 1}, {1, 0}, {1, 1}}) {
            SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " x " << c.bits << ", compression "
                                            << compression << ", external " << external);
            const CSEP_SepJobContext job = NewJob({}, compression, external);
            const char* tmpdir = std::getenv("TMPDIR");
            const std::string kept = tmpdir ? tmpdir : "";
            setenv("TMPDIR", (kept + "/missing").c_str(), 1);
            std::vector<GLOB_Object> out;
            const std::string failure = Failure([&] { out = Images(job, image); });
            setenv("TMPDIR", kept.c_str(), 1);
            if (c.needsFiles) {
                EXPECT_NE(failure, "no exception");
                out = Images(job, image);
            } else {
                EXPECT_EQ(failure, "no exception");
            }
            ASSERT_EQ(out.size(), 4u);
            for (int k = 0; k < 4; ++k) {
                SCOPED_TRACE(k);
                EXPECT_EQ(StreamData(out[static_cast<size_t>(k)], 2),
                          Packed(c.width, c.height, 1, c.bits, [&](int x, int y, int) { return max - sample(x, y, k); }));
                const bool outside = external && c.needsFiles;
                EXPECT_EQ(Keys(out[static_cast<size_t>(k)], {outside ? "FFilter" : "Filter"}),
                          compression == 0 ? "/FlateDecode" : "null");
                EXPECT_EQ(Keys(out[static_cast<size_t>(k)], {"F"}) == "null", !outside);
            }
            // The slices' own files.
            EXPECT_EQ(JobTempFileCount(), external && c.needsFiles ? 4 : 0);
        }
    }
}

TEST_F(CSEP_SliceImageTest, DCTImageSlicesToItsDecodedSamplesInvertedWithDecodeReversed) {
    // Encoded by the project's DCT encoder; the slices hold what its decoder
    // gives, inverted. A colour-key Mask does not fit a gray image.
    const GLOB_Doc source = NewDoc();
    const GLOB_Object image = NewStreamObject(
        source,
        "<< /Subtype /Image /Width 16 /Height 8 /ColorSpace /DeviceCMYK /BitsPerComponent 8 /Filter /DCTDecode "
        "/Decode [1 0 0.2 0.9 1 0 1 0] /Mask [0 9 0 9 0 9 0 9] >>",
        Packed(16, 8, 4, 8, [](int x, int y, int c) { return (x * 13 + y * 29 + c * 60) % 256; }),
        "<< /Colors 4 /Columns 16 /Rows 8 >>");
    const std::string decoded = StreamData(image, 2);
    ASSERT_EQ(decoded.size(), 512u);
    const std::vector<GLOB_Object> out = Images(NewJob({}), image);
    for (size_t c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(StreamData(out[c], 2), Inverted(Component(decoded, c, 4)));
        EXPECT_EQ(Keys(out[c], {"Decode"}), c == 1 ? "[ 0.1 0.8 ]" : "[ 1 0 ]");
        EXPECT_FALSE(out[c].Known(GLOB_Name("Mask")) || out[c].Known(GLOB_Name("Filter")));
    }
}

TEST_F(CSEP_SliceImageTest, EveryInkGetsItsComponentOrTheBlankForm) {
    const GLOB_Doc source = NewDoc();
    const struct {
        std::string space;
        int width;
        std::vector<std::string> data;  // per ink; "" for the empty form
        std::string decode;             // of the inks' images
    } cases[] = {
        // Single components whole: a gray image is Black's plate already.
        {"/DeviceGray", 6, {"", "", "", "\x10\x20\x30\x40\x50\x60", "", ""}, "[ 0.2 0.8 ]"},
        {"[/Separation /Gold /DeviceGray 0]", 6, {"", "", "", "", "", "\x10\x20\x30\x40\x50\x60"}, "[ 0.8 0.2 ]"},
        {"[/Separation /All /DeviceGray 0]", 6, std::vector<std::string>(6, "\xef\xdf\xcf\xbf\xaf\x9f"), "[ 0.2 0.8 ]"},
        {"[/Separation /None /DeviceGray 0]", 6, std::vector<std::string>(6, ""), ""},
        {"[/DeviceN [/Cyan /None /Spot] /DeviceCMYK 0]", 2, {"\xef\xbf", "", "", "", "\xcf\x9f", ""}, "null"},
        {"[/DeviceN [/Gold /Black] /DeviceCMYK 0]", 3, {"", "", "", "\xdf\xbf\x9f", "", "\xef\xcf\xaf"}, "null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.space);
        const GLOB_Object image = NewStreamObject(
            source, "<< /Subtype /Image /Height 1 /BitsPerComponent 8 /Width " + std::to_string(c.width) +
                        " /ColorSpace " + c.space + (c.width == 6 ? " /Decode [0.2 0.8] >>" : " >>"),
            "\x10\x20\x30\x40\x50\x60");
        const std::vector<GLOB_Object> out = Images(NewJob({"Spot", "Gold"}), image);
        const GLOB_Object* blank = nullptr;
        for (size_t i = 0; i < out.size(); ++i) {
            SCOPED_TRACE(i);
            if (c.data[i].empty()) {
                ExpectEmptyForm(out[i]);
                EXPECT_EQ(out[i], *(blank ? blank : (blank = &out[i])));  // one form serves every blank ink
                continue;
            }
            EXPECT_EQ(StreamData(out[i]), c.data[i]);
            EXPECT_EQ(Keys(out[i], {"ColorSpace", "Decode"}), "/DeviceGray" + c.decode);
            EXPECT_NE(out[i], image);
        }
    }
}

// A file of its stored bytes, kept by the job, for an image of more than
// SmallSliceBytes; a smaller one is copied into the document.
TEST_F(CSEP_SliceImageTest, ASingleImageWithExternalStreamsKeepsItsStoredBytes) {
    const GLOB_Doc source = NewDoc();
    for (int width : {257, 8}) {
        SCOPED_TRACE(width);
        const std::string w = std::to_string(width);
        const std::string params = "<< /Colors 1 /Columns " + w + " /Rows 256 >>";
        const GLOB_Object spot = NewStreamObject(
            source,
            "<< /Subtype /Image /Width " + w + " /Height 256 /BitsPerComponent 8 "
            "/ColorSpace [/Separation /Spot /DeviceCMYK 0] /Filter /DCTDecode >>",
            Packed(width, 256, 1, 8, [](int x, int y, int) { return x * 30 + y; }), params.c_str());
        const CSEP_SepJobContext job = NewJob({"Spot"}, 0, 1);  // keeps the file
        const std::vector<GLOB_Object> out = Images(job, spot);
        const bool file = width == 257;
        EXPECT_EQ(StreamData(out[4]), StreamData(spot));
        EXPECT_EQ(StreamData(out[4], 2), StreamData(spot, 2));
        EXPECT_EQ(Keys(out[4], {file ? "FFilter" : "Filter", "Decode", "ColorSpace"}),
                  "/DCTDecode[ 1 0 ]/DeviceGray");
        for (size_t i = 0; i < 4; ++i)
            ExpectEmptyForm(out[i]);
        EXPECT_EQ(TempFiles().size(), file ? 1u : 0u);
    }
}

TEST_F(CSEP_SliceImageTest, IndexedSpacesSplitTheirTablePerBaseComponent) {
    std::string cmyk;  // 256 entries of 4 bytes
    for (int i = 0; i < 1024; ++i)
        cmyk += static_cast<char>((i * 7 + i / 4 * 3) % 256);
    const struct {
        std::string base;  // the separator's space
        std::string lookup;
        std::vector<std::string> tables;  // per ink; "" for the stand-in, all 255
    } cases[] = {
        {"/DeviceCMYK", cmyk,
         {Inverted(Component(cmyk, 0, 4)), Inverted(Component(cmyk, 1, 4)), Inverted(Component(cmyk, 2, 4)),
          Inverted(Component(cmyk, 3, 4)), ""}},
        {"[/Separation /Spot /DeviceCMYK 0]", "\x0a\x14\x1e\x28", {"", "", "", "", "\xf5\xeb\xe1\xd7"}},
        {"/DeviceGray", "\x0a\x14\x1e", {"", "", "", "\x0a\x14\x1e", ""}},
        // A short table: the entries it does not reach read as 0 (no ink).
        {"/DeviceCMYK", "\x01\x02\x03\x04\x05", {"\xfe\xfa", "\xfd\xff", "\xfc\xff", "\xfb\xff", ""}},
        // A long one: bytes past the last entry are not read.
        {"/DeviceGray", "\x01\x02\x03\x04", {"", "", "", "\x01\x02", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base + " " + std::to_string(c.lookup.size()));
        const CSEP_SepJobContext job = NewJob({"Spot"});
        const size_t samples = std::max(c.tables[4].size(), c.tables[3].size());
        const GLOB_Object array =
            job.Doc().ParseObject(("[/Indexed " + c.base + " " + std::to_string(samples - 1) + " 0]").c_str());
        array.ArrayPut(3, NewStreamObject(job.Doc(), "<< >>", c.lookup));
        CSEP_ColorSeparator separator;
        separator.SetJobContext(job);
        separator.SetColorSpace(CPDF_ColorSpace(array.Get(1)));
        std::vector<GLOB_Object> out;
        separator.ConvertIndexed(CPDF_IndexedColorSpace(array), out);
        ASSERT_EQ(out.size(), 5u);
        for (size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Text(out[i].Get(1)) + " " + Text(out[i].Get(2)), "/DeviceGray " + std::to_string(samples - 1));
            EXPECT_EQ(StreamData(out[i].Get(3), 2), c.tables[i].empty() ? std::string(samples, '\xFF') : c.tables[i]);
        }
    }
}

// Data whose component count differs from the dictionary's would slice into
// scrambled plates: refused, with both counts named.
TEST_F(CSEP_SliceImageTest, DataThatDoNotFitTheDictionaryAreRefused) {
    const GLOB_Doc source = NewDoc();
    const auto rgb = Packed(8, 4, 3, 8, [](int x, int y, int c) { return x * 20 + y * 7 + c * 50; });
    const struct {
        GLOB_Object image;
        const char* thrown;  // empty: sliced
    } cases[] = {
        // A three-component JPEG under DeviceCMYK, and a CMYK one under DeviceN of 3.
        {NewStreamObject(source,
                         "<< /Subtype /Image /Width 8 /Height 4 /ColorSpace /DeviceCMYK /BitsPerComponent 8"
                         "   /Filter /DCTDecode >>",
                         rgb, "<< /Colors 3 /Columns 8 /Rows 4 >>"),
         "1128001 CSEP_DeviceCMYKConverter: the image's DCT data have 3 components, its colour space 4."},
        {NewStreamObject(source,
                         "<< /Subtype /Image /Width 8 /Height 3 /BitsPerComponent 8 /Filter /DCTDecode"
                         "   /ColorSpace [/DeviceN [/Cyan /Magenta /Spot] /DeviceCMYK 0] >>",
                         Ramp4(8, 3), "<< /Colors 4 /Columns 8 /Rows 3 >>"),
         "1128001 CSEP_DeviceNConverter: the image's DCT data have 4 components, its colour space 3."},
        {NewStreamObject(source,
                         "<< /Subtype /Image /Width 8 /Height 4 /ColorSpace /DeviceCMYK /BitsPerComponent 8"
                         "   /Filter /DCTDecode >>",
                         Ramp4(8, 4), "<< /Colors 4 /Columns 8 /Rows 4 >>"),
         ""},
        // Short data are read on as zeros (below).
        {NewStreamObject(source, "<< /Subtype /Image /Width 5 /Height 3 /ColorSpace /DeviceCMYK /BitsPerComponent 8 >>",
                         std::string(59, '\x10')),
         ""},
        {NewStreamObject(source, "<< /Subtype /Image /Width 5 /Height 3 /ColorSpace /DeviceCMYK /BitsPerComponent 8 >>",
                         std::string(61, '\x10')),
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.image.StreamDict()));
        for (uint32_t external : {0u, 1u}) {
            const CSEP_SepJobContext job = NewJob({"Spot"}, 1, external);
            if (*c.thrown) {
                EXPECT_EQ(Failure([&] { Images(job, c.image); }), c.thrown);
                continue;
            }
            // Samples past the last row are not sliced.
            const std::vector<GLOB_Object> out = Images(job, c.image);
            EXPECT_EQ(StreamData(out[0], 2).size(), static_cast<size_t>(c.image.IntegerValue("Width", 0) *
                                                                        c.image.IntegerValue("Height", 0)));
        }
    }
}

// Truncated data: the missing source samples read as 0, so the inverted
// slices are white there (never black, as padding a slice would make them),
// at 8 bits and packed; the converter notes what the data held.
TEST_F(CSEP_SliceImageTest, TruncatedDataAreReadAsZeroBeforeSlicing) {
    const GLOB_Doc source = NewDoc();
    const struct {
        GLOB_Object image;
        std::vector<std::string> slices;
        uint64_t held;
    } cases[] = {
        {NewStreamObject(source, "<< /Subtype /Image /Width 5 /Height 3 /ColorSpace /DeviceCMYK /BitsPerComponent 8 >>",
                         std::string(59, '\x10')),
         {std::string(15, '\xEF'), std::string(15, '\xEF'), std::string(15, '\xEF'),
          std::string(14, '\xEF') + '\xFF'},
         59},
        // Two of three rows of 2-bit samples 0 1 2 3 0 1 ...: component c is
        // c throughout, 3 - c once inverted; the third row reads 0 (3 inverted).
        {NewStreamObject(source, "<< /Subtype /Image /Width 5 /Height 3 /ColorSpace /DeviceCMYK /BitsPerComponent 2"
                                 "   /Filter /FlateDecode >>",
                         std::string(10, '\x1b'), "<< >>"),
         {"\xFF\xC0\xFF\xC0\xFF\xC0", "\xAA\x80\xAA\x80\xFF\xC0", std::string("\x55\x40\x55\x40\xFF\xC0"),
          std::string("\x00\x00\x00\x00\xFF\xC0", 6)},
         40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.image.StreamDict()));
        for (uint32_t external : {0u, 1u}) {
            const CSEP_SepJobContext job = NewJob({"Spot"}, 1, external);
            CSEP_ColorSeparator separator;
            separator.SetJobContext(job);
            separator.SetColorSpace(CPDF_ColorSpace(source.ParseObject("/DeviceCMYK")));
            std::vector<GLOB_Object> out;
            separator.ConvertImage(c.image, out);
            ASSERT_EQ(out.size(), 5u);
            for (size_t i = 0; i < 4; ++i)
                EXPECT_EQ(StreamData(out[i], 2), c.slices[i]) << i;
            const CSEP_ToPressSpaceConverter::ImageShortfall shortfall = separator.Converter().TakeImageShortfall();
            EXPECT_EQ(shortfall.held, c.held);
            EXPECT_EQ(shortfall.needed, 60u);
            EXPECT_EQ(separator.Converter().TakeImageShortfall().needed, 0u);  // taken once
        }
    }
}

// Far more samples missing than one zero buffer holds (9,900 of 10,000):
// the padding goes on past its first chunk to the last sample, and the
// slices are the given row followed by white.
TEST_F(CSEP_SliceImageTest, ImagesMissingManySamplesAreReadAsZeroToTheirEnd) {
    const GLOB_Doc source = NewDoc();
    std::string row;
    for (int i = 0; i < 100; ++i)
        row += static_cast<char>(i * 2 + 10);
    const struct {
        const char* space;
        std::vector<size_t> inks;   // the inks whose slices are checked
        size_t components;
    } cases[] = {
        {"[/Separation /All /DeviceGray 0]", {0, 1, 2, 3, 4}, 1},
        {"/DeviceCMYK", {0, 1, 2, 3}, 4},
    };
    for (const auto& c : cases) {
        const GLOB_Object image = NewStreamObject(
            source, std::string("<< /Subtype /Image /Width 100 /Height 100 /BitsPerComponent 8 /ColorSpace ") +
                        c.space + " >>",
            row);
        for (uint32_t external : {0u, 1u}) {
            SCOPED_TRACE(std::string(c.space) + (external ? " external" : " embedded"));
            const CSEP_SepJobContext job = NewJob({"Spot"}, 1, external);  // holds the slices' files
            const std::vector<GLOB_Object> out = Images(job, image);
            for (size_t ink : c.inks) {
                SCOPED_TRACE(ink);
                const size_t component = c.components == 1 ? 0 : ink;
                const std::string given = Inverted(Component(row, component, c.components));
                const std::string slice = StreamData(out[ink], 2);
                ASSERT_EQ(slice.size(), 10000u);
                EXPECT_EQ(slice.substr(0, given.size()), given);
                EXPECT_EQ(slice.find_first_not_of('\xFF', given.size()), std::string::npos);
            }
        }
    }
}

// Padding is bounded: a few bytes claiming a huge image are refused, with
// what they hold, once more samples are missing than may be read as 0.
TEST_F(CSEP_SliceImageTest, ImagesMissingMoreThanThePaddingLimitAreRefused) {
    const GLOB_Doc source = NewDoc();
    // Sides the drawing takes.
    const uint64_t width = CSEP_SliceConverter::MaxImageSide;
    const uint64_t height = CSEP_SliceConverter::MaxPaddedSamples / 4 / width + 1;
    const GLOB_Object image = NewStreamObject(
        source, "<< /Subtype /Image /Width " + std::to_string(width) + " /Height " + std::to_string(height) +
                    " /ColorSpace /DeviceCMYK /BitsPerComponent 8 >>",
        "\x10\x20\x30\x40\x50");
    EXPECT_EQ(Failure([&] { Images(NewJob({}), image); }),
              "1128001 CSEP_DeviceCMYKConverter: the image's data hold 5 samples, its dictionary " +
                  std::to_string(width * height * 4) + ".");
}

// A JPEG header claims the image's size; what decodes from its data bounds
// the cost: rows libjpeg would make up past the data's end are missing
// samples, refused here beyond the padding limit, with the samples the data
// hold, and no temporary file stays.
TEST_F(CSEP_SliceImageTest, CutShortDCTImageCostsItsDataNotItsClaimedSize) {
    const GLOB_Doc source = NewDoc();
    const GLOB_Object encoded = NewStreamObject(
        source, "<< /Subtype /Image /Width 64 /Height 16 /ColorSpace /DeviceCMYK /BitsPerComponent 8 /Filter /DCTDecode >>",
        Packed(64, 16, 4, 8, [](int x, int y, int c) { return (x * 7 + y * 11 + c * 50) % 256; }),
        "<< /Colors 4 /Columns 64 /Rows 16 >>");
    std::string jpeg = StreamData(encoded, 0);
    const size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    const uint16_t width = 8192, height = 2100;  // more samples than may be padded
    jpeg[frame + 5] = static_cast<char>(height >> 8);
    jpeg[frame + 6] = static_cast<char>(height & 0xFF);
    jpeg[frame + 7] = static_cast<char>(width >> 8);
    jpeg[frame + 8] = static_cast<char>(width & 0xFF);
    const GLOB_Object image = NewStreamObject(
        source, "<< /Subtype /Image /Width 8192 /Height 2100 /ColorSpace /DeviceCMYK /BitsPerComponent 8 /Filter "
                "/DCTDecode >>",
        jpeg);
    for (uint32_t external : {0u, 1u}) {
        SCOPED_TRACE(external);
        // The data end in the first iMCU row: its 8 rows are kept.
        EXPECT_EQ(Failure([&] { Images(NewJob({}, 1, external), image); }),
                  "1128001 CSEP_DeviceCMYKConverter: the image's data hold " + std::to_string(8 * 8192 * 4) +
                      " samples, its dictionary 68812800.");
        EXPECT_EQ(TempFiles(), std::vector<std::string>());
    }
}

// A one-ink image reaches the drawing whole unless its JPEG data are cut
// short: then, as for four inks, it keeps the rows its data hold, the rest
// read as 0, its samples as they are (a spot's Decode mirrored), noted; data
// cut before their first scan refuse it in the program's words, as a CMYK
// image's do; a progressive image cut in a later scan keeps every row,
// noted as coarse.
TEST_F(CSEP_SliceImageTest, OneInkJPEGsCutShortKeepTheRowsTheirDataHoldAsFourInksDo) {
    const GLOB_Doc source = NewDoc();
    const auto picture = [](int components) {
        return Packed(64, 64, components, 8, [](int x, int y, int c) { return (x * 5 + y * 3 + c * 40) % 256; });
    };
    const std::string jpeg = dcttest::MakeJpeg({64, 64}, picture(1));
    const std::string progressive = dcttest::MakeJpeg({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true}, picture(1));
    const std::string cmyk = dcttest::MakeJpeg({64, 64, 4, JCS_CMYK, JCS_CMYK}, picture(4));
    const auto scanData = [](const std::string& data, size_t from = 0) {
        const size_t sos = data.find("\xFF\xDA", from);
        return sos + 2 + static_cast<uint8_t>(data[sos + 3]);
    };
    const std::string cut = jpeg.substr(0, scanData(jpeg) + 40);
    std::string junk = jpeg;
    junk.insert(junk.find("\xFF\xDA"), "\x01\x02");
    const std::string laterScan = progressive.substr(0, progressive.find("\xFF\xDA", scanData(progressive)) + 2);
    dcttest::JpegInfo info;
    const std::string decodedCut = dcttest::LibjpegDecode(cut, JCS_UNKNOWN, &info);
    const std::string decodedLater = dcttest::LibjpegDecode(laterScan.substr(0, laterScan.size() - 2), JCS_UNKNOWN, &info);
    const std::string gray = "/Width 64 /Height 64 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode";
    const std::string spot = "/Width 64 /Height 64 /ColorSpace [/Separation /Spot /DeviceCMYK << /FunctionType 2 "
                             "/Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 1] /N 1 >>] /BitsPerComponent 8 /Filter /DCTDecode";
    const std::string fourInks = "/Width 64 /Height 64 /ColorSpace /DeviceCMYK /BitsPerComponent 8 /Filter /DCTDecode";
    const std::string headerCut =
        "1130007 FILT_DCTDecode: the image's JPEG data are cut short or damaged before their first scan (libjpeg: ";
    const struct {
        const char* name;
        std::string dict;
        std::string data;
        uint64_t held, needed;
        bool coarse;
        std::string samples;  // the ink's image, decoded; empty: the source whole
        std::string thrown;   // its start
        std::string words = "";  // libjpeg's, noted with the shortfall
    } cases[] = {
        {"whole", gray, jpeg, 0, 0, false, "", ""},
        // Whole but damaged: libjpeg's word on it goes with no shortfall.
        {"gray junk before its scan", gray, junk, 0, 0, false, "", "",
         "Corrupt JPEG data: 2 extraneous bytes before marker 0xda"},
        {"cut gray", gray, cut, 8 * 64, 64 * 64, false, decodedCut.substr(0, 8 * 64) + std::string(56 * 64, '\0'), ""},
        {"cut spot", spot, cut, 8 * 64, 64 * 64, false, decodedCut.substr(0, 8 * 64) + std::string(56 * 64, '\0'), ""},
        {"progressive cut in a later scan", gray, laterScan, 64 * 64, 64 * 64, true, decodedLater, ""},
        {"gray cut at its scan", gray, jpeg.substr(0, jpeg.find("\xFF\xDA")), 0, 0, false, "", headerCut},
        {"spot cut at its scan", spot, jpeg.substr(0, jpeg.find("\xFF\xDA") + 2), 0, 0, false, "", headerCut},
        {"CMYK cut at its scan", fourInks, cmyk.substr(0, cmyk.find("\xFF\xDA") + 2), 0, 0, false, "", headerCut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GLOB_Object image = NewStreamObject(source, "<< /Subtype /Image " + c.dict + " >>", c.data);
        for (uint32_t external : {0u, 1u}) {
            CSEP_ColorSeparator separator;
            separator.SetJobContext(NewJob({"Spot"}, 1, external));
            separator.SetColorSpace(CPDF_Image(image).ImageParams().ColorSpace());
            std::vector<GLOB_Object> out;
            if (!c.thrown.empty()) {
                EXPECT_EQ(Failure([&] { separator.ConvertImage(image, out); }).substr(0, c.thrown.size()), c.thrown);
                continue;
            }
            separator.ConvertImage(image, out);
            const CSEP_ToPressSpaceConverter::ImageShortfall shortfall = separator.Converter().TakeImageShortfall();
            EXPECT_EQ(shortfall.held, c.held);
            EXPECT_EQ(shortfall.needed, c.needed);
            EXPECT_EQ(shortfall.coarse, c.coarse);
            EXPECT_EQ(shortfall.jpegWords, c.words);
            const GLOB_Object ink = out[c.dict.find("Spot") != std::string::npos ? 4 : 3];
            if (c.samples.empty()) {
                EXPECT_EQ(StreamData(ink, 0), c.data);
                continue;
            }
            EXPECT_TRUE(StreamData(ink, 2) == c.samples);
            EXPECT_EQ(Text(ink.DictGet(GLOB_Name("ColorSpace"))), "/DeviceGray");
            EXPECT_EQ(Text(ink.DictGet(GLOB_Name("Decode"))), c.dict == spot ? "[ 1 0 ]" : "null");
        }
    }
}

// Entries that neither the data's storage nor their colour decide stay on
// every slice, and an indirect one (the soft mask) is one object for all.
TEST_F(CSEP_SliceImageTest, SlicesKeepTheSourcesOtherEntries) {
    const GLOB_Doc source = NewDoc();
    const GLOB_Object mask =
        NewStreamObject(source, "<< /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray >>",
                        "\x80");
    const struct {
        const char* space;
        size_t components;
        std::vector<size_t> images;  // the inks that get an image
    } cases[] = {
        {"/DeviceCMYK", 4, {0, 1, 2, 3}},
        {"[/DeviceN [/Spot /Yellow] /DeviceCMYK 0]", 2, {2, 4}},
        {"[/Separation /Spot /DeviceCMYK 0]", 1, {4}},
        {"/DeviceGray", 1, {3}},
    };
    for (const auto& c : cases) {
        for (uint32_t external : {0u, 1u}) {
            SCOPED_TRACE(std::string(c.space) + (external ? " external" : " embedded"));
            const GLOB_Object image = NewStreamObject(
                source,
                std::string("<< /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /Interpolate true /Name /Im7"
                            "   /StructParent 3 /OC << /Type /OCG /Name (Layer) >> /ColorSpace ") +
                    c.space + " >>",
                std::string(2 * c.components, '\x33'));
            image.DictPut(GLOB_Name("SMask"), mask);
            const CSEP_SepJobContext job = NewJob({"Spot"}, 1, external);
            const std::vector<GLOB_Object> out = Images(job, image);
            const GLOB_Object first = out[c.images[0]].DictGet(GLOB_Name("SMask"));
            ASSERT_TRUE(first.IsStream());
            EXPECT_TRUE(first.GetImpl() == job.Doc().Impl());
            EXPECT_EQ(StreamData(first, 2), "\x80");
            for (size_t i : c.images) {
                SCOPED_TRACE(i);
                EXPECT_TRUE(out[i].DictGet(GLOB_Name("SMask")) == first);
                EXPECT_EQ(Keys(out[i], {"Name", "StructParent", "Interpolate", "ColorSpace"}),
                          "/Im73true/DeviceGray");
                EXPECT_EQ(Text(out[i].GetPath("/OC/Name")), "(Layer)");
            }
        }
    }
}

#include "separation/CSEP_ColorSeparator.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CSEP_TestUtil.h"

#include <zlib.h>

#include <functional>

namespace {

using CSEP_SliceImageTest = CSEP_TempDirTest;
using Sample = std::function<int(int x, int y, int c)>;

const char* const EmptyForm = "1 g\n0 0 1 1 re F\n";

// Rows of width × components samples of bits each, packed from the most
// significant bit, every row padded to a whole byte.
std::string Packed(int width, int height, int components, int bits, const Sample& sample) {
    std::string packed;
    for (int y = 0; y < height; ++y) {
        uint32_t pending = 0;
        int count = 0;
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) {
                pending = (pending << bits) | static_cast<uint32_t>(sample(x, y, c));
                for (count += bits; count >= 8; count -= 8)
                    packed += static_cast<char>(pending >> (count - 8));
            }
        if (count > 0)
            packed += static_cast<char>(pending << (8 - count));
    }
    return packed;
}

// Every byte v of data as 255 - v.
std::string Inverted(std::string data) {
    for (char& c : data)
        c = static_cast<char>(255 - static_cast<uint8_t>(c));
    return data;
}

// Every component-th byte of data from the first.
std::string Component(const std::string& data, size_t first, size_t components) {
    std::string bytes;
    for (size_t i = first; i < data.size(); i += components)
        bytes += data[i];
    return bytes;
}

std::vector<GLOB_Object> Convert(const CSEP_SepJobContext& job, const std::string& space, const GLOB_Object& image) {
    CSEP_ColorSeparator separator;
    separator.SetJobContext(job);
    separator.SetColorSpace(CPDF_ColorSpace(job.Doc().ParseObject(space.c_str())));
    std::vector<GLOB_Object> out;
    separator.ConvertImage(image, out);
    EXPECT_EQ(out.size(), job.NumColorants());
    return out;
}

void ExpectEmptyForm(const GLOB_Object& object) {
    EXPECT_TRUE(object.HasType("XObject", "Form"));
    EXPECT_EQ(StreamData(object), EmptyForm);
}

std::string Text(const GLOB_Object& object) {
    std::ostringstream os;
    object.Print(os);
    return os.str();
}

std::string Inflated(const std::string& stored, size_t size) {
    std::string inflated(size + 1, '\0');
    uLongf length = static_cast<uLongf>(inflated.size());
    if (uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &length, reinterpret_cast<const Bytef*>(stored.data()),
                   static_cast<uLong>(stored.size())) != Z_OK)
        return "not a zlib stream";
    return inflated.substr(0, length);
}

}  // namespace

TEST_F(CSEP_SliceImageTest, CMYKImagesSliceToInvertedGrayImagesAtTheirDepth) {
    const GLOB_Doc source = NewDoc();
    const struct {
        uint32_t compression, external;
    } modes[] = {{1, 0}, {0, 0}, {0, 1}};
    for (int bits : {1, 2, 4, 8}) {
        const int max = (1 << bits) - 1;
        const Sample sample = [&](int x, int y, int c) { return (x * 3 + y * 5 + c * 7 + x * c * 11) % (max + 1); };
        const GLOB_Object image = NewStreamObject(
            source, "<< /Type /XObject /Subtype /Image /Width 9 /Height 3 /ColorSpace /DeviceCMYK /BitsPerComponent " +
                        std::to_string(bits) + " /Interpolate true >>",
            Packed(9, 3, 4, bits, sample));
        for (const auto& mode : modes) {
            SCOPED_TRACE(testing::Message() << bits << " bits, compression " << mode.compression << ", external "
                                            << mode.external);
            const CSEP_SepJobContext job = NewJob({"Spot"}, mode.compression, mode.external);
            const std::vector<GLOB_Object> out = Convert(job, "/DeviceCMYK", image);
            ASSERT_EQ(out.size(), 5u);
            ExpectEmptyForm(out[4]);
            for (int c = 0; c < 4; ++c) {
                const GLOB_Object slice = out[static_cast<size_t>(c)];
                const std::string expected =
                    Packed(9, 3, 1, bits, [&](int x, int y, int) { return max - sample(x, y, c); });
                EXPECT_EQ(slice.IntegerValue("Width") * 100 + slice.IntegerValue("Height"), 903);
                EXPECT_EQ(slice.IntegerValue("BitsPerComponent"), bits);
                EXPECT_TRUE(slice.NameValue("ColorSpace") == "DeviceGray" && slice.BooleanValue("Interpolate"));
                EXPECT_FALSE(slice.Known(GLOB_Name("Decode")));
                EXPECT_EQ(slice.GetImpl(), job.Doc().Impl());
                EXPECT_EQ(StreamData(slice, 2), expected);
                if (mode.compression == 1) {
                    EXPECT_FALSE(slice.Known(GLOB_Name("Filter")));
                    EXPECT_EQ(StreamData(slice), expected);
                } else if (mode.external == 0) {
                    EXPECT_EQ(slice.NameValue("Filter"), GLOB_Name("FlateDecode"));
                    EXPECT_EQ(Inflated(StreamData(slice), expected.size()), expected);
                } else {
                    EXPECT_EQ(slice.NameValue("FFilter"), GLOB_Name("FlateDecode"));
                    EXPECT_TRUE(slice.DictGet(GLOB_Name("F")).HasType("Filespec"));
                    EXPECT_EQ(Inflated(StreamData(slice), expected.size()), expected);
                }
            }
            EXPECT_EQ(TempFiles().size(), mode.external ? 4u : 0u);
        }
    }
}

TEST_F(CSEP_SliceImageTest, DCTImageSlicesToItsDecodedSamplesInvertedWithDecodeReversed) {
    // Encoded by the project's DCT encoder; the slices hold what its decoder
    // gives, inverted. A colour-key Mask does not fit a gray image.
    const GLOB_Doc source = NewDoc();
    const std::string pixels =
        Packed(16, 8, 4, 8, [](int x, int y, int c) { return (x * 13 + y * 29 + c * 60) % 256; });
    const GLOB_Object image = source.NewStream(
        GLOB_Stream(new GLOB_StringStream(pixels)), 0,
        source.ParseObject("<< /Subtype /Image /Width 16 /Height 8 /ColorSpace /DeviceCMYK /BitsPerComponent 8 "
                           "/Filter /DCTDecode /Decode [1 0 0.2 0.9 1 0 1 0] /Mask [0 9 0 9 0 9 0 9] >>"),
        source.ParseObject("<< /Colors 4 /Columns 16 /Rows 8 >>"), -1);
    const std::string decoded = StreamData(image, 2);
    ASSERT_EQ(decoded.size(), pixels.size());
    const CSEP_SepJobContext job = NewJob({});
    const std::vector<GLOB_Object> out = Convert(job, "/DeviceCMYK", image);
    for (size_t c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(StreamData(out[c], 2), Inverted(Component(decoded, c, 4)));
        EXPECT_EQ(Text(out[c].DictGet(GLOB_Name("Decode"))), c == 1 ? "[ 0.1 0.8 ]" : "[ 1 0 ]");
        EXPECT_FALSE(out[c].Known(GLOB_Name("Mask")) || out[c].Known(GLOB_Name("Filter")));
    }
}

TEST_F(CSEP_SliceImageTest, EveryInkGetsItsComponentOrTheBlankForm) {
    const GLOB_Doc source = NewDoc();
    const std::string pixels = "\x10\x20\x30\x40\x50\x60";
    const struct {
        std::string space;
        int components;
        std::vector<int> component;  // per ink, -1 for the empty form
    } cases[] = {
        {"[/DeviceN [/Cyan /None /Spot] /DeviceCMYK 0]", 3, {0, -1, -1, -1, 2, -1}},
        {"[/DeviceN [/Gold /Black] /DeviceCMYK 0]", 2, {-1, -1, -1, 1, -1, 0}},
        {"[/Separation /All /DeviceCMYK 0]", 1, {0, 0, 0, 0, 0, 0}},
        {"[/Separation /None /DeviceCMYK 0]", 1, {-1, -1, -1, -1, -1, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.space);
        const GLOB_Object image = NewStreamObject(source,
                                                  "<< /Subtype /Image /Width " + std::to_string(6 / c.components) +
                                                      " /Height 1 /BitsPerComponent 8 /ColorSpace " + c.space + " >>",
                                                  pixels);
        const CSEP_SepJobContext job = NewJob({"Spot", "Gold"});
        const std::vector<GLOB_Object> out = Convert(job, c.space, image);
        const GLOB_Object* blank = nullptr;
        for (size_t i = 0; i < out.size(); ++i) {
            SCOPED_TRACE(i);
            if (c.component[i] < 0) {
                ExpectEmptyForm(out[i]);
                EXPECT_EQ(out[i], *(blank ? blank : (blank = &out[i])));  // one form serves every blank ink
            } else {
                EXPECT_EQ(StreamData(out[i]),
                          Inverted(Component(pixels, static_cast<size_t>(c.component[i]), c.components)));
            }
        }
    }
}

TEST_F(CSEP_SliceImageTest, SingleComponentImagesGoToTheirInkWhole) {
    const GLOB_Doc source = NewDoc();
    // A DCT Separation image, with external streams: its stored bytes are
    // copied into a file named by the stream, Decode mirrored.
    const GLOB_Object spot = source.NewStream(
        GLOB_Stream(new GLOB_StringStream(Packed(8, 8, 1, 8, [](int x, int y, int) { return x * 30 + y; }))), 0,
        source.ParseObject("<< /Subtype /Image /Width 8 /Height 8 /BitsPerComponent 8 "
                           "/ColorSpace [/Separation /Spot /DeviceCMYK 0] /Filter /DCTDecode >>"),
        source.ParseObject("<< /Colors 1 /Columns 8 /Rows 8 >>"), -1);
    {
        const CSEP_SepJobContext job = NewJob({"Spot"}, 0, 1);
        const std::vector<GLOB_Object> out = Convert(job, "[/Separation /Spot /DeviceCMYK 0]", spot);
        EXPECT_EQ(StreamData(out[4]), StreamData(spot));
        EXPECT_EQ(StreamData(out[4], 2), StreamData(spot, 2));
        EXPECT_EQ(out[4].NameValue("FFilter"), GLOB_Name("DCTDecode"));
        EXPECT_EQ(Text(out[4].DictGet(GLOB_Name("Decode"))), "[ 1 0 ]");
        EXPECT_EQ(out[4].NameValue("ColorSpace"), GLOB_Name("DeviceGray"));
        for (size_t i = 0; i < 4; ++i)
            ExpectEmptyForm(out[i]);
        EXPECT_EQ(TempFiles().size(), 1u);
    }
    // A gray image is Black's plate already: samples and Decode stay.
    const GLOB_Object gray = NewStreamObject(
        source,
        "<< /Subtype /Image /Width 3 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Decode [0.2 0.8] >>",
        "abc");
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const std::vector<GLOB_Object> out = Convert(job, "/DeviceGray", gray);
    EXPECT_EQ(StreamData(out[3]), "abc");
    EXPECT_EQ(Text(out[3].DictGet(GLOB_Name("Decode"))), "[ 0.2 0.8 ]");
    EXPECT_NE(out[3], gray);
    for (size_t i : {0, 1, 2, 4})
        ExpectEmptyForm(out[i]);
}

TEST_F(CSEP_SliceImageTest, IndexedSpacesSplitTheirTablePerBaseComponent) {
    std::string cmyk;  // 256 entries of 4 bytes
    for (int i = 0; i < 1024; ++i)
        cmyk += static_cast<char>((i * 7 + i / 4 * 3) % 256);
    const std::string full(256, '\xFF');
    const struct {
        std::string base;  // the separator's space
        std::string lookup;
        std::vector<std::string> tables;  // per ink; "" for the stand-in
    } cases[] = {
        {"/DeviceCMYK", cmyk,
         {Inverted(Component(cmyk, 0, 4)), Inverted(Component(cmyk, 1, 4)), Inverted(Component(cmyk, 2, 4)),
          Inverted(Component(cmyk, 3, 4)), ""}},
        {"[/Separation /Spot /DeviceCMYK 0]", "\x0a\x14\x1e\x28", {"", "", "", "", "\xf5\xeb\xe1\xd7"}},
        {"/DeviceGray", "\x0a\x14\x1e", {"", "", "", "\x0a\x14\x1e", ""}},
        // A short table: the entries it does not reach read as 0 (no ink).
        {"/DeviceCMYK", "\x01\x02\x03\x04\x05",
         {"\xfe\xfa", "\xfd\xff", "\xfc\xff", "\xfb\xff", ""}},
        // A long one: bytes past the last entry are not read.
        {"/DeviceGray", "\x01\x02\x03\x04", {"", "", "", "\x01\x02", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base + " " + std::to_string(c.lookup.size()));
        const CSEP_SepJobContext job = NewJob({"Spot"});
        const size_t samples = std::max(c.tables[4].size(), c.tables[3].size());
        const GLOB_Object lookup = NewStreamObject(job.Doc(), "<< >>", c.lookup);
        const GLOB_Object array = job.Doc().ParseObject(("[/Indexed " + c.base + " " + std::to_string(samples - 1) +
                                                         " 0]").c_str());
        array.ArrayPut(3, lookup);
        CSEP_ColorSeparator separator;
        separator.SetJobContext(job);
        separator.SetColorSpace(CPDF_ColorSpace(array.Get(1)));
        std::vector<GLOB_Object> out;
        separator.ConvertIndexed(CPDF_IndexedColorSpace(array), out);
        ASSERT_EQ(out.size(), 5u);
        for (size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Text(out[i].Get(1)) + " " + Text(out[i].Get(2)), "/DeviceGray " + std::to_string(samples - 1));
            const std::string& table = c.tables[i].empty() ? full.substr(0, samples) : c.tables[i];
            EXPECT_EQ(StreamData(out[i].Get(3), 2), table);
        }
    }
}

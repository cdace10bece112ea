#include "CPDF/image/CPDF_ImageParams.h"

#include "CPDF/color/ColorSpaceTestUtil.h"

#include <gtest/gtest.h>

namespace {

std::vector<double> Pairs(const CPDF_DecodeArray& decode) {
    std::vector<double> values;
    for (unsigned i = 0; i < decode.Dimension(); ++i) {
        double dmin, dmax;
        decode.Get(i, dmin, dmax);
        values.insert(values.end(), {dmin, dmax});
    }
    return values;
}

const char* const Lab = "[/Lab << /WhitePoint [0.95 1 1.09] /Range [-128 127 -128 127] >>]";

}  // namespace

TEST(CPDF_ImageParams, Validation) {
    const std::string size = "/Width 10 /Height 10 /BitsPerComponent 8 ";
    const std::string both = "Image parameters missing both ColorSpace and ImageMask keys."
                             "One of these keys must be present.\n";
    const struct {
        std::string dict;
        std::string messages;
    } cases[] = {
        {"<< " + size + "/ColorSpace /DeviceRGB /Intent /Foo /Interpolate true >>", "valid"},
        {"<< /Width 4 /Height 0 /BitsPerComponent 1 /ImageMask true /Decode [1 0] >>", "valid"},
        // JPEG 2000 data give their own depth.
        {"<< /Width 4 /Height 4 /ColorSpace /DeviceGray /Filter /JPXDecode >>", "valid"},
        {"<< /Width 4 /Height 4 /ColorSpace /DeviceGray /Filter [/ASCIIHexDecode /JPXDecode] >>", "valid"},
        {"<< /Width 4 /Height 4 /ColorSpace /DeviceGray /Filter /FlateDecode >>",
         "Image parameters missing BitsPerComponent.\n"},
        {"5", "Image parameters must be a Dictionary, found Integer\n"},
        {"<< /ColorSpace null >>",
         "Image parameters missing width.\nImage parameters missing height.\n"
         "Image parameters missing BitsPerComponent.\n" + both},
        {"<< /Width -1 /Height 1.5 /BitsPerComponent 16 /ColorSpace /DeviceGray >>",
         "Image width must be non-negative, found -1\nImage height must be an Integer, found Real\n"
         "Image bits per component must be 1, 2, 4, or 8. Found 16\n"},
        {"<< /Width /W /Height -3 /BitsPerComponent /B /ColorSpace /DeviceGray >>",
         "Image width must be an Integer, found Name\nImage height must be non-negative, found -3\n"
         "Image BitsPerComponent must be an Integer, found Name\n"},
        {"<< " + size + "/ImageMask true /ColorSpace /DeviceGray >>",
         "Image parameters specify a ColorSpace and set ImageMask flag to 'true'.  "
         "These settings are mutually exclusive\n"},
        {"<< " + size + "/ImageMask false >>",
         "Image parameters missing ColorSpace key and specifies ImageMask is 'false'.  "
         "Either ColorSpace must be present or ImageMask must be 'true'.\n"},
        {"<< " + size + "/ImageMask 1 >>", "Imagemask flag must be Boolean, found Integer\n" + both},
        {"<< " + size + "/ColorSpace /Foo /Decode [0 1 0 1] >>",
         "Image has invalid colorspace: Unknown ColorSpace name: Foo\n"},
        // One message naming both counts, whether ImageMask is absent or false.
        {"<< " + size + "/ColorSpace /DeviceCMYK /Decode [0 1 0 1] >>",
         "Image has bad decode array: Image decode arrray dimension (2) must match colorspace dimension (4)\n"},
        {"<< " + size + "/ImageMask false /ColorSpace /DeviceCMYK /Decode [0 1 0 1] >>",
         "Image has bad decode array: Image decode arrray dimension (2) must match colorspace dimension (4)\n"},
        {"<< " + size + "/ColorSpace /DeviceGray /Decode [0 1 0] /Intent 2 /Interpolate /Y >>",
         "Image has bad decode array: A decode array must be of even length, found 3\n\n"
         "Image render intent must be a Name, found Integer\n"
         "Image interpolate flag must be a Boolean, found Name\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        EXPECT_EQ(Validated(CPDF_ImageParams::IsValid, Obj(c.dict)), c.messages);
        const std::string thrown = Thrown([&] { CPDF_ImageParams params(Obj(c.dict)); });
        EXPECT_EQ(thrown, c.messages == "valid" ? "no exception" : "1128008 " + c.messages);
        if (Obj(c.dict).IsDict()) {
            EXPECT_EQ(Thrown([&] { CPDF_ImageParams params(Obj(c.dict).AsDict()); }), thrown);
        }
    }
}

TEST(CPDF_ImageParams, DefaultDecodeArrays) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        GLOB_Object space;  // Null: a stencil mask
        std::vector<double> decode;
    } cases[] = {
        {Obj("/DeviceRGB"), {0, 1, 0, 1, 0, 1}},
        {Obj("/DeviceCMYK"), {0, 1, 0, 1, 0, 1, 0, 1}},
        {Obj("[/DeviceN [/A /B] /DeviceGray 0]"), {0, 1, 0, 1}},
        {GLOB_Object(), {0, 1}},
        // A table of 4 entries, whatever BitsPerComponent says.
        {Obj("[/Indexed /DeviceGray 3 <00408020>]"), {0, 3}},
        {Obj(Lab), {0, 1, -128, 127, -128, 127}},
        {Obj("[/Lab << /WhitePoint [0.95 1 1.09] >>]"), {0, 1, -100, 100, -100, 100}},
        {IccSpace(doc, "<< /N 3 /Range [0 1 -2 2 0 100] >>"), {0, 1, -2, 2, 0, 100}},
        {IccSpace(doc, "<< /N 1 >>"), {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Printed(c.space));
        CPDF_ImageParams params;
        params.SetBitsPerComponent(8);
        if (c.space.IsNull())
            params.SetImageMask(true);
        else
            params.SetColorSpace(CPDF_ColorSpace(c.space));
        EXPECT_EQ(Pairs(params.DecodeArray()), c.decode);
        EXPECT_EQ(params.NumComponents(), c.decode.size() / 2);
    }

    // A stored Decode wins; a Pattern space has no default.
    const CPDF_ImageParams stored(Obj("<< /Width 1 /Height 1 /BitsPerComponent 1 /ColorSpace /DeviceGray "
                                      "/Decode [1 0] >>"));
    EXPECT_EQ(Pairs(stored.DecodeArray()), (std::vector<double>{1, 0}));
    const CPDF_ImageParams pattern(
        Obj("<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace [/Pattern /DeviceRGB] >>"));
    EXPECT_EQ(Thrown([&] { pattern.DecodeArray(); }),
              "1128008 Encountered Invalid image colorspace: ColorSpace: Pattern[ ColorSpace: DeviceRGB ]");
}

TEST(CPDF_ImageParams, IntentsAndSetterPreconditions) {
    using P = CPDF_ImageParams;
    const struct {
        const char* entry;
        P::RenderIntent intent;
    } intents[] = {{"", P::RelativeColorimetric},         {"/Intent /Perceptual", P::Perceptual},
                   {"/Intent /Saturation", P::Saturation}, {"/Intent /AbsoluteColorimetric", P::AbsoluteColorimetric},
                   {"/Intent /perceptual", P::Other}};
    for (const auto& i : intents) {
        SCOPED_TRACE(i.entry);
        const std::string dict = "<< /Width 1 /Height 1 /BitsPerComponent 1 /ColorSpace /DeviceGray ";
        P params(Obj(dict + i.entry + ">>"));
        EXPECT_EQ(params.Intent(), i.intent);
        // Other has no name: the intent goes, and reads as the default.
        params.SetIntent(params.Intent());
        EXPECT_EQ(params.Intent(), i.intent == P::Other ? P::RelativeColorimetric : i.intent);
    }
    EXPECT_EQ(Thrown([] { P::RenderIntentName(P::Other); }),
              "1128008 Attempted to convert render intent type 'Other' to a name");
    EXPECT_EQ(Thrown([] { P::RenderIntentName(static_cast<P::RenderIntent>(7)); }),
              "1128008 Illegal enumeration value (CPDF_ImageParams::RenderIntent): 7");

    P mask;
    mask.SetImageMask(true);
    P rgb(2, 2, 8, CPDF_ColorSpace::MakeDeviceRGB());
    const std::pair<std::function<void()>, std::string> refusals[] = {
        {[&] { rgb.SetBitsPerComponent(3); }, "CPDF_ImageParams::IsValidBitsPerComponent(bitsPerComponent, nullptr)"},
        {[&] { mask.SetBitsPerComponent(8); }, "bitsPerComponent==1 :: 8==1"},
        {[&] { mask.SetColorSpace(CPDF_ColorSpace::MakeDeviceRGB()); }, "IsImageMask()==false :: 1==0"},
        {[&] { rgb.SetDecodeArray(CPDF_DecodeArray(1u)); },
         "CPDF_ImageParams::IsValidDecodeArray(decodeArray, ColorSpace(), nullptr)"},
        {[&] { rgb.SetColorSpaceAndDecodeArray(CPDF_ColorSpace::MakeDeviceCMYK(), CPDF_DecodeArray(3u)); },
         "CPDF_ImageParams::IsValidDecodeArray(decode, colorSpace, nullptr)"},
    };
    for (const auto& r : refusals)
        EXPECT_EQ(Thrown(r.first), "assert " + r.second);
    // A stencil mask takes any decode array; a Decode that fits bars a
    // space it does not.
    mask.SetDecodeArray(CPDF_DecodeArray(3u));
    rgb.SetDecodeArray(CPDF_DecodeArray(3u));
    EXPECT_EQ(Thrown([&] { rgb.SetColorSpace(CPDF_ColorSpace::MakeDeviceGray()); }),
              "assert CPDF_ImageParams::IsValidDecodeArray(DecodeArray(), colorSpace, nullptr)");
}

TEST(CPDF_ImageParams, ViewsTurnPrivateAtTheFirstChange) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object dict = doc.ParseObject(
        "<< /Width 10 /Height 20 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Mask [0 10 0 10 0 10]"
        " /Decode [1 0 1 0 1 0] /Intent /Saturation /Interpolate true /Foo 1 >>");
    CPDF_ImageParams params(dict);
    const CPDF_ImageParams view = params;
    params.SetWidth(30);
    EXPECT_EQ(Printed(dict.GetPath("Width")), "10");
    EXPECT_EQ(params.Width(), 30);
    EXPECT_EQ(view.Width(), 10);
    // The nine keys come along, no other.
    EXPECT_EQ(params.Height(), 20);
    EXPECT_EQ(params.ColorSpace().Type(), CPDF_ColorSpace::DeviceRGB);
    EXPECT_EQ(Printed(params.Value("Mask")), "[ 0 10 0 10 0 10 ]");
    EXPECT_EQ(Pairs(params.DecodeArray()), (std::vector<double>{1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(params.Intent(), CPDF_ImageParams::Saturation);
    EXPECT_TRUE(params.Interpolate());
    EXPECT_FALSE(params.Lookup("Foo"));
    // Copies of private parameters part at a change.
    CPDF_ImageParams copy = params;
    copy.SetHeight(5);
    EXPECT_EQ(params.Height(), 20);

    params.SetImageMask(true);
    EXPECT_TRUE(params.IsImageMask());
    EXPECT_FALSE(params.Lookup("ColorSpace") || params.Lookup("Mask"));
    EXPECT_EQ(params.BitsPerComponent(), 1);
    params.SetImageMask(false);
    EXPECT_FALSE(params.IsImageMask());
    EXPECT_EQ(params.ColorSpace().Type(), CPDF_ColorSpace::DeviceGray);
    EXPECT_EQ(params.BitsPerComponent(), 1);
    EXPECT_EQ(Printed(dict.GetPath("ColorSpace")), "/DeviceRGB");
}

TEST(CPDF_ImageParams, WrittenIntoADictionary) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object target = doc.ParseObject(
        "<< /Type /XObject /ImageMask true /Decode [1 0] /Intent /Perceptual /Interpolate false /Length 3 >>");
    CPDF_ImageParams params(3, 4, 2, CPDF_ColorSpace(Obj(Lab)));
    params.Put("Mask", Obj("[0 1 0 1 0 1]"));
    params.SetInterpolate(true);
    params.WriteDict(target);
    EXPECT_FALSE(target.KnownPath("ImageMask") || target.KnownPath("Decode") || target.KnownPath("Intent"));
    EXPECT_EQ(Printed(target.GetPath("Type")), "/XObject");
    EXPECT_EQ(Printed(target.GetPath("Length")), "3");
    for (const char* key : {"ColorSpace", "Mask", "Interpolate"})
        EXPECT_EQ(target.GetPath(key).GetImpl(), doc.Impl()) << key;
    const CPDF_ImageParams read(target);
    EXPECT_EQ(read.Width() * 100 + read.Height() * 10 + read.BitsPerComponent(), 342);
    EXPECT_EQ(Pairs(read.DecodeArray()), (std::vector<double>{0, 1, -128, 127, -128, 127}));
    EXPECT_TRUE(read.Interpolate());

    params.SetImageMask(true);
    params.WriteDict(target);
    EXPECT_FALSE(target.KnownPath("ColorSpace") || target.KnownPath("Mask"));
    EXPECT_TRUE(CPDF_ImageParams(target).IsImageMask());
    EXPECT_EQ(Thrown([&] { params.WriteDict(Obj("[]")); }), "assert dict.IsDict()");
}

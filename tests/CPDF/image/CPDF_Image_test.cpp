#include "CPDF/image/CPDF_Image.h"

#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

const char* const Gray = "/Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceGray";
const char* const Stencil = "<< /Width 2 /Height 2 /BitsPerComponent 1 /ImageMask true >>";
const std::string GrayDict = std::string("<< ") + Gray + " >>";

}  // namespace

TEST(CPDF_Image, ValidationAndMaskKinds) {
    const std::string rgb = "/Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceRGB";
    const struct {
        std::string dict;
        const char* mask;  // a stream put under "Mask"
        std::string messages;
        CPDF_Image::MaskKind kind = CPDF_Image::NoMask;  // of a valid image
    } cases[] = {
        {std::string("<< /Type /XObject /Subtype /Image ") + Gray + " >>", nullptr, "valid", CPDF_Image::NoMask},
        {GrayDict, nullptr, "valid", CPDF_Image::NoMask},
        {std::string("<< /Type /XObject /Subtype /Form ") + Gray + " >>", nullptr,
         "Image Type/Subtype entries should be XObject/Image, not /XObject//Form\n"},
        {std::string("<< /Type /XObject ") + Gray + " >>", nullptr,
         "Image Type/Subtype entries should be XObject/Image, not /XObject/null\n"},
        {"<< /Width 2 /Height 2 /ColorSpace /DeviceGray /Mask [0 1.5] >>", nullptr,
         "Invalid Image Parameters: \nImage parameters missing BitsPerComponent.\n\n"},
        {"<< " + rgb + " /Mask [0 10 0 10 0 10] >>", nullptr, "valid", CPDF_Image::MaskByColor},
        {"<< " + rgb + " /Mask [0 10 0 10] >>", nullptr,
         "Image has invalid color mask \nColor mask length (4) is not twice the image colorspace dimension (6)\n\n"},
        {std::string("<< ") + Gray + " /Mask [0 (a) 1.5] >>", nullptr,
         "Image has invalid color mask \nColor mask length (3) is not twice the image colorspace dimension (2)\n"
         "Color mask array entries must be integers.  (found String at 1)\n"
         "Color mask array entries must be integers.  (found Real at 2)\n\n"},
        {"<< /Width 2 /Height 2 /BitsPerComponent 1 /ImageMask true /Mask [0 1] >>", nullptr,
         "Image has invalid color mask \nImagemasks are not allowed to have a color mask.\n\n"},
        {std::string("<< ") + Gray + " /Mask /M >>", nullptr,
         "Image has invalid Mask entry type. Expected Array or Stream, found: Name\n"},
        {GrayDict, Stencil, "valid", CPDF_Image::MaskByPosition},
        {Stencil, Stencil,
         "Image has invalid position mask: \n"
         "Incompatible image masking types. Position masks are not allowed for imagemasks.\n\n"},
        {GrayDict, GrayDict.c_str(),
         "Image has invalid position mask: \n"
         "A position mask must be an imagemask. Encountered coloured position mask.\n\n"},
        {GrayDict, "<< /Height 2 /BitsPerComponent 1 /ImageMask true >>",
         "Image has invalid position mask: \n"
         "Invalid Image object Invalid Image Parameters: \nImage parameters missing width.\n\n\n"},
    };
    const GLOB_Doc doc = NewMemoryDoc();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict + (c.mask ? c.mask : ""));
        const GLOB_Object image = StoreStream(doc, "", c.dict.c_str());
        if (c.mask)
            image.PutPath("Mask", StoreStream(doc, "", c.mask));
        EXPECT_EQ(Validated(CPDF_Image::IsValidImage, image), c.messages);
        if (c.messages == "valid")
            EXPECT_EQ(CPDF_Image(image).MaskType(), c.kind);
        else
            EXPECT_EQ(Thrown([&] { CPDF_Image{image}; }), "1128008 Invalid Image object " + c.messages);
    }
    EXPECT_EQ(Validated(CPDF_Image::IsValidImage, Obj(Stencil)), "Images should be type Stream, found type Dict\n");

    // An image that is its own mask ends, at the named depth.
    const GLOB_Object self = StoreStream(doc, "", GrayDict.c_str());
    self.PutPath("Mask", self);
    std::string messages;
    EXPECT_FALSE(CPDF_Image::IsValidImage(self, &messages));
    EXPECT_NE(messages.find("Image masks nested more than 16 deep"), std::string::npos);

    // Masks read after a change of the dictionary.
    const CPDF_Image gray(StoreStream(doc, "", GrayDict.c_str()));
    EXPECT_EQ(Thrown([&] { gray.ColorMask(); }), "assert MaskType()==MaskByColor :: 0==3");
    gray.Object().PutPath("Mask", doc.NewInteger(5));
    EXPECT_EQ(Thrown([&] { gray.MaskType(); }), "1128008 Encountered invalid image mask : 5");
    gray.Object().PutPath("Mask", StoreStream(doc, "", Stencil));
    EXPECT_TRUE(gray.PositionMask().ImageParams().IsImageMask());
}

TEST(CPDF_Image, MadeFromParametersAndStreams) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::string samples = "\x10\x20\x30\x40\x50\x60";
    for (const bool noTypeKeys : {false, true}) {
        SCOPED_TRACE(noTypeKeys);
        const CPDF_ImageParams params(2, 1, 8, CPDF_ColorSpace::MakeDeviceRGB());
        GLOB_Doc target = doc;
        const CPDF_Image image(&target, GLOB_Stream(new GLOB_ChunkedCore(samples, {3})), params,
                               Obj("<< /Filter /FlateDecode /Decode [0 1] >>"), noTypeKeys, GLOB_Object(), 0);
        EXPECT_EQ(Validated(CPDF_Image::IsValidImage, image.Object()), "valid");
        EXPECT_EQ(image.Object().KnownPath("Type"), !noTypeKeys);
        EXPECT_FALSE(image.Object().KnownPath("Decode"));
        EXPECT_EQ(Printed(image.Filter()), "/FlateDecode");
        // Encoded by the back-end: zlib inflates the stored bytes.
        const std::string stored = ReadAll(image.OpenStream(1));
        std::string inflated(64, '\0');
        uLongf size = inflated.size();
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &size,
                             reinterpret_cast<const Bytef*>(stored.data()), stored.size()), Z_OK);
        EXPECT_EQ(inflated.substr(0, size), samples);
        EXPECT_EQ(ReadAll(image.OpenStream(2)), samples);
    }

    // Masks and alternates of another document are copied in.
    CPDF_Image image(CPDF_ImageParams(), StoreStream(doc, "", "<< /Subtype /Image >>"), false);
    EXPECT_TRUE(image.Object().HasType("XObject", "Image"));
    image.SetColorMask(Obj("[0 0]"));
    EXPECT_EQ(image.ColorMask().GetImpl(), doc.Impl());
    EXPECT_EQ(Thrown([&] { image.SetImageParams(CPDF_ImageParams(1, 1, 8, CPDF_ColorSpace::MakeDeviceRGB()), false); }),
              "assert CPDF_Image::IsValidColorMask(ColorMask(), params, nullptr)");
    const GLOB_Doc other = NewMemoryDoc();
    image.SetPositionMask(CPDF_Image(StoreStream(other, "", Stencil)));
    EXPECT_EQ(image.MaskType(), CPDF_Image::MaskByPosition);
    EXPECT_EQ(image.Entry("Mask").GetImpl(), doc.Impl());
    EXPECT_EQ(Thrown([&] { image.SetPositionMask(image); }),
              "assert CPDF_Image::IsValidPositionMask(image, ImageParams(), nullptr)");
    image.SetAlternates(Obj("[<< /DefaultForPrinting true >>]"));
    image.SetViewAlternate(Obj("/Alt"));
    EXPECT_EQ(image.Alternates().GetImpl(), doc.Impl());
    EXPECT_EQ(Printed(image.ViewAlternate()), "/Alt");
    image.RemoveEntry("Alternates");
    EXPECT_TRUE(image.Alternates().IsNull());
}

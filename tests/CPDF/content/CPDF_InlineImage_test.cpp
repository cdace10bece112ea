#include "CPDF/content/CPDF_InlineImage.h"

#include "CPDF/content/ContentParserTestUtil.h"
#include "FILT/FILT_DCTTestJpeg.h"
#include "FILT/FILT_FlateDecode.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "support/Deflated.h"
#include "support/FilterDriver.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

GLOB_Dict Entries(const std::string& dict) { return Obj(dict).AsDict(); }

CPDF_ResourcesDict Resources(const char* text) { return CPDF_ResourcesDict(Obj(text)); }

// What follows the data in the content.
const std::string Tail = " EI Q\n";

std::string Hex(const std::string& bytes) {
    std::string hex;
    for (unsigned char c : bytes)
        hex += "0123456789ABCDEF"[c >> 4] + std::string(1, "0123456789ABCDEF"[c & 15]);
    return hex;
}

// Parses content in buffers of size bytes: the first inline image's data
// opened with flags into *data, and the operators from its EI on, then
// "stopped" or "end".
std::string ReadFirstImage(const std::string& content, uint32_t size, uint32_t flags, std::string* data) {
    CPDF_ContentParser parser;
    parser.Start(Chunked(content, {size}), GLOB_Object());
    std::string after;
    while (parser.Step()) {
        const std::string op = parser.OperatorText();
        if (op == "ID" && data->empty())
            *data = ReadAll(parser.InlineImage().Stream(flags));
        else if (!data->empty() || op == "EI")
            after += op + " ";
    }
    return after + (parser.IsStopped() ? "stopped" : "end");
}

}  // namespace

TEST(CPDF_InlineImage, DataEndExactlyWhereTheImageEnds) {
    LogCapture quiet;
    const std::string plain = Pattern(3000);
    const std::string jpeg = dcttest::MakeJpeg({21, 13, 3, JCS_RGB, JCS_YCbCr}, dcttest::SourceImage(21, 13, 3, 4));
    dcttest::JpegInfo info;
    const std::string pixels = dcttest::LibjpegDecode(jpeg, JCS_UNKNOWN, &info);
    ASSERT_FALSE(jpeg.empty() || pixels.empty());
    const struct {
        std::string dict, data, decoded;
    } cases[] = {
        // The length of an unfiltered image: ceil(BPC × W × components / 8) × H.
        {"<< /W 4 /H 2 /BPC 8 /CS /G >>", "01EI4567", "01EI4567"},
        {"<< /W 3 /H 2 /IM true >>", "EI", "EI"},
        {"<< /W 5 /H 1 /BPC 4 /CS /RGB >>", "ABCDEFGH", "ABCDEFGH"},
        {"<< /W 2 /H 1 /BPC 8 /CS /G /F [] >>", "EI", "EI"},
        // A filtered image ends where its decoder finds its end.
        {"<< /W 2 /H 1 /BPC 8 /CS /G /F /AHx >>", "0A0B>", "\x0A\x0B"},
        {"<< /W 1000 /H 1 /BPC 8 /CS /RGB /F /Fl >>", Deflated(plain), plain},
        {"<< /W 21 /H 13 /BPC 8 /CS /RGB /Filter /DCT >>", jpeg, pixels},
        {"<< /W 2 /H 1 /BPC 8 /CS /G /F [/AHx /Fl] >>", Hex(Deflated(plain)) + ">", plain},
    };
    for (const auto& c : cases) {
        for (uint32_t flags : {1u, 2u}) {
            for (const std::vector<size_t>& sizes : GLOB_TestChunkings()) {
                SCOPED_TRACE(c.dict + " flags " + std::to_string(flags) + " chunks of " + std::to_string(sizes[0]));
                const GLOB_Stream content = Chunked(c.data + Tail, sizes);
                CPDF_InlineImage image(Entries(c.dict), content, CPDF_ResourcesDict());
                EXPECT_TRUE(ReadAll(image.Stream(flags)) == (flags == 2 ? c.decoded : c.data));
                EXPECT_EQ(ReadAll(content), Tail);
            }
        }
    }
}

TEST(CPDF_InlineImage, ParseRefusesWhatTheParametersCannotHold) {
    const std::pair<const char*, const char*> cases[] = {
        {"<< /W 4.0 /H 2 /BPC 8 /CS /G >>", "Image missing width"},
        {"<< /Width null /W null /H 2 /BPC 8 /CS /G >>", "Image missing width"},
        {"<< /W 4 /BPC 8 /CS /G >>", "Image missing height"},
        {"<< /W -1 /H 2 /BPC 8 /CS /G >>", "CPDF_InlineImage: width must not be negative, found -1"},
        {"<< /W 1 /H -2 /BPC 8 /CS /G >>", "CPDF_InlineImage: height must not be negative, found -2"},
        {"<< /W 4 /H 2 /BPC 8 /IM false >>", "Image missing color space"},
        {"<< /W 4 /H 2 /BPC 8 /CS /Cs9 >>", "Image missing color space"},
        {"<< /W 4 /H 2 /CS /G >>", "Image missing bits per component"},
        {"<< /W 4 /H 2 /BPC 8.0 /CS /G >>", "Image missing bits per component"},
        {"<< /W 4 /H 2 /BPC 3 /CS /G >>", "CPDF_InlineImage: Image bits per component must be 1, 2, 4, or 8. Found 3"},
        {"<< /W 4 /H 2 /BPC /x /IM true >>",
         "CPDF_InlineImage: Image mask BitsPerComponent must be an Integer, found Name"},
        {"<< /W 4 /H 2 /BPC 8 /IM true >>", "CPDF_InlineImage: Image mask BitsPerComponent must be 1, found 8"},
        {"<< /W 4 /H 2 /BPC 8 /CS /G /D [0 1 0 1] >>",
         "CPDF_InlineImage: the inline image's Decode array holds 2 pairs of numbers, but its colour space has 1 "
         "component"},
        {"<< /W 4 /H 2 /BPC 8 /CS /CMYK /D [0 1] >>",
         "CPDF_InlineImage: the inline image's Decode array holds 1 pair of numbers, but its colour space has 4 "
         "components"},
        {"<< /W 4 /H 2 /BPC 8 /CS /G /F [/AHx 1] >>", "Invalid inline image filters[ /AHx 1 ]"},
        {"<< /W 4 /H 2 /BPC 8 /CS /G /F 1 >>", "Invalid inline image filter1"},
        {"<< /W 4 /H 2 /BPC 8 /CS [/I /RGB 1] >>", "Inline image invald indexed colorspace: [ /I /RGB 1 ]"},
        {"<< /W 4 /H 2 /BPC 8 /CS [/X /RGB 1 (abcdef)] >>",
         "Inline image invald indexed colorspace: [ /X /RGB 1 (abcdef) ]"},
        {"<< /W 4 /H 2 /BPC 8 /CS [/I 1 1 (abcdef)] >>", "Inline image invald indexed colorspace: 1"},
        {"<< /W 4 /H 2 /BPC 8 /CS [/I /Cs1 1 (abcdef)] >>", "Invalid inline indexed colorspace: /Cs1"},
        {"<< /W 4 /H 2 /BPC 8 /CS [/I /RGB /x (abcdef)] >>", "Invalid inline indexed colorspace: /x"},
        {"<< /W 4 /H 2 /BPC 8 /CS [/I /RGB 1 /y] >>", "Invalid inline indexed colorspace: /y"},
        {"<< /W 4 /H 2 /BPC 8 /CS 5 >>", "Invalid inline indexed colorspace: 5"},
    };
    for (const auto& [dict, message] : cases) {
        SCOPED_TRACE(dict);
        EXPECT_EQ(Thrown([&] { CPDF_InlineImage(Entries(dict), Chunked("x"), Resources("<< >>")); }),
                  std::string("1128008 ") + message);
    }
}

TEST(CPDF_InlineImage, ParseReadsAbbreviationsAndKeepsFullForms) {
    const CPDF_ResourcesDict resources = Resources("<< /ColorSpace << /Cs1 /DeviceCMYK /G /DeviceRGB >> >>");
    const struct {
        const char* dict;
        const char* expected;  // width, bits, space or mask, filter, decode parameters
    } cases[] = {
        {"<< /W 4 /Width 5 /H 1 /BPC 8 /CS /RGB >>", "4 8 DeviceRGB null null"},
        {"<< /Width 5 /Height 2 /BitsPerComponent 2 /ColorSpace /DeviceGray >>", "5 2 DeviceGray null null"},
        // A mask reads neither BPC nor CS.
        {"<< /W 8 /H 1 /IM true /CS /Nowhere >>", "8 1 mask null null"},
        {"<< /W 8 /H 1 /ImageMask true /BPC 1 >>", "8 1 mask null null"},
        {"<< /W 1 /H 1 /BPC 8 /CS /Cs1 /F /AHx >>", "1 8 DeviceCMYK /ASCIIHexDecode null"},
        // Abbreviations win over resources of the same name.
        {"<< /W 1 /H 1 /BPC 8 /CS /G /F [/A85 /Fl] >>", "1 8 DeviceGray [ /ASCII85Decode /FlateDecode ] null"},
        {"<< /W 1 /H 1 /BPC 8 /CS /CMYK /Filter /Foo /DP << /K -1 >> >>", "1 8 DeviceCMYK /Foo -dict-"},
        {"<< /W 1 /H 1 /BPC 8 /CS /G /DecodeParms 7 >>", "1 8 DeviceGray null 7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        const CPDF_InlineImage image(Entries(c.dict), Chunked("x"), resources);
        const CPDF_ImageParams params = image.ImageParams();
        std::ostringstream os;
        os << params.Width() << " " << params.BitsPerComponent() << " ";
        if (params.IsImageMask())
            os << "mask ";
        else
            os << params.ColorSpace().FamilyName().CStr() << " ";
        image.Filter().Print(os) << " ";
        image.DecodeParms().Print(os);
        EXPECT_EQ(os.str(), c.expected);
    }
    // The indexed form, and values of other kinds ignored.
    const CPDF_ImageParams indexed =
        CPDF_InlineImage(Entries("<< /W 1 /H 1 /BPC 8 /CS [/I /RGB 1 (abcdef)] /D [1 0] /Intent /Perceptual "
                                 "/I true >>"), Chunked("x"), resources).ImageParams();
    EXPECT_EQ(indexed.ColorSpace().BaseColorSpace().Type(), CPDF_ColorSpace::DeviceRGB);
    EXPECT_TRUE(indexed.Intent() == CPDF_ImageParams::Perceptual && indexed.Interpolate());
    EXPECT_EQ(Printed(indexed.Value("Decode")), "[ 1 0 ]");
    const CPDF_ImageParams ignored = CPDF_InlineImage(Entries("<< /W 1 /H 1 /BPC 8 /CS /G /D 1 /Intent 3 /I 1 >>"),
                                                      Chunked("x"), CPDF_ResourcesDict()).ImageParams();
    EXPECT_FALSE(ignored.Lookup("Decode") || ignored.Lookup("Intent") || ignored.Lookup("Interpolate"));
}

TEST(CPDF_InlineImage, DataAreHandedOutOnceAndSkippedAfter) {
    LogCapture log;
    const GLOB_Dict dict = Entries("<< /W 4 /H 2 /BPC 8 /CS /G >>");
    // Read in part: the rest is skipped with a warning.
    GLOB_Stream content = Chunked("01234567" + Tail, {3});
    CPDF_InlineImage image(dict, content, CPDF_ResourcesDict());
    const CPDF_InlineImage previous = image;
    GLOB_Stream data = image.Stream(1);
    EXPECT_EQ(Take(data.Read()), "012");
    EXPECT_EQ(Thrown([&] { image.Stream(1); }), "1128025 Inline image stream has already been obtained.");
    image.SkipData();
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Skipping over a partially read inline image"));
    EXPECT_EQ(ReadAll(content), Tail);
    // Not asked for: decoded and dropped, without a warning; a new parse
    // leaves a copy taken before as it was.
    const size_t warnings = log.Entries().size();
    content = Chunked("0A0B>" + Tail, {1});
    image.Parse(Entries("<< /W 2 /H 1 /BPC 8 /CS /G /F /AHx >>"), content, CPDF_ResourcesDict());
    image.SkipData();
    EXPECT_EQ(log.Entries().size(), warnings);
    EXPECT_EQ(ReadAll(content), Tail);
    EXPECT_EQ(previous.ImageParams().Width(), 4);
    EXPECT_EQ(image.ImageParams().Width(), 2);
    EXPECT_EQ(image.Filter().AsName(), GLOB_Name("ASCIIHexDecode"));
}

TEST(CPDF_InlineImage, ShortOrOverlongDataEndSafely) {
    LogCapture log;
    // The content ends 3 bytes into 8: those 3, then the end of data.
    CPDF_InlineImage image(Entries("<< /W 4 /H 2 /BPC 8 /CS /G >>"), Chunked("abc"), CPDF_ResourcesDict());
    EXPECT_EQ(ReadAll(image.Stream(1)), "abc");
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Unexpected end of data."));
    // 2^34 bytes: wrapped to 32 bits the length would be 0.
    image.Parse(Entries("<< /W 65536 /H 65536 /BPC 8 /CS /CMYK >>"), Chunked("x" + Tail), CPDF_ResourcesDict());
    EXPECT_EQ(Thrown([&] { image.Stream(1); }),
              "1128008 CPDF_InlineImageStream: 17179869184 bytes of inline image data are more than a stream holds");
    // A filter the factory does not build fails when the data are asked for.
    image.Parse(Entries("<< /W 1 /H 1 /BPC 8 /CS /G /F /JBIG2Decode >>"), Chunked("x" + Tail), CPDF_ResourcesDict());
    EXPECT_EQ(Thrown([&] { image.Stream(1); }), "plain 1151005 Unrecognized filter: JBIG2Decode");
}

TEST(CPDF_InlineImage, WritesAbbreviatedFormsAndTheRawData) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        const char* dict;
        std::string data, written;
    } cases[] = {
        {"<< /Width 2 /H 1 /BPC 8 /ColorSpace /DeviceGray /DP << /K 1 >> >>", "ab",
         "BI\n/W 2\n/H 1\n/BPC 8\n/CS /G\nID ab\nEI\n"},
        {"<< /W 3 /H 2 /IM true /D [1 0] /F /A85 /Intent /Saturation /I true >>", "9jqo^~>",
         "BI\n/F /A85\n/W 3\n/H 2\n/BPC 1\n/IM true\n/D [ 1 0]\n/Intent /Saturation\n/I true\nID\n9jqo^~>\nEI\n"},
        {"<< /W 1 /H 1 /BPC 8 /CS [/I /CMYK 0 (abcd)] /F [/Fl] /DP [null] >>", Deflated("x"),
         "BI\n/F [ /Fl]\n/DP [ null]\n/W 1\n/H 1\n/BPC 8\n/CS [ /I /CMYK 0(abcd)]\nID " + Deflated("x") +
             "\nEI\n"},
        // A space the abbreviations cannot write becomes a resource.
        {"<< /W 1 /H 1 /BPC 8 /CS /Cal >>", "abc", "BI\n/W 1\n/H 1\n/BPC 8\n/CS /CS2\nID abc\nEI\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        CPDF_ResourcesDict resources(
            doc.ParseObject("<< /ColorSpace << /Cal [/CalRGB << /WhitePoint [1 1 1] >>] /CS1 /DeviceRGB >> >>"));
        CPDF_InlineImage image(Entries(c.dict), Chunked(c.data + Tail, {1}), resources);
        auto* core = new GLOB_ChunkedCore();
        GLOB_ObjectWriter writer{GLOB_Stream(core)};
        writer.WriteOperator("q");
        image.Write(writer, resources);
        EXPECT_EQ(core->written, "q\n" + c.written);
        // It parses back to the same data.
        const std::string dump = Dump(core->written, {0}, resources.Dict());
        EXPECT_NE(dump.find(" data=" + Escaped(c.data) + "\n"), std::string::npos) << dump;
        EXPECT_EQ(dump.substr(dump.size() - 4), "end\n");
        EXPECT_EQ(Thrown([&] { image.Stream(1); }), "1128025 Inline image stream has already been obtained.");
    }
    // Filters the abbreviations do not cover.
    LogCapture log;
    auto* core = new GLOB_ChunkedCore();
    GLOB_ObjectWriter writer{GLOB_Stream(core)};
    CPDF_InlineImage::WriteFilters(writer, Obj("[/FlateDecode 1]"), Obj("7"));
    writer.Flush();
    EXPECT_EQ(core->written, "/F [ /Fl null]\n/DP 7\n");
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Skipping invalid filter name: 1"));
    EXPECT_EQ(Thrown([&] { CPDF_InlineImage::WriteFilters(writer, Obj("/Foo"), Obj("null")); }),
              "1128008 Unknown filter encountered: Foo");
}

// A JPEG whose marker segment holds EI, cut inside a segment that runs past
// the content, cut where its segment ends in content text or on FF 00 in a
// later image's data, or whole, or whole with a stray "EI" after it: its
// data end alike and the content after them reads alike wherever the
// content's buffers cut them.
TEST(CPDF_InlineImage, JpegSegmentsEndAlikeWhereverTheContentIsCut) {
    LogCapture quiet;
    const std::string progressive = dcttest::MakeJpeg({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true},
                                                      dcttest::SourceImage(64, 64, 1, 5));
    const std::string baseline =
        dcttest::MakeJpeg({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE}, dcttest::SourceImage(64, 64, 1, 5));
    // Up to the second scan.
    const size_t second = progressive.find("\xFF\xDA", progressive.find("\xFF\xDA") + 2);
    const std::string head = progressive.substr(0, second);
    const auto comment = [](size_t declared, const std::string& text) {
        return std::string("\xFF\xFE", 2) + static_cast<char>((declared + 2) >> 8) +
               static_cast<char>((declared + 2) & 0xFF) + text;
    };
    const std::string squares = "\nEI Q 0 1 0 0 k 70 70 20 20 re f 0 0 0 1 k 75 5 20 20 re f\n";
    std::string lines;
    while (lines.size() < 6000)
        lines += "% pad pad pad pad pad pad pad\n";
    const std::string text = std::string(40, 'c') + squares + lines.substr(0, 5000);
    // A grey strip whose data hold FF 00 where a segment's length ends.
    const std::string stripHead = "\nEI Q q 64 0 0 1 0 0 cm BI /W 64 /H 1 /BPC 8 /CS /G ID ";
    const std::string strip = std::string(20, '\x80') + std::string("\xFF\x00", 2) + std::string(42, '\x80');
    const std::string stripRest = stripHead + strip + "\nEI Q 0 1 0 0 k 70 70 20 20 re f\n";
    const size_t segmentEnd = head.size() + 4 + 5000;
    const struct {
        const char* name;
        std::string data;
        std::string rest;  // the content after the data
        std::string ops;   // its operators
        size_t edge;       // where in data and rest a buffer's edge is tried at every offset around
    } shapes[] = {
        {"declared past the content", head + comment(60000, std::string(40, 'c')), squares + lines,
         "EI Q k re f k re f end", segmentEnd},
        {"declared end in the text after EI", head + comment(5000, std::string(40, 'c')), squares + lines,
         "EI Q k re f k re f end", segmentEnd},
        {"whole, EI in its text", head + comment(text.size(), text) + progressive.substr(second), squares,
         "EI Q k re f k re f end", segmentEnd},
        {"declared end on FF 00 in the next image's data",
         head + comment(40 + stripHead.size() + 20, std::string(40, 'c')), stripRest,
         "EI Q q cm BI ID EI Q k re f end", head.size() + 4 + 40 + stripHead.size() + 20},
        {"whole, a stray EI after it", baseline, " EIx\x80\x81" + squares, "EI Q k re f k re f end",
         baseline.size() + 3},
    };
    const std::string before = "q 50 0 0 50 10 10 cm BI /W 64 /H 64 /CS /G /BPC 8 /F /DCT ID ";
    for (const auto& shape : shapes) {
        // Where the content's buffers cut the data, the EI after them and
        // the shape's edge.
        const size_t start = 2 + before.size();
        const size_t ei = start + shape.data.size();
        std::string rows;
        for (uint32_t size : {1024u, GLOB_StreamCore::DefaultBufferSize, 2 * GLOB_StreamCore::DefaultBufferSize}) {
            // A buffer's edge at each of them and 32 bytes either side, the
            // data decoded there; past 1024-byte edges at every offset, the
            // data's end found.
            std::vector<std::pair<size_t, uint32_t>> pads;
            for (size_t p = 0; p < 64; ++p)
                for (size_t at : {start, ei, start + shape.edge})
                    pads.push_back({(size * 64 - at + p - 32) % size, 2});
            for (size_t p = 0; p < 1024 && size == 1024u; ++p)
                pads.push_back({p, 1});
            for (const auto& [pad, most] : pads)
                for (uint32_t flags = 1; flags <= most; ++flags) {
                    SCOPED_TRACE(std::string(shape.name) + ", " + std::to_string(size) + "-byte buffers, " +
                                 std::to_string(pad) + " bytes before, open " + std::to_string(flags));
                    const std::string content = "%" + std::string(pad, 'p') + "\n" + before + shape.data + shape.rest;
                    std::string data;
                    const std::string after = ReadFirstImage(content, size, flags, &data);
                    EXPECT_EQ(after, shape.ops);
                    if (flags == 1) {
                        EXPECT_TRUE(data == shape.data) << data.size() << " bytes of " << shape.data.size();
                    } else {
                        EXPECT_EQ(data.size(), 64u * 64u);
                        if (rows.empty())
                            rows = data;
                        EXPECT_TRUE(data == rows) << "rows unlike the first offset's";
                    }
                }
        }
    }
}

// Flate data first in an inline image's chain that lack their check end at
// the "EI" that begins within four bytes of their last block, and the
// content goes on after it, wherever its buffers are cut; four bytes before
// "EI" are the check, also a wrong one, which the decoder says.
TEST(CPDF_InlineImage, FlateDataLackingTheirCheckEndAtTheEIAfterThem) {
    LogCapture quiet;
    const std::string plain = Pattern(64 * 16);
    const std::string whole = Deflated(plain);
    std::string wrong = whole;
    wrong.back() = static_cast<char>(wrong.back() ^ 1);
    const std::string before = "q 50 0 0 50 10 10 cm BI /W 64 /H 16 /CS /G /BPC 8 /F /Fl ID ";
    const struct {
        const char* name;
        std::string data, rest;
        bool checkWrong;
    } shapes[] = {
        {"whole", whole, "\nEI Q 0 1 0 0 k 70 70 20 20 re f\n", false},
        {"lacking its check", whole.substr(0, whole.size() - 4), "\nEI Q 0 1 0 0 k 70 70 20 20 re f\n", false},
        {"lacking half its check", whole.substr(0, whole.size() - 2), "\nEI Q 0 1 0 0 k 70 70 20 20 re f\n", false},
        {"lacking its check, EI ending the content", whole.substr(0, whole.size() - 4), " EI", false},
        {"lacking its check, EI then a delimiter", whole.substr(0, whole.size() - 4), "\rEI/GS0 gs", false},
        {"a wrong check", wrong, "\nEI Q 0 1 0 0 k 70 70 20 20 re f\n", true},
    };
    for (const auto& shape : shapes) {
        const std::string ops = shape.rest.find(" k ") != std::string::npos ? "EI Q k re f end"
                                : shape.rest.find("gs") != std::string::npos ? "EI gs end" : "EI end";
        const size_t end = 2 + before.size() + shape.data.size();
        for (size_t pad = 0; pad < 24; ++pad)
            for (uint32_t flags = 1; flags <= 2; ++flags) {
                SCOPED_TRACE(std::string(shape.name) + ", a buffer's edge " + std::to_string(pad) +
                             " bytes before the data's end, open " + std::to_string(flags));
                // 512-byte buffers, one edge falling at end - 16 + pad.
                const size_t lead = (512 * 64 - end + 16 - pad) % 512;
                const std::string content = "%" + std::string(lead, 'p') + "\n" + before + shape.data + shape.rest;
                std::string data;
                const std::string after = ReadFirstImage(content, 512, flags, &data);
                EXPECT_EQ(after, ops);
                EXPECT_TRUE(data == (flags == 1 ? shape.data : plain)) << data.size() << " bytes";
            }
        // Decoded on its own, the wrong check is the decoder's loss.
        FILT_FlateDecode flate;
        flate.SetEndsAtEI(true);
        RunFilter(flate, shape.data + shape.rest, Chunking{{1}, {0}}, size_t{1} << 16);
        EXPECT_EQ(flate.Loss() != nullptr, shape.checkWrong) << shape.name;
    }
}

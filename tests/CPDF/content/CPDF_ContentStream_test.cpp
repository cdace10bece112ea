#include "CPDF/content/CPDF_ContentStream.h"

#include "CPDF/content/ContentParserTestUtil.h"
#include "CPDF/document/DocumentTestUtil.h"

#include <gtest/gtest.h>

namespace {

// A page of doc whose Contents is the text contents, each "STREAM:<data>"
// element or value standing for a stream holding data.
CPDF_Page PageWith(const CPDF_Doc& doc, const std::vector<std::string>& streams, const char* contents = nullptr) {
    const GLOB_Object page = doc.ParseObject("<< /Type /Page /Resources << /Font << >> >> >>");
    const GLOB_Object array = doc.NewArray(0, false);
    for (size_t i = 0; i < streams.size(); ++i)
        array.ArrayPut(static_cast<uint32_t>(i), StoreStream(doc, streams[i]));
    page.PutPath("Contents", contents ? doc.ParseObject(contents) : array);
    return CPDF_Page(page);
}

std::string Read(const CPDF_Page& page) { return ReadAll(GLOB_Stream(new CPDF_ContentStream(page))); }

}  // namespace

TEST(CPDF_ContentStream, StreamsOfAnArrayAreSeparatedBySpaces) {
    const CPDF_Doc doc = NewPageDoc();
    const std::string long1(3000, 'x');
    const struct {
        std::vector<std::string> streams;
        std::string read;
    } cases[] = {
        {{"q", "Q"}, "q Q"},
        {{"q", "", "Q"}, "q  Q"},
        {{}, ""},
        {{"q 1 0 0 1 0 0 cm"}, "q 1 0 0 1 0 0 cm"},
        // A last buffer beyond the join buffer's 1024 bytes.
        {{long1, "Q"}, long1 + " Q"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read.substr(0, 20));
        EXPECT_EQ(Read(PageWith(doc, c.streams)), c.read);
    }
    // A single stream reads as it is stored.
    const GLOB_Object single = StoreStream(doc, "0 0 m");
    EXPECT_EQ(Read(PageWith(doc, {}, nullptr)), "");
    CPDF_Page page = PageWith(doc, {"q", "Q"});
    page.SetContents(single);
    EXPECT_EQ(Read(page), "0 0 m");
    // Two streams, two operators.
    page = PageWith(doc, {"q", "Q"});
    CPDF_ContentParser parser;
    parser.Start(GLOB_Stream(new CPDF_ContentStream(page)), page.ResourcesDict().Dict());
    ASSERT_TRUE(parser.Step() && parser.Step());
    EXPECT_STREQ(parser.OperatorText(), "Q");
    EXPECT_FALSE(parser.Step() || parser.IsStopped());
}

TEST(CPDF_ContentStream, AStreamEndingInAnEmptyBufferStillGetsItsSpace) {
    // Stored in a temporary file, a stream of exactly one file buffer tells
    // its end only in the next, empty buffer.
    const CopyBufferScope small(16);
    const CPDF_Doc doc = NewPageDoc();
    const std::string first = "q" + std::string(GLOB_StreamCore::DefaultBufferSize - 2, ' ') + "Q";
    const CPDF_Page page = PageWith(doc, {first, "q", "Q"});
    const std::string read = Read(page);
    EXPECT_TRUE(read.compare(0, first.size(), first) == 0);
    EXPECT_EQ(read.substr(first.size()), " q Q");
    CPDF_ContentParser parser;
    parser.Start(GLOB_Stream(new CPDF_ContentStream(page)), GLOB_Object());
    std::string ops;
    while (parser.Step())
        ops += parser.OperatorText();
    EXPECT_EQ(ops, "qQqQ");
}

// Contents is optional: absent or null, the page is blank.
TEST(CPDF_ContentStream, APageWithoutContentsReadsAsEmpty) {
    const CPDF_Doc doc = NewPageDoc();
    for (const char* text :
         {"<< /Type /Page /Resources << >> >>", "<< /Type /Page /Resources << >> /Contents null >>"}) {
        SCOPED_TRACE(text);
        const CPDF_Page page(doc.ParseObject(text));
        EXPECT_EQ(Read(page), "");
        CPDF_ContentParser parser;
        parser.Start(GLOB_Stream(new CPDF_ContentStream(page)), page.ResourcesDict().Dict());
        EXPECT_FALSE(parser.Step() || parser.IsStopped());
    }
}

TEST(CPDF_ContentStream, RefusesOtherContentsAndWriting) {
    const CPDF_Doc doc = NewPageDoc();
    EXPECT_EQ(Thrown([&] { CPDF_ContentStream s(PageWith(doc, {}, "(q)")); }), "1128009 Page missing Contents");
    EXPECT_EQ(Thrown([&] { CPDF_ContentStream s(PageWith(doc, {}, "<< /Length 0 >>")); }),
              "1128009 Page missing Contents");
    EXPECT_EQ(Thrown([&] { CPDF_ContentStream s(PageWith(doc, {}, "7")); }), "1128009 Page missing Contents");
    EXPECT_EQ(Thrown([&] { Read(PageWith(doc, {}, "[(q)]")); }),
              "1128004 CPDF_ContentStream: Contents element 0 must be a Stream, found String");
    EXPECT_EQ(Thrown([&] {
                  GLOB_Stream out(new CPDF_ContentStream(Chunked("q"), CPDF_ResourcesDict()));
                  GLOB_StreamCore* core = out.Core();
                  core->Open(GLOB_StreamCore::Input | GLOB_StreamCore::Output);
                  core->Release();
                  Put(out, "Q");
              }),
              "1128004 Content streams don't support writing");
}

namespace {

// The image read from text (standing just after BI, in chunks of the given
// sizes): "W x H" and what the stream holds after it, or what was thrown.
std::string ReadImage(const std::string& text, const std::vector<size_t>& sizes = {0}) {
    auto* core = new CPDF_ContentStream(Chunked(text, sizes), CPDF_ResourcesDict());
    const GLOB_Stream stream(core);
    std::string read;
    const std::string thrown = Thrown([&] {
        const CPDF_InlineImage image = core->ReadInlineImage();
        read = std::to_string(image.ImageParams().Width()) + " x " + std::to_string(image.ImageParams().Height()) +
               ", then \"" + ReadAll(stream) + "\"";
    });
    return read.empty() ? thrown : read;
}

}  // namespace

TEST(CPDF_ContentStream, ReadsAnInlineImageThroughItsEI) {
    const std::string gray = " /W 4 /H 2 /BPC 8 /CS /G ID abcdefgh EI 0 0 m";
    for (const std::vector<size_t>& sizes : std::vector<std::vector<size_t>>{{0}, {1}, {3}, {23}}) {
        SCOPED_TRACE(sizes[0]);
        EXPECT_EQ(ReadImage(gray, sizes), "4 x 2, then \" 0 0 m\"");
    }
    // Filtered data end at their own end mark, whatever their length.
    EXPECT_EQ(ReadImage("/W 2 /H 1 /BPC 8 /CS /G /F /AHx ID 0A0B> EI Q"), "2 x 1, then \" Q\"");
}

// Data longer than the image needs are passed over to the first "EI" that
// stands as a word, as readers draw such images; a candidate cut by the
// buffer's end is left to the lexer.
TEST(CPDF_ContentStream, InlineImageDataLongerThanNeededEndAtTheirEI) {
    const std::string gray = " /W 2 /H 1 /BPC 8 /CS /G ID abcd\x80" "EIx xEI EI/N 0 0 m";
    for (const std::vector<size_t>& sizes : std::vector<std::vector<size_t>>{{0}, {23}, {40}}) {
        SCOPED_TRACE(sizes[0]);
        EXPECT_EQ(ReadImage(gray, sizes), "2 x 1, then \"/N 0 0 m\"");
    }
    EXPECT_EQ(ReadImage("/W 1 /H 1 /BPC 8 /CS /G ID xyz\nEI"), "1 x 1, then \"\"");
    EXPECT_EQ(ReadImage("/W 1 /H 1 /BPC 8 /CS /G ID xEI Q"), "1 x 1, then \" Q\"") << "EI right after the data";
    // A lone E after white space at the very end: the skip looks no further
    // than the data, which fill their buffer exactly (under the sanitizers,
    // a heap block of their own size).
    for (const std::string& data : {std::string("xyz\nE"), std::string("E")}) {
        SCOPED_TRACE(data);
        GLOB_Stream rest = Chunked(data);
        CPDF_InlineImage::SkipToEnd(rest);
        EXPECT_EQ(ReadAll(rest), data);
    }
}

TEST(CPDF_ContentStream, RefusesAnInlineImageWithoutIdDataOrEI) {
    const std::string id = "1128008 Inline image missing id";
    EXPECT_EQ(ReadImage("/W 4 /H 2 /BPC 8 /CS /G Q abcdefgh EI"), id);
    EXPECT_EQ(ReadImage("/W 4 /H 2 /BPC 8 /CS /G"), id);
    EXPECT_EQ(ReadImage("/W 4 /H 2 /BPC (8"), id);
    // The data end right after ID.
    EXPECT_EQ(ReadImage("/W 1 /H 1 /BPC 8 /CS /G ID"), "1128008 Inline image missing data.");
    const std::string ei = "1128008 Expected end of inline image operator (EI), found ";
    EXPECT_EQ(ReadImage("/W 1 /H 1 /BPC 8 /CS /G ID x Q"), ei + "Q");
    EXPECT_EQ(ReadImage("/W 1 /H 1 /BPC 8 /CS /G ID x"), ei + "end of data");
    EXPECT_EQ(ReadImage("/W 1 /H 1 /BPC 8 /CS /G ID "), ei + "end of data");
}

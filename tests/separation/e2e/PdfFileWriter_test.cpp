#include "support/PdfFileWriter.h"

#include "E2ETestUtil.h"
#include "GLOB/GLOB_FileSpecification.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "separation/CSEP_TempFile.h"

#include <cstdlib>

namespace {

using PdfFileWriterTest = CSEP_TempDirTest;
using External = PdfFileWriter::ExternalStreams;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Checks the file's frame the way a reader finds its objects: startxref
// names the table, every in-use entry the start of its object, and the
// trailer's Size the entry count. Returns the objects' texts, object n at
// index n - 1.
std::vector<std::string> Objects(const std::string& file) {
    std::vector<std::string> objects;
    EXPECT_EQ(file.compare(0, 9, "%PDF-1.3\n"), 0);
    const size_t start = file.rfind("startxref\n");
    EXPECT_NE(start, std::string::npos);
    const size_t xref = std::strtoul(file.c_str() + start + 10, nullptr, 10);
    EXPECT_EQ(file.compare(xref, 7, "xref\n0 "), 0);
    char* end = nullptr;
    const size_t size = std::strtoul(file.c_str() + xref + 7, &end, 10);
    size_t entry = static_cast<size_t>(end - file.c_str()) + 1;
    EXPECT_EQ(file.compare(entry, 20, "0000000000 65535 f \n"), 0);
    for (size_t n = 1; n < size; ++n) {
        entry += 20;
        EXPECT_EQ(file.compare(entry + 10, 10, " 00000 n \n"), 0);
        const size_t offset = std::strtoul(file.substr(entry, 10).c_str(), nullptr, 10);
        const std::string head = std::to_string(n) + " 0 obj\n";
        EXPECT_EQ(file.compare(offset, head.size(), head), 0) << "object " << n;
        objects.push_back(file.substr(offset + head.size(), file.find("\nendobj\n", offset) - offset - head.size()));
    }
    EXPECT_NE(file.find("trailer\n<< /Size " + std::to_string(size) + " /Root 1 0 R >>", entry), std::string::npos);
    EXPECT_EQ(file.compare(file.size() - 6, 6, "%%EOF\n"), 0);
    return objects;
}

}  // namespace

TEST_F(PdfFileWriterTest, EveryReachableObjectOnceWithReferencesAndStoredData) {
    CPDF_Doc doc = TextPage("<< /ExtGState << /A 0 /B 0 >> /XObject << >> >>",
                            "/A gs q 30 0 0 10 0 100 cm /Im Do Q 0 g 0 0 10 10 re f");
    // One indirect dictionary under two names, a Flate stream kept as
    // stored, and an object nothing reaches.
    const GLOB_Object shared = doc.MakeCosObj(doc.ParseObject("<< /OP true /Note (a\\)b) >>"), 0x01);
    const GLOB_Object resources = doc.Page(0).Object().DictGet(GLOB_Name("Resources"));
    resources.PutPath("/ExtGState/A", shared);
    resources.PutPath("/ExtGState/B", shared);
    const std::string samples(300, '\x40');
    const GLOB_Object image = NewStreamObject(
        doc, "<< /Subtype /Image /Width 30 /Height 10 /ColorSpace /DeviceGray /BitsPerComponent 8 "
             "/Filter /FlateDecode >>",
        samples, "<< >>");
    resources.PutPath("/XObject/Im", image);
    doc.MakeCosObj(doc.ParseObject("<< /Unreached true >>"), 0x01);

    const std::string file = PdfFileWriter::Text(doc, External::Inline);
    const std::vector<std::string> objects = Objects(file);
    // Catalog, Pages, the page, its content, the dictionary and the image.
    ASSERT_EQ(objects.size(), 6u);
    EXPECT_EQ(Count(file, " 0 obj\n"), 6u);
    EXPECT_EQ(Count(file, "/Note(a\\)b)"), 1u);
    EXPECT_EQ(Count(file, "Unreached"), 0u);
    EXPECT_NE(objects[0].find("<< /Pages 2 0 R >>"), std::string::npos) << objects[0];
    EXPECT_NE(objects[2].find("/Parent 2 0 R"), std::string::npos) << objects[2];
    for (const std::string& object : objects) {
        if (object.find("/OP true") != std::string::npos) {
            const std::string ref = " " + std::to_string(&object - &objects[0] + 1) + " 0 R";
            EXPECT_NE(file.find("/A" + ref + " /B" + ref), std::string::npos) << file;
        }
        if (object.find("/Subtype /Image") != std::string::npos) {
            const std::string stored = StreamData(image);
            EXPECT_LT(stored.size(), samples.size());
            EXPECT_NE(object.find("/Length " + std::to_string(stored.size()) + " >>\nstream\n" + stored +
                                  "\nendstream"),
                      std::string::npos);
        }
    }
    // Ghostscript decodes what was stored: 0x40 is gray level 64.
    const GrayPlate gray = GrayRendering(doc);
    EXPECT_EQ(LevelAt(gray, 15, 105), 64);
    EXPECT_EQ(LevelAt(gray, 5, 5), 0);

    // A file that Ghostscript must repair fails the rendering.
    const ScratchDir dir;
    WriteWholeFile(dir.File("damaged.pdf"), file.substr(0, file.rfind("startxref\n") + 10) + "1\n%%EOF\n");
    EXPECT_THROW(GhostscriptRenderer::Gray(dir.File("damaged.pdf")), std::runtime_error);
}

TEST_F(PdfFileWriterTest, ExternalFileStreamsInlinedOrKeptWithTheirPathUnderF) {
    // The content in an external file, hex-encoded, as the separation
    // engine leaves it with external streams on.
    CPDF_Doc doc = TextPage("<< >>", "");
    {
        CSEP_TempFile temp;
        temp.Create();
        GLOB_Stream data = temp.OpenStream();
        GLOB_ObjectWriter hex(data);
        hex.WriteText("30 20 30 20 30 20 31 20 6B 20 32 30 20 32 30 20 35 30 20 35 30 20 72 65 20 66>");
        hex.Flush();
        data.Close();
        doc.Page(0).SetContents(
            temp.MakeExternalStream(doc, doc.ParseObject("/ASCIIHexDecode"), GLOB_Object()));
        const std::string path = temp.FileSpec().PathString();
        const std::string pdfPath = "(" + GLOB_FileSpecification::PdfPath(path.c_str()) + ")";

        const std::string inlined = PdfFileWriter::Text(doc, External::Inline);
        EXPECT_EQ(Count(inlined, "Filespec"), 0u);
        EXPECT_EQ(Count(inlined, "FFilter"), 0u);
        EXPECT_NE(inlined.find("<< /Filter /ASCIIHexDecode /Length 78 >>\nstream\n30 20 30"), std::string::npos)
            << inlined;
        const std::string kept = PdfFileWriter::Text(doc, External::Keep);
        EXPECT_NE(kept.find("/FFilter /ASCIIHexDecode"), std::string::npos) << kept;
        EXPECT_NE(kept.find("/Length 0 >>\nstream\n\nendstream"), std::string::npos);
        EXPECT_NE(kept.find("<< /Type /Filespec /F" + pdfPath + " >>"), std::string::npos) << kept;
        EXPECT_EQ(Count(kept, "/DOS"), 0u);

        // Both draw a black square from 20 to 70 points.
        for (External external : {External::Inline, External::Keep}) {
            SCOPED_TRACE(external == External::Inline ? "inline" : "kept");
            std::map<std::string, GrayPlate> plates = Separations(doc, external);
            ASSERT_EQ(plates.count("Black"), 1u);
            EXPECT_EQ(LevelAt(plates["Black"], 45, 45), 0);
            EXPECT_EQ(LevelAt(plates["Black"], 10, 10), 255);
            EXPECT_EQ(LevelAt(plates["Cyan"], 45, 45), 255);
        }
    }
    EXPECT_THROW(PdfFileWriter::Text(doc, External::Inline), std::runtime_error);  // the file is gone
}

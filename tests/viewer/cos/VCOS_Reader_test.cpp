// Reading files with qpdf into the store: hand-made files with known
// objects, refusals, repair warnings and headers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "VCOS_ErrorCatch.h"
#include "VCOS_TestPdf.h"
#include "support/Corpus.h"
#include "support/Deflated.h"
#include "support/PdfText.h"
#include "support/TestSupport.h"
#include "viewer/cos/VCOS_Reader.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(VCOS_Reader, CopiesObjectsWithNumbersGenerationsAndValues) {
    std::string file = VCOS_MakePdf("%PDF-1.4",
                                    {"<</Type/Catalog /Pages 2 0 R /Missing 9 0 R>>",
                                     "<</Type/Pages /Kids[] /Count 0 /Scale -.5 /Big 4294967296 /Ok true>>",
                                     "<</Length 4 0 R /Name /PANTONE#20485#20M>>\nstream\nabc\nendstream",
                                     "3",
                                     "(par\\(en\\)) ",
                                     "<</Producer (me)>>"},
                                    "/Root 1 0 R /Info 6 0 R");
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "made.pdf");
    EXPECT_EQ(store.Header(doc), "%PDF-1.4");
    EXPECT_TRUE(store.Warnings(doc).empty());
    // qpdf gives the dangling 9 0 R an indirect null of its own.
    ASSERT_EQ(store.IndirectObjects(doc).size(), 7u);
    EXPECT_EQ(store.Number(store.IndirectObjects(doc)[6]), 9u);

    const VCOS_Obj root = store.Root(doc);
    EXPECT_EQ(store.Number(root), 1u);
    EXPECT_EQ(store.Type(store.DictGet(root, "Missing")), VCOS_Type::Null);
    const VCOS_Obj pages = store.DictGet(root, "Pages");
    EXPECT_TRUE(store.IsIndirect(pages));
    EXPECT_EQ(store.Number(pages), 2u);
    EXPECT_EQ(store.NumberValue(store.DictGet(pages, "Scale")), -0.5);
    EXPECT_EQ(store.NumberValue(store.DictGet(pages, "Big")), 4294967296.0);
    EXPECT_TRUE(store.BooleanValue(store.DictGet(pages, "Ok")));

    const VCOS_Obj stream = store.IndirectObjects(doc)[2];
    EXPECT_EQ(store.StreamBytes(stream), "abc");
    EXPECT_EQ(store.IntegerValue(store.DictGet(stream, "Length")), 3);
    EXPECT_EQ(store.NameValue(store.DictGet(stream, "Name")), "PANTONE 485 M");
    EXPECT_EQ(store.StringValue(store.IndirectObjects(doc)[4]), "par(en)");
    EXPECT_EQ(store.StringValue(store.DictGet(store.Info(doc), "Producer")), "me");
}

TEST(VCOS_Reader, KeepsGenerationNumbers) {
    std::string file = VCOS_MakePdf("%PDF-1.4", {"<</Type/Catalog>>"});
    // Rewrite object 1 as generation 3 in both places.
    file.replace(file.find("1 0 obj"), 7, "1 3 obj");
    file.replace(file.find(" 00000 n"), 8, " 00003 n");
    file.replace(file.find("/Root 1 0 R"), 11, "/Root 1 3 R");
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "gen.pdf");
    EXPECT_EQ(store.Generation(store.Root(doc)), 3u);
}

// file with an update of objects listed by a cross-reference stream (rows
// of /W [1 4 2], its own number 9) filtered by filter, which encode writes.
std::string WithStreamUpdate(std::string file, const std::vector<PdfUpdateObject>& objects, const std::string& filter,
                             const std::function<std::string(const std::string&)>& encode) {
    const std::string prev = std::to_string(std::stoul(file.substr(file.rfind("startxref") + 10)));
    std::string rows, index;
    for (const PdfUpdateObject& object : objects) {
        rows += PdfCrossReferenceStreamRow({1, 4, 2}, {1, file.size(), static_cast<uint64_t>(object.m_generation)});
        index += " " + std::to_string(object.m_number) + " 1";
        file += std::to_string(object.m_number) + " " + std::to_string(object.m_generation) + " obj\n" +
                object.m_body + "\nendobj\n";
    }
    rows += PdfCrossReferenceStreamRow({1, 4, 2}, {1, file.size(), 0});
    const std::string data = encode(rows);
    return file + "9 0 obj\n<< /Type /XRef /W [1 4 2] /Index [" + index + " 9 1] /Size 10 /Root 1 0 R /Prev " + prev +
           " /Filter " + filter + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
           "\nendstream\nendobj\nstartxref\n" + std::to_string(file.size()) + "\n%%EOF\n";
}

// file whose last table row ends "n" and a no-break space where qpdf
// looks at nothing more.
std::string StrayByte(std::string file) {
    file.replace(file.rfind(" n\r\n"), 4, " n\xA0\n");
    return file;
}

// One object number at two generations: an update that reuses number 4 at
// generation 1 (its freed generation 0 still in the older section), and a
// header "4 7 obj" at an entry that says 4 0, and the reverse. Each number
// is declared once, with the table's generation; a reference to a freed or
// unknown generation is null, one by the header's generation reaches the
// object.
TEST(VCOS_Reader, ANumberIsDeclaredOnceWithTheGenerationItsEntryGives) {
    const auto square = [](const std::string& ink, int at) {
        const std::string content = ink + " k " + std::to_string(at) + " " + std::to_string(at) + " 100 100 re f";
        return "<</Length " + std::to_string(content.size()) + ">>\nstream\n" + content + "\nendstream";
    };
    const auto page = [](const std::string& entries) {
        return "<</Type/Page /Parent 2 0 R /MediaBox [0 0 200 200] " + entries + ">>";
    };
    const std::vector<std::string> base = {"<</Type/Catalog /Pages 2 0 R>>", "<</Type/Pages /Kids [3 0 R] /Count 1>>",
                                           page("/Contents 4 0 R"), square("0 0 0 1", 20)};
    const std::vector<PdfUpdateObject> raised = {{3, 0, page("/Contents 4 1 R /Freed 4 0 R")},
                                                 {4, 1, square("0 1 0 0", 50)}};
    const std::string trailer = "/Size 5 /Root 1 0 R";
    std::string header = VCOS_MakePdf("%PDF-1.7", base);
    header.replace(header.find("4 0 obj"), 7, "4 7 obj");
    std::string entry = VCOS_MakePdf("%PDF-1.7", base);
    entry.replace(entry.rfind(" 00000 n"), 8, " 00003 n");
    // The page tree's entry off its object, so that qpdf rebuilds its table
    // from the bodies before it meets object 4: the rebuilt one has 4 0 only.
    entry.replace(entry.find("0000000055 00000 n"), 10, "0000000001");
    const struct {
        const char* what;
        std::string file;
        uint16_t generation;
        const char* content;
        const char* other;  // the page's key that names another generation of 4
        const char* header; // the page's key that names 4 by its header's generation
    } rows[] = {
        {"an update reusing 4 at generation 1", PdfTextWithUpdate(VCOS_MakePdf("%PDF-1.7", base), raised, trailer),
         1, "0 1 0 0 k 50 50", "Freed", "Contents"},
        // However qpdf reads the newest section without a word, 4 0 is
        // replaced: its body still stands in the file.
        {"the update listed by a RunLength-filtered stream",
         WithStreamUpdate(VCOS_MakePdf("%PDF-1.7", base), raised, "/RunLengthDecode", PdfRunLengthText),
         1, "0 1 0 0 k 50 50", "Freed", "Contents"},
        {"the update listed by a stream filtered /Crypt, then Flate",
         WithStreamUpdate(VCOS_MakePdf("%PDF-1.7", base), raised, "[/Crypt /FlateDecode]",
                          [](const std::string& rows) { return Deflated(rows); }),
         1, "0 1 0 0 k 50 50", "Freed", "Contents"},
        {"the update's row ending n and a stray byte",
         StrayByte(PdfTextWithUpdate(VCOS_MakePdf("%PDF-1.7", base), raised, trailer)),
         1, "0 1 0 0 k 50 50", "Freed", "Contents"},
        {"the update's last startxref damaged",
         PdfTextWithUpdate(VCOS_MakePdf("%PDF-1.7", base), raised, trailer) + "startxref\n%%EOF\n",
         1, "0 1 0 0 k 50 50", "Freed", "Contents"},
        {"a header of generation 7 at an entry of generation 0",
         PdfTextWithUpdate(header, {{3, 0, page("/Contents 4 0 R /Header 4 7 R /Unknown 4 3 R")}},
                           "/Size 5 /Root 1 0 R"),
         0, "0 0 0 1 k 20 20", "Unknown", "Header"},
        {"an entry of generation 3 at a header of generation 0, the table rebuilt",
         PdfTextWithUpdate(entry, {{3, 0, page("/Contents 4 0 R /Unknown 4 1 R")}}, "/Size 5 /Root 1 0 R"), 3,
         "0 0 0 1 k 20 20", "Unknown", "Contents"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(store, row.file, "generations.pdf");
        size_t fours = 0;
        for (const VCOS_Obj obj : store.IndirectObjects(doc))
            fours += store.Number(obj) == 4;
        EXPECT_EQ(fours, 1u);
        const VCOS_Obj pageObj = store.DictGet(store.DictGet(store.Root(doc), "Pages"), "Kids");
        const VCOS_Obj thePage = store.ArrayGet(pageObj, 0);
        const VCOS_Obj contents = store.DictGet(thePage, "Contents");
        ASSERT_EQ(store.Type(contents), VCOS_Type::Stream);
        EXPECT_EQ(store.Number(contents), 4u);
        EXPECT_EQ(store.Generation(contents), row.generation);
        EXPECT_TRUE(Contains(store.StreamBytes(contents), row.content)) << store.StreamBytes(contents);
        EXPECT_EQ(store.LostReason(doc, 4), nullptr);
        EXPECT_EQ(store.Type(store.DictGet(thePage, row.other)), VCOS_Type::Null);
        EXPECT_TRUE(store.Equal(store.DictGet(thePage, row.header), contents));
    }
    // In a page's /Contents, 4 0, which the older section lists, is told
    // replaced by 4 1; 4 3, which no section lists, is not.
    {
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(
            store,
            PdfTextWithUpdate(VCOS_MakePdf("%PDF-1.7", base),
                              {{3, 0, page("/Contents [4 0 R 4 1 R 4 3 R]")}, {4, 1, square("0 1 0 0", 50)}}, trailer),
            "replaced.pdf");
        const VCOS_Obj contents = store.DictGet(
            store.ArrayGet(store.DictGet(store.DictGet(store.Root(doc), "Pages"), "Kids"), 0), "Contents");
        ASSERT_EQ(store.ArrayLength(contents), 3u);
        const VCOS_Obj replaced = store.ReplacedBy(store.ArrayGet(contents, 0));
        EXPECT_EQ(store.Type(store.ArrayGet(contents, 0)), VCOS_Type::Null);
        EXPECT_TRUE(store.Equal(replaced, store.ArrayGet(contents, 1)));
        EXPECT_EQ(store.Generation(replaced), 1u);
        EXPECT_TRUE(store.ReplacedBy(store.ArrayGet(contents, 2)).IsNullHandle());
        EXPECT_TRUE(store.ReplacedBy(store.ArrayGet(contents, 1)).IsNullHandle());
    }
    // The update's entry gives the page generation 20, its body's header 0,
    // and the older section has a page 3 0 of its own: that older page is
    // not the one the entry names (the kid may be lost, as 3 0 R names no
    // object of generation 20 in the repaired copy either).
    std::string reused = PdfTextWithUpdate(
        VCOS_MakePdf("%PDF-1.7", base),
        {{3, 0, page("/Contents 4 1 R /Newer true")}, {4, 1, square("0 1 0 0", 50)}}, "/Size 5 /Root 1 0 R");
    reused.replace(reused.rfind(" 00000 n"), 8, " 00020 n");
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, reused, "reused.pdf");
    const VCOS_Obj kid = store.ArrayGet(store.DictGet(store.DictGet(store.Root(doc), "Pages"), "Kids"), 0);
    EXPECT_TRUE(store.Type(kid) == VCOS_Type::Null || store.Type(store.DictGet(kid, "Newer")) == VCOS_Type::Boolean)
        << "the older page";
}

// file with an update listed by an unfiltered cross-reference stream (rows
// of /W [1 2 1]; its own number self, written as header): plain bodies,
// then one object packed into an object stream (number self - 1).
std::string WithPackedUpdate(std::string file, const std::vector<PdfUpdateObject>& plain, int packedNumber,
                             const std::string& packedBody, int self, const std::string& header) {
    const std::string prev = std::to_string(std::stoul(file.substr(file.rfind("startxref") + 10)));
    std::string rows, index;
    const auto row = [&](int number, int type, size_t field, int last) {
        rows += {static_cast<char>(type), static_cast<char>(field >> 8), static_cast<char>(field),
                 static_cast<char>(last)};
        index += " " + std::to_string(number) + " 1";
    };
    for (const PdfUpdateObject& object : plain) {
        row(object.m_number, 1, file.size(), object.m_generation);
        file += std::to_string(object.m_number) + " " + std::to_string(object.m_generation) + " obj\n" +
                object.m_body + "\nendobj\n";
    }
    const std::string packed = std::to_string(packedNumber) + " 0 " + packedBody;
    row(packedNumber, 2, static_cast<size_t>(self - 1), 0);
    row(self - 1, 1, file.size(), 0);
    file += std::to_string(self - 1) + " 0 obj\n<< /Type /ObjStm /N 1 /First " + std::to_string(packed.find('<')) +
            " /Length " + std::to_string(packed.size()) + " >>\nstream\n" + packed + "\nendstream\nendobj\n";
    row(self, 1, file.size(), 0);
    return file + header + " 0 obj\n<< /Type /XRef /W [1 2 1] /Index [" + index + "] /Size " +
           std::to_string(self + 1) + " /Root 1 0 R /Prev " + prev + " /Length " + std::to_string(rows.size()) +
           " >>\nstream\n" + rows + "\nendstream\nendobj\nstartxref\n" + std::to_string(file.size()) + "\n%%EOF\n";
}

// The page at 3 1, then packed at 3 0 into an object stream; the newest
// page tree names both and an unknown 3 5. Followed, 3 1 reads null. Where
// the newest section's /Prev names no section, qpdf rebuilds its table from
// the bodies, where the packed page is not, and so does the walk: number 3
// keeps its body last in the file (3 1), and 3 0 reads its own body under a
// number of its own; 3 5 still reads null.
TEST(VCOS_Reader, WhereTheChainCannotBeFollowedAReferenceReadsItsGenerationsLastBody) {
    const auto page = [](const std::string& contents) {
        return "<</Type/Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents " + contents + ">>";
    };
    const std::string older = PdfTextWithUpdate(
        VCOS_MakePdf("%PDF-1.7", {"<</Type/Catalog /Pages 2 0 R>>", "<</Type/Pages /Kids [3 0 R] /Count 1>>",
                                  page("4 0 R"), "<</Length 0>>\nstream\n\nendstream"}),
        {{2, 0, "<</Type/Pages /Kids [3 1 R] /Count 1>>"}, {3, 1, page("4 0 R /Second true")}},
        "/Size 5 /Root 1 0 R");
    for (const bool followed : {true, false}) {
        SCOPED_TRACE(followed ? "followed" : "a /Prev at no section");
        std::string file = WithPackedUpdate(
            older,
            {{2, 0, "<</Type/Pages /Kids [3 0 R] /Count 1 /Older 3 1 R /Unknown 3 5 R>>"},
             {5, 0, "<</Length 0>>\nstream\n\nendstream"}},
            3, page("5 0 R"), 7, "7");
        if (!followed)
            file.replace(file.rfind("/Prev ") + 6, 1, "1");
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(store, file, "packed.pdf");
        const VCOS_Obj pages = store.DictGet(store.Root(doc), "Pages");
        const VCOS_Obj kid = store.ArrayGet(store.DictGet(pages, "Kids"), 0);
        const VCOS_Obj other = store.DictGet(pages, "Older");
        ASSERT_EQ(store.Type(kid), VCOS_Type::Dict);
        EXPECT_EQ(store.Type(store.DictGet(pages, "Unknown")), VCOS_Type::Null);
        EXPECT_EQ(store.Type(store.DictGet(kid, "Second")), VCOS_Type::Null);
        if (followed) {
            EXPECT_EQ(store.Number(kid), 3u);
            EXPECT_EQ(store.Number(store.DictGet(kid, "Contents")), 5u);
            EXPECT_EQ(store.Type(other), VCOS_Type::Null);
            continue;
        }
        EXPECT_GT(store.Number(kid), 5u);
        EXPECT_EQ(store.Number(store.DictGet(kid, "Contents")), 4u);
        ASSERT_EQ(store.Type(other), VCOS_Type::Dict);
        EXPECT_EQ(store.Number(other), 3u);
        EXPECT_TRUE(store.BooleanValue(store.DictGet(other, "Second")));
        for (const VCOS_Obj obj : store.IndirectObjects(doc))
            EXPECT_EQ(store.LostReason(doc, store.Number(obj)), nullptr) << store.Number(obj);
    }
}

TEST(VCOS_Reader, HeaderLines) {
    struct Row {
        std::string bytes;
        std::string header;
    };
    const Row rows[] = {
        {"%PDF-1.7\r\n%\xE2\xE3", "%PDF-1.7"},
        {"%VelmDornapPrefs-1.0\n1 0 obj", "%VelmDornapPrefs-1.0"},
        {"junk\n%PDF-1.5\nrest", "%PDF-1.5"},
        {"no header at all", ""},
        {"%PDF-1.2", "%PDF-1.2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes);
        EXPECT_EQ(VCOS_Reader::HeaderLine(row.bytes), row.header);
    }
}

TEST(VCOS_Reader, RefusesAFileWithoutRootAtOpen) {
    VCOS_Store store;
    const std::string file = VCOS_MakePdf("%PDF-1.4", {"<</Type/Catalog>>"}, "/Info 1 0 R");
    const VCOS_Error error = VCOS_Thrown([&] { VCOS_Reader::Read(store, file, "noroot.pdf"); });
    EXPECT_EQ(error.Kind(), VCOS_ErrorKind::BadDocument);
    EXPECT_TRUE(Contains(error.what(), "no /Root")) << error.what();
    EXPECT_FALSE(store.IsOpen(1));  // the half-read document went with the refusal
}

TEST(VCOS_Reader, RefusesGarbageWithQpdfsReason) {
    VCOS_Store store;
    const VCOS_Error error = VCOS_Thrown([&] { VCOS_Reader::Read(store, "not a pdf file at all", "junk.pdf"); });
    EXPECT_EQ(error.Kind(), VCOS_ErrorKind::ReadFailed);
    EXPECT_TRUE(Contains(error.what(), "VCOS_Reader: cannot read junk.pdf: ")) << error.what();
}

TEST(VCOS_Reader, RefusesTheEncryptedCorpusFileAsNeedingAPassword) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    VCOS_Store store;
    const std::string bytes = ReadWholeFile(CorpusFile("pdfjs_bug1782186.pdf"));
    ASSERT_FALSE(bytes.empty());
    const VCOS_Error error = VCOS_Thrown([&] { VCOS_Reader::Read(store, bytes, "bug1782186.pdf"); });
    EXPECT_EQ(error.Kind(), VCOS_ErrorKind::PasswordNeeded);
    EXPECT_TRUE(Contains(error.what(), "needs a password")) << error.what();
}

TEST(VCOS_Reader, RebuildsATruncatedObjectStreamFileQpdfRefusesAndSaysWhy) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    VCOS_Store store;
    const std::string bytes = ReadWholeFile(CorpusFile("skia_gs-bugzilla694385.pdf")).substr(0, 300000);
    ASSERT_EQ(bytes.size(), 300000u);
    const VCOS_DocId doc = VCOS_Reader::Read(store, bytes, "cut.pdf");
    const std::vector<std::string>& warnings = store.Warnings(doc);
    ASSERT_FALSE(warnings.empty());
    EXPECT_TRUE(Contains(warnings[0], "unable to find trailer dictionary while recovering damaged file"))
        << warnings[0];
    // The catalog survives; its page tree was in the part cut off (MuPDF
    // itself finds no page in it either).
    const VCOS_Obj root = store.Root(doc);
    ASSERT_EQ(store.Type(root), VCOS_Type::Dict);
    EXPECT_EQ(store.NameValue(store.DictGet(root, "Type")), "Catalog");
    EXPECT_EQ(store.Type(store.DictGet(root, "Pages")), VCOS_Type::Null);
}

TEST(VCOS_Reader, RepairsATruncatedFileAndKeepsItsWarningsInOrder) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    VCOS_Store store;
    const std::string bytes = ReadWholeFile(CorpusFile("pdfjs_devicen.pdf")).substr(0, 15372);
    ASSERT_EQ(bytes.size(), 15372u);
    const VCOS_DocId doc = VCOS_Reader::Read(store, bytes, "devicen-cut.pdf");
    const std::vector<std::string>& warnings = store.Warnings(doc);
    // qpdf reads the last object, cut right after its endobj, as null; the
    // repaired copy keeps it, so the repair's warnings are the document's.
    ASSERT_EQ(warnings.size(), 3u);
    for (const std::string& warning : warnings)
        EXPECT_TRUE(Contains(warning, "devicen-cut.pdf")) << warning;
    EXPECT_TRUE(Contains(warnings[1], "repair")) << warnings[1];
    EXPECT_EQ(store.Type(store.Root(doc)), VCOS_Type::Dict);
    bool encoding = false;
    for (const VCOS_Obj obj : store.IndirectObjects(doc))
        if (store.Number(obj) == 22)
            encoding = store.Type(obj) == VCOS_Type::Dict &&
                       store.NameValue(store.DictGet(obj, "Type")) == "Encoding";
    EXPECT_TRUE(encoding) << "the last object, whole before the cut, is kept";
}

TEST(VCOS_Reader, DropsOnlyTheMissingPdfHeaderWarning) {
    VCOS_Store store;
    const std::string file = VCOS_MakePdf("%VelmDornapPrefs-1.0", {"<</VELM_Preferences <</A 1>>>>"});
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "prefs");
    EXPECT_EQ(store.Header(doc), "%VelmDornapPrefs-1.0");
    EXPECT_TRUE(store.Warnings(doc).empty());
    EXPECT_TRUE(store.DictKnown(store.Root(doc), "VELM_Preferences"));
}

// Many objects qpdf reads as null, none used: entries at offset 0 (missing
// objects), streams whose /Length is the stream itself (lost, then
// recovered by the repair), and entries at offset 0 behind a long comment
// of "ob ". Four times the objects may cost about four times the steps.
TEST(VCOS_Reader, ObjectsReadAsNullCostStepsInProportionToTheirCount) {
    const std::vector<std::string> page = {"<< /Type /Catalog /Pages 2 0 R >>",
                                           "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                           "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>"};
    const auto objects = [&](size_t count, const std::function<std::string(size_t)>& body) {
        std::vector<std::string> all = page;
        for (size_t i = 0; i < count; ++i)
            all.push_back(body(all.size() + 1));
        return all;
    };
    const auto plain = [](size_t) { return std::string("<< /A 1 >>"); };
    const auto selfLength = [](size_t number) {
        return "<< /Length " + std::to_string(number) + " 0 R >>\nstream\nabc\nendstream";
    };
    const struct {
        const char* what;
        std::function<std::string(size_t)> file;
    } shapes[] = {
        {"entries at offset 0",
         [&](size_t n) { return PdfTextWithEntriesAtZero("%PDF-1.7", objects(n, plain), 4, n + 3); }},
        {"streams whose length is themselves", [&](size_t n) { return PdfText("%PDF-1.7", objects(n, selfLength)); }},
        {"entries at offset 0 behind a comment",
         [&](size_t n) {
             std::string comment = "%PDF-1.7\n%";
             for (size_t i = 0; i < 40 * n; ++i)
                 comment += "ob ";
             return PdfTextWithEntriesAtZero(comment, objects(n, plain), 4, n + 3);
         }},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.what);
        const auto stepsFor = [&](size_t n) {
            VCOS_Store store;
            const uint64_t before = VCOS_Reader::Steps();
            const VCOS_DocId doc = VCOS_Reader::Read(store, shape.file(n), "many.pdf");
            const uint64_t steps = VCOS_Reader::Steps() - before;
            for (uint32_t number = 4; number < n + 4; ++number)
                EXPECT_EQ(store.LostReason(doc, number), nullptr) << number;
            return steps;
        };
        const uint64_t small = stepsFor(300);
        const uint64_t large = stepsFor(1200);
        ASSERT_GT(small, 0u);
        EXPECT_LT(large, 5 * small) << small << " steps for 300 objects, " << large << " for 1,200";
    }
}

// What the store keeps of each object read: a separated page of n one-pixel
// images holds n image streams beside the forms that draw them, and every
// entry of the table stays until the document closes. Integers repeat
// (1, 8, a stream's /Length, coordinates), and a stream's dictionary is its
// own, not a copy beside an unused one.
TEST(VCOS_Reader, EachObjectReadKeepsAFewSmallEntries) {
    const std::vector<std::string> page = {"<< /Type /Catalog /Pages 2 0 R >>",
                                           "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                           "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>"};
    const struct {
        const char* what;
        std::function<std::string(size_t)> body;
        size_t entries;  // at most, an object
    } shapes[] = {
        {"one-pixel image streams",
         [](size_t) {
             return std::string("<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                                "/BitsPerComponent 8 /Length 1 >>\nstream\n\x80\nendstream");
         },
         3},  // the indirect object, its dictionary and the body it took
        {"forms placing them",
         [](size_t i) {
             const std::string content = "q 1 0 0 1 " + std::to_string(i % 200) + " " + std::to_string(i / 200 % 200) +
                                         " cm /Im0 Do Q";
             return "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << /XObject << /Im0 " +
                    std::to_string(i - 1) + " 0 R >> >> /Length " + std::to_string(content.size()) +
                    " >>\nstream\n" + content + "\nendstream";
         },
         6},  // and the resources' two dictionaries and the box
        {"dictionaries of numbers",
         [](size_t i) {
             return "<< /X " + std::to_string(i % 200) + " /Y " + std::to_string(i / 200 % 200) +
                    " /W 1 /H 1 /BPC 8 >>";
         },
         2},  // the indirect object and the body it took
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.what);
        const auto entriesFor = [&](size_t count) {
            std::vector<std::string> objects = page;
            for (size_t i = 0; i < count; ++i)
                objects.push_back(shape.body(objects.size() + 1));
            VCOS_Store store;
            const VCOS_DocId doc = VCOS_Reader::Read(store, PdfText("%PDF-1.7", objects), "images.pdf");
            EXPECT_EQ(store.IndirectObjects(doc).size(), count + 3);
            return store.EntryCount(doc);
        };
        const size_t small = entriesFor(1000);
        const size_t large = entriesFor(3000);
        // The larger set may bring a few numbers of its own.
        EXPECT_LE(large - small, 2000 * shape.entries + 20) << small << " entries for 1,000 objects, " << large
                                                       << " for 3,000";
    }
    // An entry for an integer or a name holds no dictionary, array or index
    // of its own.
    EXPECT_LE(sizeof(VCOS_Entry), 80u);
}

// Headers written inside one comment line, each entry pointing at its own:
// every body looked for runs on to the comment's end, yet all of them
// together look at the file's bytes once, not once each.
TEST(VCOS_Reader, BodiesLookedForInsideOneCommentCostTheFileOnce) {
    const auto stepsFor = [](size_t n) {
        std::string comment = "%";
        for (size_t number = 5; number < n + 5; ++number)
            comment += " " + std::to_string(number) + " 0 obj %";
        std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                                            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>", comment};
        objects.resize(n + 4, "null");
        std::string file = PdfText("%PDF-1.7", objects);
        const size_t rows = file.find('\n', file.rfind("\nxref\n") + 6) + 1;
        const size_t line = file.find("4 0 obj\n%");
        for (size_t number = 5; number < n + 5; ++number) {
            char offset[16];
            std::snprintf(offset, sizeof offset, "%010zu", file.find(" " + std::to_string(number) + " 0 obj", line) + 1);
            file.replace(rows + 20 * number, 10, offset);
        }
        VCOS_Store store;
        const uint64_t before = VCOS_Reader::Steps();
        EXPECT_NE(VCOS_Reader::Read(store, file, "comment.pdf"), 0u);
        return VCOS_Reader::Steps() - before;
    };
    const uint64_t small = stepsFor(300);
    const uint64_t large = stepsFor(1200);
    ASSERT_GT(small, 0u);
    EXPECT_LT(large, 5 * small) << small << " steps for 300 headers, " << large << " for 1,200";
}

}  // namespace

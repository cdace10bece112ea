// Files qpdf refuses, rebuilt in memory by MuPDF and then read: hand-made
// files with their cross-reference table and trailer cut off or mangled,
// read back with the same objects, numbers and stored stream bytes;
// garbage and a failing repair refused with nothing left open; files whose
// cross-reference stream misplaces objects of an object stream.
#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>

#include <set>
#include <string>
#include <vector>

#include "VCOS_ErrorCatch.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Repair.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// One page, a content stream stored hex-encoded, and an object nothing
// refers to (a garbage collection would drop it).
std::string WholeFile() {
    return PdfText("%PDF-1.4", {
                                   "<< /Type /Catalog /Pages 2 0 R >>",
                                   "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R >>",
                                   "<< /Length 18 /Filter /ASCIIHexDecode >>\nstream\n"
                                   "3020302031203120 >\nendstream",
                                   "<< /Orphan (kept) >>",
                               });
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct Damage {
    const char* m_what;
    std::string m_bytes;
};

std::vector<Damage> DamagedCopies() {
    const std::string whole = WholeFile();
    return {
        {"cross-reference table and trailer cut off", whole.substr(0, whole.rfind("xref\n0 "))},
        {"keywords mangled", ReplaceAll(ReplaceAll(whole, "xref", "xerf"), "trailer", "trialer")},
    };
}

// qpdf's own reason for refusing bytes; "" when it reads them.
std::string QpdfRefusal(const std::string& bytes) {
    try {
        QPDF qpdf;
        qpdf.setSuppressWarnings(true);
        qpdf.processMemoryFile("damaged.pdf", bytes.data(), bytes.size());
        qpdf.getAllObjects();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

VCOS_Obj ObjectNumbered(const VCOS_Store& store, VCOS_DocId doc, uint32_t number) {
    for (VCOS_Obj obj : store.IndirectObjects(doc))
        if (store.Number(obj) == number)
            return obj;
    return VCOS_NullObj;
}

class FaultSwitch {
public:
    FaultSwitch() { VCOS_SetRepairFaultSwitch(1); }
    ~FaultSwitch() { VCOS_SetRepairFaultSwitch(0); }
};

TEST(VCOS_Repair, FilesQpdfRefusesAreRebuiltWithTheirObjectsNumbersAndStoredStreams) {
    for (const Damage& damage : DamagedCopies()) {
        SCOPED_TRACE(damage.m_what);
        ASSERT_TRUE(Contains(QpdfRefusal(damage.m_bytes), "unable to find trailer dictionary"))
            << "qpdf alone must refuse it: " << QpdfRefusal(damage.m_bytes);
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(store, damage.m_bytes, "damaged.pdf");

        const std::vector<std::string>& warnings = store.Warnings(doc);
        ASSERT_GE(warnings.size(), 2u) << "qpdf's reason, then MuPDF's own warnings";
        EXPECT_EQ(warnings[0].rfind("damaged.pdf: damaged file rebuilt in memory (", 0), 0u) << warnings[0];
        EXPECT_TRUE(Contains(warnings[0], "unable to find trailer dictionary")) << warnings[0];
        for (const std::string& warning : warnings)
            EXPECT_EQ(warning.rfind("damaged.pdf", 0), 0u) << warning;
        EXPECT_EQ(store.Header(doc), "%PDF-1.4");

        // The catalog was found without a trailer, and the tree under it.
        const VCOS_Obj root = store.Root(doc);
        ASSERT_EQ(store.Type(root), VCOS_Type::Dict);
        EXPECT_EQ(store.Number(root), 1u);
        const VCOS_Obj page = store.ArrayGet(store.DictGet(store.DictGet(root, "Pages"), "Kids"), 0);
        ASSERT_EQ(store.Type(page), VCOS_Type::Dict);
        EXPECT_EQ(store.Number(page), 3u);

        // Stored bytes as they were: not decoded, not recompressed.
        const VCOS_Obj contents = store.DictGet(page, "Contents");
        ASSERT_EQ(store.Type(contents), VCOS_Type::Stream);
        EXPECT_EQ(store.Number(contents), 4u);
        EXPECT_EQ(store.StreamBytes(contents), "3020302031203120 >");
        EXPECT_EQ(store.NameValue(store.DictGet(store.StreamDict(contents), "Filter")), "ASCIIHexDecode");

        // Nothing collected or renumbered.
        const VCOS_Obj orphan = ObjectNumbered(store, doc, 5);
        ASSERT_EQ(store.Type(orphan), VCOS_Type::Dict);
        EXPECT_EQ(store.StringValue(store.DictGet(orphan, "Orphan")), "kept");
    }
}

// Cross-reference stream rows disturbed: the catalog's names an object 99
// the file lacks as its object stream, the page's object 0.
// qpdf reads each as null; MuPDF's repair finds them in the object stream
// and its copy is read. A literal null the object stream holds stays null
// without a repair.
TEST(VCOS_Repair, ObjectsTheirObjectStreamEntryMissesAreFoundByTheRepair) {
    const auto packing = [](const std::set<size_t>& packed) {
        return PdfTextWithObjectStream(
            "%PDF-1.7",
            {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
             "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R /Spare 5 0 R >>",
             "<< /Length 9 >>\nstream\n0 0 0 1 k\nendstream", "null"},
            packed);
    };
    // MuPDF cannot write a file whose object stream holds a null, so the
    // disturbed files keep theirs outside.
    const auto inStream = [&](size_t number, uint32_t stream) {
        std::string file = packing({1, 2, 3});
        const size_t row = PdfCrossReferenceRow(file, number);
        for (int i = 0; i < 4; ++i)
            file[row + 1 + i] = static_cast<char>((stream >> (24 - 8 * i)) & 0xff);
        return file;
    };
    const struct {
        const char* what;
        std::string file;
        bool repaired;
    } rows[] = {
        {"the catalog's row names an object the file lacks", inStream(1, 99), true},
        {"the page's row names object 0", inStream(3, 0), true},
        {"rows undisturbed, the null packed too", packing({1, 2, 3, 5}), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(store, row.file, "packed.pdf");
        const VCOS_Obj page = store.ArrayGet(store.DictGet(store.DictGet(store.Root(doc), "Pages"), "Kids"), 0);
        ASSERT_EQ(store.Type(page), VCOS_Type::Dict);
        EXPECT_EQ(store.StreamBytes(store.DictGet(page, "Contents")), "0 0 0 1 k");
        EXPECT_EQ(store.Type(store.DictGet(page, "Spare")), VCOS_Type::Null);
        EXPECT_EQ(store.LostReason(doc, 5), nullptr);
        EXPECT_EQ(!store.Warnings(doc).empty() && Contains(store.Warnings(doc)[0], "damaged file rebuilt in memory"),
                  row.repaired);
    }
}

TEST(VCOS_Repair, WhatHoldsNoDocumentIsRefusedWithBothReasonsAndLeavesNothingOpen) {
    const std::string whole = WholeFile();
    const Damage refused[] = {
        {"not a PDF file", "not a pdf file at all"},
        {"a header alone", "%PDF-1.4\n%%EOF\n"},
        {"objects without a catalog", whole.substr(whole.find("2 0 obj"), whole.rfind("xref\n0 ") - whole.find("2 0 obj"))},
    };
    for (const Damage& damage : refused) {
        SCOPED_TRACE(damage.m_what);
        VCOS_Store store;
        const VCOS_Error error = VCOS_Thrown([&] { VCOS_Reader::Read(store, damage.m_bytes, "junk.pdf"); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::ReadFailed);
        EXPECT_EQ(std::string(error.what()).rfind("VCOS_Reader: cannot read junk.pdf: ", 0), 0u) << error.what();
        EXPECT_TRUE(Contains(error.what(), "; no repair found a document in it: ")) << error.what();
        for (VCOS_DocId id = 1; id <= 3; ++id)
            EXPECT_FALSE(store.IsOpen(id)) << id;
    }
}

TEST(VCOS_Repair, AFailingRepairIsARefusalWithMuPDFsMessage) {
    const std::string cut = DamagedCopies()[0].m_bytes;
    VCOS_Store store;
    {
        FaultSwitch fault;
        const VCOS_Error error = VCOS_Thrown([&] { VCOS_Reader::Read(store, cut, "cut.pdf"); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::ReadFailed);
        EXPECT_TRUE(Contains(error.what(), "unable to find trailer dictionary")) << error.what();
        EXPECT_TRUE(Contains(error.what(), "forced MuPDF error")) << error.what();
        EXPECT_FALSE(store.IsOpen(1));
    }
    // The failure left MuPDF in no state that stops the next repair.
    const VCOS_DocId doc = VCOS_Reader::Read(store, cut, "cut.pdf");
    EXPECT_EQ(store.Type(store.Root(doc)), VCOS_Type::Dict);
}

}  // namespace

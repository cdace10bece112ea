// The object-model back-end over the host's Cos layer, run against the
// viewer stand-in: numbers in fixed point, headers, shared opens, foreign
// objects, enumeration order, and documents made, saved and read back.
#include "BackEndFixture.h"

#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_CosCalls.h"
#include "support/PdfText.h"
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_PD.h"

#include <cmath>
#include <limits>
#include <zlib.h>

namespace {

using BackEndTest = HostBackEndTest;

TEST_F(BackEndTest, RealsGoToTheHostInFixedPointWithHalvesAwayFromZero) {
    GLOB_Doc doc = NewPdfDoc();
    const struct {
        double value;
        PDFL_Fixed fixed;
    } cases[] = {{1.5, 98304}, {-0.00001, -1}, {0.00001, 1}, {-1.5, -98304}, {0.5 / 65536, 1}, {-0.5 / 65536, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const GLOB_Object real = doc.NewReal(c.value, false);
        EXPECT_EQ(real.Type(), GLOB_Object::KindReal);
        EXPECT_EQ(PDFL_CosFixedValue(COSF_PDFL_CosObjFromObject(real)), c.fixed);
    }
    const PDFL_CosObj fixed = PDFL_CosNewFixed(COSF_PDFL_CosDocFromDoc(doc), 0, 98304);
    EXPECT_EQ(COSF_PDFL_ObjectFromCosObj(doc, fixed).AsReal(), 1.5);
}

TEST_F(BackEndTest, RealsBeyondFixedPointKeepWholeValuesOrClampWithAWarning) {
    GLOB_Doc doc = NewPdfDoc();
    const double maxFixed = std::numeric_limits<PDFL_Fixed>::max() / 65536.0;
    const struct {
        double value;
        int32_t kind;
        double readBack;
        bool warned;
    } cases[] = {
        {40000.0, GLOB_Object::KindInteger, 40000.0, false},
        {-2000000000.0, GLOB_Object::KindInteger, -2000000000.0, false},
        {40000.5, GLOB_Object::KindReal, maxFixed, true},
        // The host saturates its fixed answers at -0x7FFFFFFF.
        {-40000.5, GLOB_Object::KindReal, -maxFixed, true},
        {1e300, GLOB_Object::KindReal, maxFixed, true},
        {std::numeric_limits<double>::infinity(), GLOB_Object::KindReal, maxFixed, true},
        {std::nan(""), GLOB_Object::KindReal, 0.0, true},
        {32767.0, GLOB_Object::KindReal, 32767.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        LogCapture log;
        const GLOB_Object real = doc.NewReal(c.value, false);
        EXPECT_EQ(real.Type(), c.kind);
        EXPECT_EQ(real.AsNumber(), c.readBack);
        EXPECT_EQ(log.Contains(GLIB_LogWarning, "does not fit"), c.warned);
    }
}

TEST_F(BackEndTest, AFilesLargeIntegerReadsBackWholeAsAReal) {
    const std::string path = m_dir.File("large.pdf");
    WriteWholeFile(path, MinimalPdf("%PDF-1.4", "/Big 40000 /Small -7"));
    GLOB_Doc doc = COSF_PDFL_NewDoc();
    doc.Open(GLOB_FileName(path.c_str()), 0);
    const GLOB_Object root = doc.Root();
    EXPECT_EQ(root.DictGet(GLOB_Name("Big")).AsReal(), 40000.0);
    EXPECT_EQ(root.DictGet(GLOB_Name("Small")).AsReal(), -7.0);
    doc.Close();
}

TEST_F(BackEndTest, OldHeadersAreRaisedTo13OnlyWhenOpenedForWriting) {
    const struct {
        const char* header;
        uint32_t flags;
        const char* onDisk;
    } cases[] = {
        {"%PDF-1.1", 2, "%PDF-1.3"}, {"%PDF-1.0", 2, "%PDF-1.3"}, {"%PDF-1.2", 3, "%PDF-1.3"},
        {"%PDF-1.1", 0, "%PDF-1.1"}, {"%PDF-1.4", 2, "%PDF-1.4"}, {"%PDF-1.4", 0, "%PDF-1.4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.header) + " flags " + std::to_string(c.flags));
        const std::string path = m_dir.File("header.pdf");
        const std::string original = MinimalPdf(c.header, "");
        WriteWholeFile(path, original);
        GLOB_Doc doc = COSF_PDFL_NewDoc();
        doc.Open(GLOB_FileName(path.c_str()), c.flags);
        EXPECT_EQ(doc.Impl()->Header(), c.onDisk);
        EXPECT_EQ(doc.Impl()->DocFlag1(), (c.flags & 2) == 0) << "read-only";
        EXPECT_TRUE(doc.Impl()->DocFlag2()) << "saved";
        doc.Close();
        const std::string now = ReadWholeFile(path);
        EXPECT_EQ(now.substr(0, 8), c.onDisk);
        EXPECT_EQ(now.substr(8), original.substr(8)) << "only the header changes";
    }
}

TEST_F(BackEndTest, FilesThatAreNotCosDocumentsAreRefused) {
    const struct {
        const char* bytes;
        uint32_t code;
    } cases[] = {
        {"%!PS-Adobe-3.0\n%%EOF\n", COSF_PDFL_NotCosDocCode},
        {"GIF89a-not a PDF\n", COSF_PDFL_NotCosDocCode},
        {"", COSF_PDFL_NotCosDocCode},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string path = m_dir.File("other.bin");
        WriteWholeFile(path, c.bytes);
        GLOB_Doc doc = COSF_PDFL_NewDoc();
        EXPECT_EQ(CodeOf([&] { doc.Open(GLOB_FileName(path.c_str()), 0); }), c.code);
        EXPECT_FALSE(doc.IsOpen());
    }
    GLOB_Doc missing = COSF_PDFL_NewDoc();
    EXPECT_EQ(CodeOf([&] { missing.Open(GLOB_FileName(m_dir.File("absent.pdf").c_str()), 0); }),
              COSF_PDFL_OpenCode);
}

TEST_F(BackEndTest, TwoReadOnlyOpensShareOneHostDocumentUntilTheLastClose) {
    const std::string path = m_dir.File("shared.pdf");
    WriteWholeFile(path, MinimalPdf("%PDF-1.4", ""));
    GLOB_Doc first = COSF_PDFL_NewDoc();
    GLOB_Doc second = COSF_PDFL_NewDoc();
    first.Open(GLOB_FileName(path.c_str()), 0);
    second.Open(GLOB_FileName(path.c_str()), 0);
    EXPECT_EQ(COSF_PDFL_CosDocFromDoc(first), COSF_PDFL_CosDocFromDoc(second));
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 1u);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 2u);

    VIEW_Recorder::ClearCalls();
    first.Close();
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 1u) << "the first close leaves it open";
    EXPECT_EQ(CountCalls(PDFL_PDModelTable, 71), 0u);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 2u);

    second.Close();
    EXPECT_EQ(CountCalls(PDFL_PDModelTable, 71), 2u) << "closed once per open";
    EXPECT_EQ(CountCalls(PDFL_AcroSupportTable, 29), 2u) << "both files";
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 0u);
}

// Flags 1 asks the host to repair the file; the open stays read-only and
// shared.
TEST_F(BackEndTest, ARepairingOpenIsReadOnlyAndShared) {
    const std::string path = m_dir.File("repair.pdf");
    WriteWholeFile(path, MinimalPdf("%PDF-1.4", ""));
    GLOB_Doc first = COSF_PDFL_NewDoc();
    GLOB_Doc second = COSF_PDFL_NewDoc();
    VIEW_Recorder::ClearCalls();
    first.Open(GLOB_FileName(path.c_str()), 1);
    second.Open(GLOB_FileName(path.c_str()), 1);
    EXPECT_TRUE(first.Impl()->DocFlag1()) << "read-only";
    size_t repairs = 0;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        repairs += call.m_table == PDFL_PDModelTable && call.m_slot == 265 && call.m_args.back() == 1;
    EXPECT_EQ(repairs, 2u);
    VIEW_Recorder::ClearCalls();
    first.Close();
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 1u) << "the first close leaves it open";
    EXPECT_EQ(CountCalls(PDFL_PDModelTable, 71), 0u);
    second.Close();
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
}

// The last close forgets the document: when the host hands out its handle
// again, the counts start afresh.
TEST_F(BackEndTest, ASharedOpenIsForgottenAtItsLastClose) {
    const std::string path = m_dir.File("again.pdf");
    WriteWholeFile(path, MinimalPdf("%PDF-1.4", ""));
    // An open for writing keeps the host's document, and so its handle.
    GLOB_Doc writer = COSF_PDFL_NewDoc();
    writer.Open(GLOB_FileName(path.c_str()), 2);
    GLOB_Doc reader = COSF_PDFL_NewDoc();
    reader.Open(GLOB_FileName(path.c_str()), 0);
    const PDFL_CosDoc cosDoc = COSF_PDFL_CosDocFromDoc(reader);
    reader.Close();
    reader.Open(GLOB_FileName(path.c_str()), 0);
    ASSERT_EQ(COSF_PDFL_CosDocFromDoc(reader), cosDoc) << "the same host document";
    VIEW_Recorder::ClearCalls();
    reader.Close();
    EXPECT_EQ(CountCalls(PDFL_PDModelTable, 71), 1u) << "closed as its only open";
    EXPECT_EQ(CountCalls(PDFL_AcroSupportTable, 29), 1u);
    writer.Close();
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 0u);
}

TEST_F(BackEndTest, KeysComeSortedByBytesUnlessUnsortedIsAsked) {
    GLOB_Doc doc = NewPdfDoc();
    const GLOB_Object dict = doc.NewDict(3, false);
    for (const char* key : {"b", "a", "C"})
        dict.DictPut(GLOB_Name(key), doc.NewInteger(key[0], false));
    std::vector<GLOB_Name> keys;
    doc.Impl()->DictKeys(dict, keys, false);
    EXPECT_EQ(Texts(keys), (std::vector<std::string>{"C", "a", "b"}));
    doc.Impl()->DictKeys(dict, keys, true);
    EXPECT_EQ(Texts(keys), (std::vector<std::string>{"b", "a", "C"}));

    std::vector<GLOB_Impl::Entry> entries;
    doc.Impl()->DictEntries(dict, entries, false);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].second.AsInteger(), 'C');
    EXPECT_EQ(entries[2].second.AsInteger(), 'b');
    std::vector<GLOB_Object> values;
    doc.Impl()->DictValues(dict, values);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].AsInteger(), 'b');
    EXPECT_EQ(dict.AsDict().Get("a").AsInteger(), 'a');
}

TEST_F(BackEndTest, AHostObjectOfAnotherDocumentIsRefused) {
    GLOB_Doc doc = NewPdfDoc();
    GLOB_Doc other = NewPdfDoc();
    const PDFL_CosObj foreign[] = {
        COSF_PDFL_CosObjFromObject(other.NewDict(0, true)),
        COSF_PDFL_CosObjFromObject(other.NewArray(0, false)),
        COSF_PDFL_CosObjFromObject(other.NewInteger(5, true)),
    };
    for (const PDFL_CosObj& obj : foreign) {
        SCOPED_TRACE(obj.m_word1);
        EXPECT_EQ(CodeOf([&] { COSF_PDFL_ObjectFromCosObj(doc, obj); }), COSF_PDFL_ForeignObjectCode);
    }
    // Direct scalars belong to no document and may be used anywhere.
    const PDFL_CosObj scalar = COSF_PDFL_CosObjFromObject(other.NewInteger(5, false));
    EXPECT_EQ(COSF_PDFL_ObjectFromCosObj(doc, scalar).AsInteger(), 5);
}

TEST_F(BackEndTest, CreateBelowARegularFileFailsAndLeavesNothingOpen) {
    const std::string blocker = m_dir.File("plain");
    WriteWholeFile(blocker, "x");
    GLOB_Doc doc = COSF_PDFL_NewDoc();
    EXPECT_EQ(CodeOf([&] { doc.Create(GLOB_FileName((blocker + "/out.pdf").c_str()), "%PDF-1.3", 1); }),
              COSF_PDFL_CreateCode);
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
    EXPECT_EQ(VIEW_Cos::OpenDocCount(), 0u);
}

TEST_F(BackEndTest, CreateRefusesAHeaderThatIsNotOne) {
    for (const char* header : {"PDF-1.3", "%!PS-1", "%PDF13", ""}) {
        SCOPED_TRACE(header);
        GLOB_Doc doc = COSF_PDFL_NewDoc();
        EXPECT_EQ(CodeOf([&] { doc.Create(header, 1); }), COSF_PDFL_BadHeaderCode);
    }
}

TEST_F(BackEndTest, ADocumentMadeHereSavesAndReadsBackWithItsStreamDecoded) {
    const std::string path = m_dir.File("made.pdf");
    std::string data;
    for (int i = 0; i < 5000; ++i)
        data += "0.25 g " + std::to_string(i % 97) + " 0 0 10 re f\n";
    {
        GLOB_Doc doc = COSF_PDFL_NewDoc();
        doc.Create(GLOB_FileName(path.c_str()), "%PDF-1.3", 1);
        EXPECT_FALSE(doc.Impl()->DocFlag1());
        EXPECT_FALSE(doc.Impl()->DocFlag2());
        const GLOB_Object attributes = doc.NewDict(1, false);
        attributes.DictPut(GLOB_Name("Filter"), doc.NewName(GLOB_Name("FlateDecode"), false));
        GLOB_Stream source(GLIB_NEW GLOB_StringStream(data));
        const GLOB_Object stream = doc.NewStream(source, 0, attributes, GLOB_Object(), -1);
        doc.Root().DictPut(GLOB_Name("Data"), stream);
        doc.Root().DictPut(GLOB_Name("Name"), doc.NewString(GLOB_String("a\0b", 3), false));
        doc.Save();
        EXPECT_TRUE(doc.Impl()->DocFlag2());
        doc.Close();
    }
    GLOB_Doc doc = COSF_PDFL_NewDoc();
    doc.Open(GLOB_FileName(path.c_str()), 0);
    const GLOB_Object stream = doc.Root().DictGet(GLOB_Name("Data"));
    ASSERT_EQ(stream.Type(), GLOB_Object::KindStream);
    EXPECT_LT(stream.GetImpl()->StreamLength(stream), data.size()) << "stored compressed";
    GLOB_Stream decoded = stream.GetImpl()->OpenStream(stream, 2);
    EXPECT_EQ(ReadToEnd(decoded), data);
    GLOB_Stream raw = stream.GetImpl()->OpenStream(stream, 0);
    const std::string stored = ReadToEnd(raw);
    std::vector<unsigned char> inflated(data.size() + 16);
    uLongf inflatedSize = inflated.size();
    ASSERT_EQ(uncompress(inflated.data(), &inflatedSize, reinterpret_cast<const Bytef*>(stored.data()),
                         stored.size()),
              Z_OK);
    EXPECT_EQ(std::string(inflated.begin(), inflated.begin() + inflatedSize), data);
    const GLOB_String name = doc.Root().DictGet(GLOB_Name("Name")).AsString();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(name.Data()), name.Length()), std::string("a\0b", 3));
    EXPECT_EQ(doc.InfoDict().DictGet(GLOB_Name("Producer")).AsString(), "Velm Normalizer KWV");
    doc.Close();
}

TEST_F(BackEndTest, ACosOnlyDocumentSavesUnderANewName) {
    const std::string path = m_dir.File("notes.cos");
    {
        GLOB_Doc doc = COSF_PDFL_NewDoc();
        doc.Create("%VELM-1.0", 0);
        EXPECT_EQ(static_cast<COSF_PDFL_Impl*>(doc.Impl())->PDDoc(), nullptr);
        doc.Root().DictPut(GLOB_Name("Inks"), doc.NewInteger(4, false));
        doc.SaveAs(GLOB_FileName(path.c_str()));
        doc.Close();
    }
    EXPECT_EQ(ReadWholeFile(path).substr(0, 9), "%VELM-1.0");
    GLOB_Doc doc = COSF_PDFL_NewDoc();
    doc.Open(GLOB_FileName(path.c_str()), 0);
    EXPECT_EQ(static_cast<COSF_PDFL_Impl*>(doc.Impl())->PDDoc(), nullptr);
    EXPECT_EQ(doc.Root().DictGet(GLOB_Name("Inks")).AsInteger(), 4);
    doc.Close();
}

TEST_F(BackEndTest, ObjectNumbersAndGenerationsOnlyForIndirectObjects) {
    GLOB_Doc doc = NewPdfDoc();
    const GLOB_Object indirect = doc.NewDict(0, true);
    const GLOB_Object direct = doc.NewDict(0, false);
    EXPECT_GT(indirect.GetImpl()->ObjectNumber(indirect), 0);
    EXPECT_EQ(indirect.GetImpl()->GenerationNumber(indirect), 0);
    EXPECT_EQ(direct.GetImpl()->ObjectNumber(direct), -1);
    EXPECT_EQ(direct.GetImpl()->GenerationNumber(direct), -1);
    EXPECT_TRUE(doc.Impl()->IsEqual(indirect, COSF_PDFL_ObjectFromCosObj(doc, COSF_PDFL_CosObjFromObject(indirect))));
    EXPECT_FALSE(doc.Impl()->IsEqual(indirect, direct));
}

// 4 0, which an update replaced by 4 1, is told replaced by it only where
// the host offers its Cos updates table; 4 1 and a direct object never are.
TEST_F(BackEndTest, AReplacedGenerationIsToldOnlyThroughTheCosUpdatesTable) {
    const std::string page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] /Contents [4 0 R 4 1 R] >>";
    const std::string square = "<< /Length 3 >>\nstream\n0 g\nendstream";
    const std::string path = m_dir.File("replaced.pdf");
    WriteWholeFile(path, PdfTextWithUpdate(PdfText("%PDF-1.7", {"<< /Type /Catalog /Pages 2 0 R >>",
                                                                "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                                                page, square}),
                                           {{4, 1, square}}, "/Size 5 /Root 1 0 R"));
    GLOB_Doc doc = COSF_PDFL_NewDoc();
    doc.Open(GLOB_FileName(path.c_str()), 0);
    GLOB_Impl* impl = doc.Impl();
    const GLOB_Object kids = impl->DictGet(impl->DictGet(impl->Root(), GLOB_Name("Pages")), GLOB_Name("Kids"));
    const GLOB_Object contents = impl->DictGet(impl->ArrayGet(kids, 0), GLOB_Name("Contents"));
    const GLOB_Object replaced = impl->ArrayGet(contents, 0);
    const GLOB_Object by = impl->ArrayGet(contents, 1);
    EXPECT_FALSE(impl->ReplacedBy(replaced).IsIndirect()) << "not offered";
    VIEW_Host::OfferTable(PDFL_CosUpdatesTable, 1);
    gXCHG_CosUpdatesHFT = PDFL_ASExtensionMgrGetHFT(PDFL_ASAtomFromString("TSCP_CosUpdates"), 1);
    ASSERT_NE(gXCHG_CosUpdatesHFT, nullptr);
    EXPECT_TRUE(impl->IsEqual(impl->ReplacedBy(replaced), by));
    EXPECT_EQ(impl->GenerationNumber(impl->ReplacedBy(replaced)), 1);
    EXPECT_FALSE(impl->ReplacedBy(by).IsIndirect());
    EXPECT_FALSE(impl->ReplacedBy(contents).IsIndirect());
    gXCHG_CosUpdatesHFT = nullptr;
    doc.Close();
}

}  // namespace

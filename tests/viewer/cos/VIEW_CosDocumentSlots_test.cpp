// Documents through the Cos table: opened by slot 38 through a file system,
// saved by slots 41 and 46, refused with registered texts, repaired with
// their warnings kept; the rewritten files are checked by qpdf.
#include "VIEW_CosSlotFixture.h"

#include <cerrno>

#include "VCOS_Compare.h"
#include "VCOS_TestPdf.h"
#include "support/TestSupport.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Files.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/cos/VCOS_Reader.h"

namespace {

// Differences between a file and its rewrite, qpdf's warnings on the
// rewrite included; empty when they hold the same objects.
std::vector<std::string> RewriteDifferences(const std::string& original, const std::string& written) {
    QPDF before;
    before.setSuppressWarnings(true);
    before.processMemoryFile("original", original.data(), original.size());
    QPDF after;
    after.setSuppressWarnings(true);
    after.processMemoryFile("rewritten", written.data(), written.size());
    std::vector<std::string> differences;
    Comparison comparison(before);
    for (QPDFObjectHandle object : before.getAllObjects()) {
        if (IsFlattened(object))
            continue;
        QPDFObjectHandle copy = after.getObjectByObjGen(object.getObjGen());
        const std::string difference = comparison.Compare(object, copy, object.getObjGen().unparse(), 0);
        if (!difference.empty())
            differences.push_back(difference);
    }
    for (const char* key : {"/Root", "/Info"})
        if (after.getTrailer().getKey(key).getObjGen() != before.getTrailer().getKey(key).getObjGen())
            differences.push_back(std::string("trailer ") + key);
    for (QPDFObjectHandle object : after.getAllObjects())
        if (object.isStream())
            object.getRawStreamData();
    for (const QPDFExc& warning : after.getWarnings())
        differences.push_back(std::string("warning: ") + warning.what());
    return differences;
}

PDFL_ErrorCode (*sDefaultClose)(PDFL_ASFile) = nullptr;
PDFL_ErrorCode FailingClose(PDFL_ASFile file) {
    sDefaultClose(file);
    return VIEW_FileErrorCode(ENOSPC);
}

class DocumentSlotsTest : public CosSlotsTest {
protected:
    PDFL_CosDoc Open(const std::string& posix, PDFL_ASFileSys fileSys = nullptr) {
        const PDFL_ASPathName path = VIEW_Paths::Make(posix);
        PDFL_CosDocOpenParams params{sizeof(PDFL_CosDocOpenParams), 0, fileSys, path, ""};
        PDFL_CosDoc doc = nullptr;
        try {
            doc = CosSlot<38>()(&params);
        } catch (...) {
            VIEW_Paths::Release(path);
            throw;
        }
        VIEW_Paths::Release(path);
        return doc;
    }
    void Save(PDFL_CosDoc doc, PDFL_ASFile file = nullptr, const char* header = "") {
        PDFL_CosDocSaveParams params{sizeof(PDFL_CosDocSaveParams), header, {}};
        CosSlot<46>()(doc, file, 10, &params);
    }
    PDFL_ASFile CreateFile(const std::string& posix) {
        const PDFL_ASPathName path = VIEW_Paths::Make(posix);
        PDFL_ASFile file = nullptr;
        EXPECT_EQ(VIEW_Files::Open(nullptr, path, 7, &file), 0);
        VIEW_Paths::Release(path);
        return file;
    }
    // Nothing of a refused or closed document stays open.
    void ExpectNothingOpen() {
        EXPECT_EQ(VIEW_Cos::OpenDocCount(), 0u);
        EXPECT_EQ(VIEW_Files::OpenCount(), 0u);
        EXPECT_EQ(VIEW_FileSys::OpenCount(), 0u);
        EXPECT_EQ(VIEW_Paths::LiveCount(), 0u);
    }
    // The root of a file as qpdf reads it.
    QPDFObjectHandle RootOf(QPDF& qpdf, const std::string& bytes) {
        qpdf.setSuppressWarnings(true);
        qpdf.processMemoryFile("saved", bytes.data(), bytes.size());
        return qpdf.getRoot();
    }

    ScratchDir m_dir;
};

TEST_F(DocumentSlotsTest, EveryCorpusFileOpensAndSavesOverItselfWithTheSameObjects) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    const std::vector<std::string> names = CorpusPdfs();
    ASSERT_GE(names.size(), 29u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string original = ReadWholeFile(CorpusFile(name));
        const std::string copy = m_dir.File(name);
        WriteWholeFile(copy, original);
        const PDFL_CosDoc doc = Open(copy);
        const std::string header = VIEW_Cos::Store().Header(VIEW_DocIdFromCosDoc(doc));
        Save(doc);
        CosSlot<39>()(doc);
        ExpectNothingOpen();
        const std::string written = ReadWholeFile(copy);
        EXPECT_EQ(written.substr(0, header.size() + 1), header + "\n");
        EXPECT_EQ(RewriteDifferences(original, written), std::vector<std::string>{});
    }
}

TEST_F(DocumentSlotsTest, RefusedFilesAreHostErrorsWithTheirReasonsAndLeaveNothingOpen) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    WriteWholeFile(m_dir.File("noroot.pdf"), VCOS_MakePdf("%PDF-1.4", {"<</Type /Catalog>>"}, ""));
    WriteWholeFile(m_dir.File("cut.pdf"), "%PDF-1.4\n1 0 obj\n<< /Type /Pages >>\nendobj\n");
    struct Case {
        const char* m_what;
        std::string m_path;
        const char* m_lead;
        const char* m_reason;
    } const cases[] = {
        {"encrypted", CorpusFile("pdfjs_bug1782186.pdf"), "A password is needed to open this file: ",
         "is encrypted and needs a password"},
        {"no root", m_dir.File("noroot.pdf"), "Bad Cos document: ", "has no /Root dictionary in its trailer"},
        {"cut short, no catalog", m_dir.File("cut.pdf"), "The file cannot be read: ",
         "unable to find trailer dictionary while recovering damaged file; no repair found a document in it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_what);
        const VIEW_Raised raised = VIEW_RaisedBy([&] { Open(c.m_path); });
        EXPECT_EQ(raised.m_text.rfind(c.m_lead, 0), 0u) << raised.m_text;
        EXPECT_NE(raised.m_text.find(c.m_reason), std::string::npos) << raised.m_text;
        EXPECT_NE(raised.m_text.find(c.m_path), std::string::npos) << "names the file: " << raised.m_text;
        ExpectNothingOpen();
    }
    const VIEW_Raised missing = VIEW_RaisedBy([&] { Open(m_dir.File("absent.pdf")); });
    EXPECT_EQ(missing.m_code, VIEW_FileErrorCode(ENOENT)) << "the file system's own code";
    ExpectNothingOpen();
}

TEST_F(DocumentSlotsTest, RepairedFileKeepsItsWarningsInOrder) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    const std::string cut = ReadWholeFile(CorpusFile("pdfjs_devicen.pdf")).substr(0, 15372);
    const std::string path = m_dir.File("devicen-cut.pdf");
    WriteWholeFile(path, cut);
    const PDFL_CosDoc doc = Open(path);
    const std::vector<std::string> warnings = VIEW_Cos::DocWarnings(doc);
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_NE(warnings[1].find("repair"), std::string::npos) << warnings[1];
    VCOS_Store store;
    EXPECT_EQ(warnings, store.Warnings(VCOS_Reader::Read(store, cut, path))) << "as the reader gives them";
    EXPECT_EQ(CosSlot<2>()(CosSlot<34>()(doc)), 6);

    CosSlot<39>()(doc);
    const VIEW_Raised closed = VIEW_RaisedBy([&] { VIEW_Cos::DocWarnings(doc); });
    EXPECT_EQ(closed.m_text.rfind("Bad Cos document: ", 0), 0u) << closed.m_text;
}

TEST_F(DocumentSlotsTest, PreferenceStyleDocumentKeepsItsHeaderAndObjects) {
    const char* const header = "%VelmDornapPrefs-1.0";
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj root = CosSlot<34>()(doc);
    const PDFL_CosObj inks = CosSlot<12>()(doc, 0, 0);
    CosSlot<26>()(inks, 0, Name(doc, "Cyan"));
    CosSlot<26>()(inks, 1, Name(doc, "Pantone 123 C"));
    const PDFL_CosObj sub = Dict(doc, /*indirect=*/true);
    CosSlot<22>()(sub, Atom("On"), CosSlot<9>()(doc, 0, 1));
    CosSlot<22>()(root, Atom("Inks"), inks);
    CosSlot<22>()(root, Atom("Count"), Int(doc, 5));
    CosSlot<22>()(root, Atom("Scale"), CosSlot<8>()(doc, 0, 98304));
    CosSlot<22>()(root, Atom("Title"), CosSlot<11>()(doc, 0, "(x)\n", 4));
    CosSlot<22>()(root, Atom("Sub"), sub);

    const std::string path = m_dir.File("prefs.dat");
    const PDFL_ASFile file = CreateFile(path);
    Save(doc, file, header);
    EXPECT_EQ(VIEW_Files::Close(file), 0);
    CosSlot<39>()(doc);
    EXPECT_EQ(ReadWholeFile(path).rfind(std::string(header) + "\n", 0), 0u);

    const PDFL_CosDoc again = Open(path);
    EXPECT_EQ(VIEW_Cos::Store().Header(VIEW_DocIdFromCosDoc(again)), header);
    EXPECT_EQ(VIEW_Cos::DocWarnings(again), std::vector<std::string>{});
    const PDFL_CosObj read = CosSlot<34>()(again);
    const PDFL_CosObj readInks = CosSlot<21>()(read, Atom("Inks"));
    ASSERT_EQ(CosSlot<29>()(readInks), 2);
    EXPECT_EQ(NameText(CosSlot<25>()(readInks, 1)), "Pantone 123 C");
    EXPECT_EQ(CosSlot<16>()(CosSlot<21>()(read, Atom("Count"))), 5);
    EXPECT_EQ(CosSlot<17>()(CosSlot<21>()(read, Atom("Scale"))), 98304);
    int32_t length = 0;
    EXPECT_EQ(std::string(CosSlot<20>()(CosSlot<21>()(read, Atom("Title")), &length), 4), "(x)\n");
    const PDFL_CosObj readSub = CosSlot<21>()(read, Atom("Sub"));
    EXPECT_TRUE(CosSlot<3>()(readSub));
    EXPECT_EQ(CosSlot<18>()(CosSlot<21>()(readSub, Atom("On"))), 1);
}

TEST_F(DocumentSlotsTest, SaveWithoutAFileRewritesTheFileOpenedOrLastSaved) {
    const std::string bigText(5000, 'z');
    const std::string path = m_dir.File("opened.pdf");
    WriteWholeFile(path, VCOS_MakePdf("%PDF-1.5", {"<</Type /Catalog /Big (" + bigText + ")>>"}));
    const PDFL_CosDoc doc = Open(path);
    const PDFL_CosObj root = CosSlot<34>()(doc);
    CosSlot<23>()(root, Atom("Big"));
    CosSlot<22>()(root, Atom("Mark"), CosSlot<9>()(doc, 0, 1));
    Save(doc);
    const std::string written = ReadWholeFile(path);
    EXPECT_EQ(written.rfind("%PDF-1.5\n", 0), 0u);
    QPDF qpdf;
    QPDFObjectHandle saved = RootOf(qpdf, written);
    EXPECT_TRUE(saved.getKey("/Mark").isBool());
    EXPECT_FALSE(saved.hasKey("/Big"));
    EXPECT_FALSE(qpdf.anyWarnings()) << "the old tail was cut";
    EXPECT_LT(written.size(), 5000u);

    // Saved to another file through slot 41, the next save goes there.
    const std::string other = m_dir.File("other.pdf");
    const PDFL_ASFile file = CreateFile(other);
    PDFL_CosDocSaveParams params{sizeof(PDFL_CosDocSaveParams), "", {}};
    CosSlot<41>()(doc, file, 11, &params);
    EXPECT_EQ(VIEW_Files::Close(file), 0);
    CosSlot<22>()(root, Atom("Second"), Int(doc, 2));
    Save(doc);
    EXPECT_EQ(ReadWholeFile(path), written) << "the opened file stays as saved first";
    QPDF second;
    EXPECT_EQ(RootOf(second, ReadWholeFile(other)).getKey("/Second").getIntValue(), 2);
    CosSlot<39>()(doc);
    ExpectNothingOpen();
}

TEST_F(DocumentSlotsTest, HeaderComesFromTheRecordElseTheDocumentElseVersion13) {
    const PDFL_CosDoc made = NewDoc();
    const std::string path = m_dir.File("made.pdf");
    const PDFL_ASFile file = CreateFile(path);
    PDFL_CosDocSaveParams params{sizeof(PDFL_CosDocSaveParams), "", {}};
    CosSlot<41>()(made, file, 11, &params);
    EXPECT_EQ(ReadWholeFile(path).rfind("%PDF-1.3\n", 0), 0u) << "neither record nor document";
    params.m_header = "%PDF-1.7";
    CosSlot<41>()(made, file, 11, &params);
    EXPECT_EQ(ReadWholeFile(path).rfind("%PDF-1.7\n", 0), 0u);
    EXPECT_EQ(VIEW_Files::Close(file), 0);

    const PDFL_CosDoc opened = Open(path);
    EXPECT_EQ(VIEW_Cos::Store().Header(VIEW_DocIdFromCosDoc(opened)), "%PDF-1.7");
    Save(opened, nullptr, nullptr);
    EXPECT_EQ(ReadWholeFile(path).rfind("%PDF-1.7\n", 0), 0u) << "the document's own";
}

TEST_F(DocumentSlotsTest, FailedSavesAreHostErrors) {
    const PDFL_CosDoc made = NewDoc();
    const VIEW_Raised nowhere = VIEW_RaisedBy([&] { Save(made); });
    EXPECT_EQ(nowhere.m_text.rfind("Bad Cos document: ", 0), 0u) << nowhere.m_text;
    EXPECT_NE(nowhere.m_text.find("has no file to save to"), std::string::npos) << nowhere.m_text;
    CosSlot<39>()(made);

    const std::string path = m_dir.File("disk.pdf");
    WriteWholeFile(path, VCOS_MakePdf("%PDF-1.4", {"<</Type /Catalog /N 1>>"}));
    const std::string before = ReadWholeFile(path);
    const PDFL_CosDoc doc = Open(path);

    VIEW_FileSys::LimitWrites(1000, 7);  // short writes that go on
    Save(doc);
    VIEW_FileSys::LimitWrites(0, 0);
    EXPECT_EQ(RewriteDifferences(before, ReadWholeFile(path)), std::vector<std::string>{});

    VIEW_FileSys::LimitWrites(1, 0);  // a write that stores nothing
    const VIEW_Raised stuck = VIEW_RaisedBy([&] { Save(doc); });
    EXPECT_EQ(stuck.m_code, VIEW_FileErrorCode(EIO));
    EXPECT_EQ(VIEW_Files::OpenCount(), 0u) << "the save's own file is closed";

    CosSlot<39>()(doc);
    PDFL_ASFileSysRec failing = *VIEW_FileSys::Default();
    sDefaultClose = reinterpret_cast<PDFL_ErrorCode (*)(PDFL_ASFile)>(failing.m_procs[PDFL_FileSysClose - 1]);
    failing.m_procs[PDFL_FileSysClose - 1] = reinterpret_cast<PDFL_Proc>(&FailingClose);
    const PDFL_CosDoc viaFailing = Open(path, &failing);
    const VIEW_Raised close = VIEW_RaisedBy([&] { Save(viaFailing); });
    EXPECT_EQ(close.m_code, VIEW_FileErrorCode(ENOSPC)) << "a failed close fails the save";
    CosSlot<39>()(viaFailing);
    ExpectNothingOpen();
}

TEST_F(DocumentSlotsTest, LargeAndSmallRealsFromAFileSaturateAndAreWrittenBackExactly) {
    const std::string path = m_dir.File("reals.pdf");
    WriteWholeFile(path, VCOS_MakePdf("%PDF-1.4", {"<</Type /Catalog /R [40000.0 -40000.0 0.0000001 1.5]>>"}));
    const PDFL_CosDoc doc = Open(path);
    const PDFL_CosObj reals = CosSlot<21>()(CosSlot<34>()(doc), Atom("R"));
    const PDFL_Fixed expected[] = {0x7FFFFFFF, -0x7FFFFFFF, 0, 98304};
    for (int32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CosSlot<2>()(CosSlot<25>()(reals, i)), 2);
        EXPECT_EQ(CosSlot<17>()(CosSlot<25>()(reals, i)), expected[i]);
    }
    Save(doc);
    QPDF qpdf;
    QPDFObjectHandle written = RootOf(qpdf, ReadWholeFile(path)).getKey("/R");
    ASSERT_EQ(written.getArrayNItems(), 4);
    const char* const texts[] = {"40000.0", "-40000.0", "0.0000001", "1.5"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(written.getArrayItem(i).isReal());
        EXPECT_EQ(written.getArrayItem(i).getRealValue(), texts[i]);
    }
}

}  // namespace

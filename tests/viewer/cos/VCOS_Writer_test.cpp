// Writing documents: the header line, reals, a sink that fails, and reading
// the result back through the reader.
#include <gtest/gtest.h>

#include <string>

#include "VCOS_ErrorCatch.h"
#include "VCOS_TestPdf.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Writer.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Stores at most m_room bytes of each write; fails to finish when told.
class FaultySink : public VCOS_ByteSink {
public:
    FaultySink(size_t room, bool finishes) : m_room(room), m_finishes(finishes) {}
    size_t Write(const char*, size_t count) override { return std::min(count, m_room); }
    bool Finish() override { return m_finishes; }

private:
    size_t m_room;
    bool m_finishes;
};

TEST(VCOS_Writer, HeaderLineIsTheSavesThenTheDocumentsThenPdf13) {
    struct Row {
        const char* documentHeader;
        const char* saveHeader;
        const char* written;
    };
    const Row rows[] = {
        {"%PDF-1.6", "%VelmDornapPrefs-1.0", "%VelmDornapPrefs-1.0\n"},
        {"%PDF-1.6", "", "%PDF-1.6\n"},
        {"", "", "%PDF-1.3\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.written);
        VCOS_Store store;
        const VCOS_DocId doc = store.CreateDoc();
        store.SetHeader(doc, row.documentHeader);
        const std::string file = VCOS_WriteToString(store, doc, row.saveHeader);
        EXPECT_EQ(file.substr(0, std::string(row.written).size()), row.written);
    }
}

TEST(VCOS_Writer, PreferenceStyleDocumentKeepsItsHeaderAndObjects) {
    VCOS_Store store;
    const VCOS_DocId doc = store.CreateDoc();
    const VCOS_Obj prefs = store.NewDict(doc, false);
    store.DictPut(prefs, "Ticked", store.NewBoolean(doc, false, true));
    store.DictPut(prefs, "Dpi", store.NewInteger(doc, false, 300));
    store.DictPut(prefs, "Scale", store.NewFixed(doc, false, 98304));
    store.DictPut(prefs, "Ink", store.NewName(doc, false, "PANTONE 485 M"));
    store.DictPut(prefs, "Folder", store.NewString(doc, true, "/C/tmp/(x)"));
    store.DictPut(store.Root(doc), "VELM_Preferences", prefs);
    const std::string file = VCOS_WriteToString(store, doc, "%VelmDornapPrefs-1.0");

    VCOS_Store reread;
    const VCOS_DocId back = VCOS_Reader::Read(reread, file, "prefs");
    EXPECT_EQ(reread.Header(back), "%VelmDornapPrefs-1.0");
    EXPECT_TRUE(reread.Warnings(back).empty());
    const VCOS_Obj got = reread.DictGet(reread.Root(back), "VELM_Preferences");
    EXPECT_TRUE(reread.BooleanValue(reread.DictGet(got, "Ticked")));
    EXPECT_EQ(reread.IntegerValue(reread.DictGet(got, "Dpi")), 300);
    EXPECT_EQ(reread.FixedValue(reread.DictGet(got, "Scale")), 98304);
    EXPECT_EQ(reread.NameValue(reread.DictGet(got, "Ink")), "PANTONE 485 M");
    const VCOS_Obj folder = reread.DictGet(got, "Folder");
    EXPECT_EQ(reread.StringValue(folder), "/C/tmp/(x)");
    EXPECT_EQ(reread.Number(folder), 2u);
}

TEST(VCOS_Writer, LargeAndTinyRealsStayExact) {
    const std::string file =
        VCOS_MakePdf("%PDF-1.4", {"<</Type/Catalog /R [40000.0 -40000.0 0.0000001 .5]>>"});
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "reals.pdf");
    const VCOS_Obj reals = store.DictGet(store.Root(doc), "R");
    EXPECT_EQ(store.FixedValue(store.ArrayGet(reals, 0)), 0x7FFFFFFF);
    EXPECT_EQ(store.FixedValue(store.ArrayGet(reals, 1)), -0x7FFFFFFF);
    EXPECT_EQ(store.FixedValue(store.ArrayGet(reals, 3)), 32768);
    const std::string written = VCOS_WriteToString(store, doc);
    EXPECT_TRUE(Contains(written, "[40000.0 -40000.0 0.0000001 0.5]")) << written;
}

TEST(VCOS_Writer, LengthIsWrittenDirectAsTheStoredCount) {
    const std::string file = VCOS_MakePdf(
        "%PDF-1.4", {"<</Type/Catalog /S 2 0 R>>", "<</Length 3 0 R>>\nstream\n12345\nendstream", "5"});
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "length.pdf");
    const std::string written = VCOS_WriteToString(store, doc);
    EXPECT_TRUE(Contains(written, "/Length 5\n>>\nstream\n12345\nendstream")) << written;
}

TEST(VCOS_Writer, ShortWritesAndFailedFinishesAreErrors) {
    VCOS_Store store;
    const VCOS_DocId doc = store.CreateDoc();
    struct Row {
        const char* what;
        size_t room;
        bool finishes;
        const char* message;
    };
    const Row rows[] = {
        {"nothing stored", 0, true, "short write: 0 of "},
        {"ten bytes stored", 10, true, "short write: 10 of "},
        {"finish fails", SIZE_MAX, false, "could not be finished"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FaultySink sink(row.room, row.finishes);
        const VCOS_Error error = VCOS_Thrown([&] { VCOS_Writer::Write(store, doc, "", sink); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::WriteFailed);
        EXPECT_TRUE(Contains(error.what(), row.message)) << error.what();
    }
}

TEST(VCOS_Writer, RefusesWhatCannotBeWritten) {
    VCOS_Store store;
    const VCOS_DocId empty = store.NewEmptyDoc();
    EXPECT_EQ(VCOS_Thrown([&] { VCOS_WriteToString(store, empty); }).Kind(), VCOS_ErrorKind::BadDocument);

    // A direct dictionary put into itself reaches the depth limit, not the
    // end of the stack.
    const VCOS_DocId doc = store.CreateDoc();
    const VCOS_Obj loop = store.NewDict(doc, false);
    store.DictPut(loop, "Self", loop);
    store.DictPut(store.Root(doc), "Loop", loop);
    const VCOS_Error error = VCOS_Thrown([&] { VCOS_WriteToString(store, doc); });
    EXPECT_EQ(error.Kind(), VCOS_ErrorKind::BadObject);
    EXPECT_TRUE(Contains(error.what(), "nested deeper")) << error.what();
}

}  // namespace

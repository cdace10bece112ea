// Streams whose /Length lies, read up to their endstream: an absurd length
// by qpdf's own recovery, a length that is the stream's own object through
// MuPDF's rebuilt copy; an object neither can read is marked lost, and a
// literal null is not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PdfText.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Repair.h"

namespace {

const std::string kContent = "0 0 0 1 k 20 20 60 60 re f 1 0 0 0 k 100 100 60 60 re f\n";

std::vector<std::string> Objects(const std::string& length) {
    return {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
            "<< /Length " + length + " >>\nstream\n" + kContent + "endstream", "null"};
}

std::string Written(const std::vector<std::string>& objects, bool table) {
    return table ? PdfText("%PDF-1.7", objects) : PdfTextWithoutTable("%PDF-1.7", objects);
}

VCOS_Obj Contents(const VCOS_Store& store, VCOS_DocId doc) {
    const VCOS_Obj pages = store.DictGet(store.Root(doc), "Pages");
    return store.DictGet(store.ArrayGet(store.DictGet(pages, "Kids"), 0), "Contents");
}

bool Rebuilt(const VCOS_Store& store, VCOS_DocId doc) {
    for (const std::string& warning : store.Warnings(doc))
        if (warning.find("damaged file rebuilt in memory") != std::string::npos)
            return true;
    return false;
}

class FaultSwitch {
public:
    FaultSwitch() { VCOS_SetRepairFaultSwitch(1); }
    ~FaultSwitch() { VCOS_SetRepairFaultSwitch(0); }
};

TEST(VCOS_StreamLength, ALyingLengthIsReadUpToEndstream) {
    const struct {
        const char* what;
        std::string length;
        bool rebuilt;  // whether only MuPDF's copy recovers it
    } lengths[] = {
        {"absurd", "9223372036854775807", false},
        {"past the end", "100000", false},
        {"its own object", "4 0 R", true},
        {"a byte short", std::to_string(kContent.size() - 1), false},
        {"a byte long", std::to_string(kContent.size() + 1), false},
    };
    for (const auto& length : lengths)
        for (bool table : {false, true}) {
            SCOPED_TRACE(std::string(length.what) + (table ? ", with a table" : ", without a table"));
            const std::vector<std::string> objects = Objects(length.length);
            VCOS_Store store;
            const VCOS_DocId doc =
                VCOS_Reader::Read(store, Written(objects, table), "l.pdf");
            const VCOS_Obj contents = Contents(store, doc);
            ASSERT_EQ(store.Type(contents), VCOS_Type::Stream);
            // Up to the end of line before endstream; MuPDF's copy may
            // keep that end of line.
            const std::string bytes = store.StreamBytes(contents);
            const std::string data = kContent.substr(0, kContent.size() - 1);
            if (length.rebuilt)
                EXPECT_TRUE(bytes == data || bytes == kContent) << bytes;
            else
                EXPECT_EQ(bytes, data);
            EXPECT_EQ(Rebuilt(store, doc), length.rebuilt);
            EXPECT_EQ(store.LostReason(doc, 4), nullptr);
        }
}

TEST(VCOS_StreamLength, AnObjectNoReadingRecoversIsMarkedLostAndALiteralNullIsNot) {
    const std::vector<std::string> objects = Objects("4 0 R");
    for (bool table : {false, true}) {
        SCOPED_TRACE(table ? "with a table" : "without a table");
        VCOS_Store store;
        FaultSwitch fault;
        const VCOS_DocId doc =
            VCOS_Reader::Read(store, Written(objects, table), "l.pdf");
        EXPECT_EQ(store.Type(Contents(store, doc)), VCOS_Type::Null);
        const std::string* reason = store.LostReason(doc, 4);
        ASSERT_NE(reason, nullptr);
        EXPECT_NE(reason->find("object 4 0"), std::string::npos) << *reason;
        EXPECT_EQ(store.LostReason(doc, 5), nullptr);
        EXPECT_EQ(store.LostReason(doc, 3), nullptr);
        EXPECT_FALSE(Rebuilt(store, doc));
    }
}

// Data whose /Length is wrong end where endstream starts, but for the one
// end of line before it; a right /Length is read as it stands, an end of
// line it counts included.
TEST(VCOS_StreamLength, TheEndOfLineBeforeARecoveredEndstreamIsNotData) {
    // Bytes a compressor might leave last, line ends among them.
    const std::string binary("x\x01\x00\x01\xff\xfe\x0f\x16\x1b", 9);
    const struct {
        const char* what;
        std::string data;
        std::string eol;  // between the data and endstream
        bool recovered;   // /Length left wrong
        std::string before;  // bytes before the header
    } rows[] = {
        {"LF", binary, "\n", true, ""},
        {"CR LF", binary, "\r\n", true, ""},
        {"CR", binary, "\r", true, ""},
        {"LF after data ending in LF", binary + "\n", "\n", true, ""},
        {"CR LF after data ending in LF", binary + "\n", "\r\n", true, ""},
        {"CR after data ending in CR", binary + "\r", "\r", true, ""},
        {"CR LF after data ending in CR LF", binary + "\r\n", "\r\n", true, ""},
        {"LF after data ending in a space", binary + " ", "\n", true, ""},
        {"no end of line", binary, "", true, ""},
        {"LF, bytes before the header", binary, "\n", true, "garbage\n"},
        {"LF, right length", binary, "\n", false, ""},
        {"no end of line, right length counting an LF", binary + "\n", "", false, ""},
        {"no end of line, right length counting CR LF", binary + "\r\n", "", false, ""},
    };
    for (const auto& row : rows)
        for (const std::string& length :
             {std::to_string(row.data.size() + (row.recovered ? row.eol.size() + 3 : 0)), std::string("9999999")}) {
            if (!row.recovered && length == "9999999")
                continue;
            SCOPED_TRACE(std::string(row.what) + ", /Length " + length);
            std::vector<std::string> objects = Objects(length);
            objects[3] = "<< /Length " + length + " >>\nstream\n" + row.data + row.eol + "endstream";
            VCOS_Store store;
            const VCOS_DocId doc = VCOS_Reader::Read(store, row.before + Written(objects, true), "e.pdf");
            const VCOS_Obj contents = Contents(store, doc);
            ASSERT_EQ(store.Type(contents), VCOS_Type::Stream);
            EXPECT_EQ(store.StreamBytes(contents), row.data);
            EXPECT_FALSE(Rebuilt(store, doc));
        }
}

}  // namespace

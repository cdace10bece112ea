// Writing a store document with its external-file streams inlined: which
// path of a file specification is read, the entries the inlined stream
// keeps, and the refusals.
#include <gtest/gtest.h>

#include <zlib.h>

#include "../cos/VCOS_ErrorCatch.h"
#include "../cos/VCOS_TestPdf.h"
#include "support/TestSupport.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_StreamDecoder.h"
#include "viewer/draw/VDRW_InlineWriter.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A document whose object 1 is the root and object 2 a stream with the
// given dictionary entries (besides /Length) and inline bytes "inline".
VCOS_DocId DocWithStream(VCOS_Store& store, const std::string& entries) {
    return VCOS_Reader::Read(store,
                             VCOS_MakePdf("%PDF-1.4", {"<< /Type /Catalog /S 2 0 R >>",
                                                       "<< /Length 6 " + entries + " >>\nstream\ninline\nendstream"}),
                             "stream.pdf");
}

// Object 2 of the written document, read back into store.
VCOS_Obj WrittenStream(VCOS_Store& store, const std::string& file) {
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "written.pdf");
    return store.DictGet(store.Root(doc), "S");
}

TEST(VDRW_InlineWriter, TheFileSpecificationsPathIsUnixThenFThenDos) {
    const ScratchDir dir;
    for (const char* name : {"unix", "f", "dos", "string"})
        WriteWholeFile(dir.File(name), std::string("bytes of ") + name);
    const std::string d = dir.Path();
    const struct {
        std::string spec;
        const char* read;
    } rows[] = {
        {"(" + d + "/string)", "string"},
        {"<< /Type /Filespec /Unix (" + d + "/unix) /F (" + d + "/f) /DOS (" + d + "/dos) >>", "unix"},
        {"<< /Type /Filespec /DOS (" + d + "/dos) /F (" + d + "/f) >>", "f"},
        {"<< /Type /Filespec /DOS (" + d + "/dos) >>", "dos"},
        // Entries that are not strings are passed over.
        {"<< /Type /Filespec /Unix 12 /F /name /DOS (" + d + "/dos) >>", "dos"},
        // A PDF path: doubled and trailing separators, an escaped one.
        {"(" + d + "//f/)", "f"},
        {"(" + d + "\\\\/unix)", "unix"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.spec);
        VCOS_Store store;
        const VCOS_DocId doc = DocWithStream(store, "/F " + row.spec);
        const VCOS_Obj stream = WrittenStream(store, VDRW_InlineWriter::Write(store, doc));
        EXPECT_EQ(VCOS_StreamDecoder::Decode(store, stream), std::string("bytes of ") + row.read);
    }
}

TEST(VDRW_InlineWriter, FFilterAndFDecodeParmsBecomeFilterAndDecodeParms) {
    // A predictor-free Flate file and an ASCIIHex inline part that would
    // garble it if the old /Filter stayed.
    const std::string text = "the external content, decoded";
    uLongf size = compressBound(text.size());
    std::string deflated(size, '\0');
    compress(reinterpret_cast<Bytef*>(&deflated[0]), &size, reinterpret_cast<const Bytef*>(text.data()),
             text.size());
    deflated.resize(size);
    const ScratchDir dir;
    WriteWholeFile(dir.File("c.bin"), deflated);

    VCOS_Store store;
    const VCOS_DocId doc =
        DocWithStream(store, "/F (" + dir.File("c.bin") + ") /FFilter /FlateDecode /FDecodeParms << /Columns 1 >> "
                             "/Filter /ASCIIHexDecode /DecodeParms << /K 1 >> /DL 29 /Custom 7");
    const uint64_t changes = store.Changes(doc);
    const VCOS_Obj stream = WrittenStream(store, VDRW_InlineWriter::Write(store, doc));

    EXPECT_EQ(VCOS_StreamDecoder::Decode(store, stream), text);
    EXPECT_EQ(store.NameValue(store.DictGet(stream, "Filter")), "FlateDecode");
    EXPECT_EQ(store.IntegerValue(store.DictGet(store.DictGet(stream, "DecodeParms"), "Columns")), 1);
    EXPECT_FALSE(store.DictKnown(store.DictGet(stream, "DecodeParms"), "K"));
    for (const char* gone : {"F", "FFilter", "FDecodeParms"})
        EXPECT_FALSE(store.DictKnown(stream, gone)) << gone;
    EXPECT_EQ(store.IntegerValue(store.DictGet(stream, "DL")), 29);
    EXPECT_EQ(store.IntegerValue(store.DictGet(stream, "Custom")), 7);
    EXPECT_EQ(store.StreamLength(stream), deflated.size());

    // The store itself is as it was.
    EXPECT_EQ(store.Changes(doc), changes);
    const VCOS_Obj original = store.DictGet(store.Root(doc), "S");
    EXPECT_TRUE(store.DictKnown(original, "F"));
    EXPECT_EQ(store.StreamBytes(original), "inline");
}

TEST(VDRW_InlineWriter, StreamsWithoutFAreWrittenAsStoredAndAnExternalFileWithoutFiltersIsFlateEncoded) {
    const ScratchDir dir;
    WriteWholeFile(dir.File("plain"), "plain bytes");
    VCOS_Store store;
    const VCOS_DocId inlineDoc = DocWithStream(store, "/Filter /ASCIIHexDecode");
    const VCOS_Obj kept = WrittenStream(store, VDRW_InlineWriter::Write(store, inlineDoc));
    EXPECT_EQ(store.StreamBytes(kept), "inline");
    EXPECT_EQ(store.NameValue(store.DictGet(kept, "Filter")), "ASCIIHexDecode");

    const VCOS_DocId externalDoc = DocWithStream(store, "/F (" + dir.File("plain") + ") /Filter /ASCIIHexDecode");
    const VCOS_Obj inlined = WrittenStream(store, VDRW_InlineWriter::Write(store, externalDoc));
    // Raw data go Flate-encoded: MuPDF holds a stream's encoded bytes whole.
    EXPECT_EQ(VCOS_StreamDecoder::Decode(store, inlined), "plain bytes");
    EXPECT_EQ(store.NameValue(store.DictGet(inlined, "Filter")), "FlateDecode");
    EXPECT_FALSE(store.DictKnown(inlined, "DecodeParms"));
}

TEST(VDRW_InlineWriter, UnreadableFilesAndUnusableSpecificationsAreRefusedNamingThem) {
    const ScratchDir dir;
    const struct {
        std::string spec;
        const char* named;
    } rows[] = {
        {"(" + dir.File("missing") + ")", "missing\" of the external stream"},
        {"(" + dir.Path() + ")", "cannot be read"},  // a folder
        {"12", "names its file neither"},
        {"<< /Type /Filespec /Unix 1 /UF (x) >>", "names its file neither"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.spec);
        VCOS_Store store;
        const VCOS_DocId doc = DocWithStream(store, "/F " + row.spec);
        const VCOS_Error error = VCOS_Thrown([&] { VDRW_InlineWriter::Write(store, doc); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::ReadFailed);
        EXPECT_TRUE(Contains(error.what(), row.named)) << error.what();
        EXPECT_TRUE(Contains(error.what(), "VDRW_InlineWriter: ")) << error.what();
    }
}

TEST(VDRW_InlineWriter, PdfPathsBecomeSystemPaths) {
    const struct {
        const char* pdf;
        const char* os;
    } rows[] = {
        {"/tmp/a/b.bin", "/tmp/a/b.bin"}, {"rel/b", "rel/b"},       {"//tmp//a/", "/tmp/a"},
        {"/", "/"},                       {"a\\/b", "a/b"},         {"", ""},
        {"a\\b", "a\\b"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pdf);
        EXPECT_EQ(VDRW_InlineWriter::OsPath(row.pdf), row.os);
    }
}

}  // namespace

// Making streams from source bytes and decoding them with qpdf.
#include <gtest/gtest.h>

#include <string>

#include "VCOS_ErrorCatch.h"
#include "VCOS_TestPdf.h"
#include "support/Corpus.h"
#include "support/TestSupport.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_StreamDecoder.h"
#include "viewer/cos/VCOS_StreamMaker.h"

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Source() {
    std::string source;
    for (int i = 0; i < 5000; ++i)
        source += static_cast<char>((i * 7) % 251);
    return source;
}

class VCOS_StreamTest : public ::testing::Test {
protected:
    VCOS_Obj Attributes(const std::string& filter) {
        const VCOS_Obj dict = m_store.NewDict(m_doc, false);
        if (!filter.empty())
            m_store.DictPut(dict, "Filter", m_store.NewName(m_doc, false, filter));
        return dict;
    }
    VCOS_Obj Predictor(int predictor) {
        const VCOS_Obj parms = m_store.NewDict(m_doc, false);
        m_store.DictPut(parms, "Predictor", m_store.NewInteger(m_doc, false, predictor));
        return parms;
    }
    VCOS_Obj Make(const std::string& source, bool encoded, VCOS_Obj attributes, VCOS_Obj parms = VCOS_NullObj) {
        return VCOS_StreamMaker::Make(m_store, m_doc, true, source, encoded, attributes, parms);
    }

    VCOS_Store m_store;
    VCOS_DocId m_doc = m_store.CreateDoc();
};

TEST_F(VCOS_StreamTest, FlateEncodesWithZlibAndDecodesBack) {
    const VCOS_Obj stream = Make(Source(), false, Attributes("FlateDecode"));
    const std::string& stored = m_store.StreamBytes(stream);
    EXPECT_LT(stored.size(), Source().size());
    EXPECT_EQ(VCOS_Inflate(stored), Source());
    EXPECT_EQ(m_store.IntegerValue(m_store.DictGet(stream, "Length")), static_cast<int>(stored.size()));
    EXPECT_EQ(VCOS_StreamDecoder::Decode(m_store, stream), Source());

    // Predictor 1 means none.
    const VCOS_Obj plain = Make(Source(), false, Attributes("FlateDecode"), Predictor(1));
    EXPECT_EQ(VCOS_Inflate(m_store.StreamBytes(plain)), Source());
}

TEST_F(VCOS_StreamTest, TwoFlateFiltersEncodeTwice) {
    const VCOS_Obj attributes = m_store.NewDict(m_doc, false);
    const VCOS_Obj filters = m_store.NewArray(m_doc, false, 2);
    m_store.ArrayPut(filters, 0, m_store.NewName(m_doc, false, "FlateDecode"));
    m_store.ArrayPut(filters, 1, m_store.NewName(m_doc, false, "FlateDecode"));
    m_store.DictPut(attributes, "Filter", filters);
    const VCOS_Obj stream = Make(Source(), false, attributes);
    EXPECT_EQ(VCOS_Inflate(VCOS_Inflate(m_store.StreamBytes(stream))), Source());
    EXPECT_EQ(VCOS_StreamDecoder::Decode(m_store, stream), Source());
}

TEST_F(VCOS_StreamTest, StoredAsGivenWithoutFilterOrWhenEncoded) {
    struct Row {
        const char* what;
        bool encoded;
        std::string filter;
    };
    const Row rows[] = {
        {"no filter", false, ""},
        {"encoded flate", true, "FlateDecode"},
        {"encoded DCT", true, "DCTDecode"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const VCOS_Obj stream = Make("raw bytes", row.encoded, Attributes(row.filter));
        EXPECT_EQ(m_store.StreamBytes(stream), "raw bytes");
        EXPECT_EQ(m_store.IntegerValue(m_store.DictGet(stream, "Length")), 9);
    }
    const VCOS_Obj bare = Make("abc", false, VCOS_NullObj);
    EXPECT_EQ(m_store.StreamBytes(bare), "abc");
    int keys = 0;
    m_store.Enum(bare, [&](VCOS_Obj, VCOS_Obj) { return ++keys, true; });
    EXPECT_EQ(keys, 1);  // only /Length
    EXPECT_EQ(VCOS_StreamDecoder::Decode(m_store, bare), "abc");
}

TEST_F(VCOS_StreamTest, RefusesWhatItCannotEncode) {
    const VCOS_Obj withParms = Attributes("FlateDecode");
    m_store.DictPut(withParms, "DecodeParms", Predictor(12));
    const VCOS_Obj mixed = m_store.NewDict(m_doc, false);
    const VCOS_Obj filters = m_store.NewArray(m_doc, false, 0);
    m_store.ArrayPut(filters, 0, m_store.NewName(m_doc, false, "FlateDecode"));
    m_store.ArrayPut(filters, 1, m_store.NewName(m_doc, false, "ASCIIHexDecode"));
    m_store.DictPut(mixed, "Filter", filters);
    struct Row {
        const char* what;
        VCOS_Obj attributes;
        VCOS_Obj parms;
        const char* message;
    };
    const Row rows[] = {
        {"DCT", Attributes("DCTDecode"), VCOS_NullObj, "cannot encode with the filter /DCTDecode"},
        {"LZW", Attributes("LZWDecode"), VCOS_NullObj, "/LZWDecode"},
        {"second of two", mixed, VCOS_NullObj, "/ASCIIHexDecode"},
        {"encode parameters", Attributes("FlateDecode"), Predictor(2), "/Predictor 2"},
        {"the dictionary's own parameters", withParms, VCOS_NullObj, "/Predictor 12"},
    };
    const size_t objects = m_store.IndirectObjects(m_doc).size();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const VCOS_Error error = VCOS_Thrown([&] { Make(Source(), false, row.attributes, row.parms); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::Unsupported);
        EXPECT_TRUE(Contains(error.what(), row.message)) << error.what();
    }
    EXPECT_EQ(m_store.IndirectObjects(m_doc).size(), objects);
}

TEST_F(VCOS_StreamTest, DecodingWhatQpdfCannotApplyIsAnError) {
    struct Row {
        const char* what;
        std::string filter;
        const char* stored;
    };
    const Row rows[] = {
        {"unsupported filter", "JBIG2Decode", "not really"},
        {"damaged flate data", "FlateDecode", "garbage, not zlib"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const VCOS_Obj stream = Make(row.stored, true, Attributes(row.filter));
        const VCOS_Error error = VCOS_Thrown([&] { VCOS_StreamDecoder::Decode(m_store, stream); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::Unsupported);
        EXPECT_TRUE(Contains(error.what(), "/" + row.filter)) << error.what();
        EXPECT_TRUE(Contains(error.what(), VCOS_Describe(stream))) << error.what();
    }
}

TEST_F(VCOS_StreamTest, DecodesAsciiHexThroughQpdf) {
    const VCOS_Obj stream = Make("48656C6C6F>", true, Attributes("ASCIIHexDecode"));
    EXPECT_EQ(VCOS_StreamDecoder::Decode(m_store, stream), "Hello");
}

TEST(VCOS_StreamCorpus, LzwLookupTableOfAnIndexedSpaceDecodes) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    VCOS_Store store;
    const VCOS_DocId doc =
        VCOS_Reader::Read(store, ReadWholeFile(CorpusFile("skia_GHOSTSCRIPT-539359-0.pdf")), "539359.pdf");
    VCOS_Obj object4 = VCOS_NullObj;
    for (const VCOS_Obj obj : store.IndirectObjects(doc))
        if (store.Number(obj) == 4)
            object4 = obj;
    ASSERT_EQ(store.Type(object4), VCOS_Type::Stream);
    const std::string decoded = VCOS_StreamDecoder::Decode(store, object4);
    ASSERT_EQ(decoded.size(), 768u);
    EXPECT_EQ(decoded.substr(0, 9), std::string("\x00\x00\x00\x00\x00\x33\x00\x00\x66", 9));
}

}  // namespace
